// Files of older copies of the program whose 8-bit text the reader must take
// as it was meant: UTF-8 files with a few stray bytes pasted in from the
// other platform keep their UTF-8 text, and plain words are not read as the
// other platform's signs. Each file holds its 8-bit text in the title only,
// byte for byte as the older copy wrote it.

#include "library/SongScript.h"

#include <QtTest>

namespace {

// A song of plain values and two track lines, the title, artist and notes as
// given, each line followed by the line end.
QByteArray songFile(const QByteArray& title, const QByteArray& artist, const QByteArray& end,
                    const QByteArray& notes = "", const QByteArray& path = "")
{
    const QList<QByteArray> lines = {title, artist, "Test CD", "http://example.com/a", "120", path, notes,
                                     "10.5", "40.25", "", "", "1\t2.00\t1\t120\t\t\t\t", "2\t2.50\t2\t120\t\t\t\t"};
    QByteArray content;
    for (const QByteArray& line : lines)
        content += line + end;
    return content;
}

} // namespace

class EightBitLettersTest : public QObject {
    Q_OBJECT
private slots:
    // A stray run of 8-bit text can hold a byte pair that is also a UTF-8
    // sequence (Mac OS Roman ’é is D5 8E, “É is D2 83; Windows-1252 É’ is
    // C9 92). The rest of the file is UTF-8 all the same: its artist must
    // not turn into "Se√°n O‚ÄôBrien".
    void strayBytesLeaveTheUtf8TextAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("title");
        const QByteArray artist = "Se\xC3\xA1n O\xE2\x80\x99" "Brien";
        QTest::newRow("Mac OS Roman l'ete, LF") << songFile("L\xD5\x8Et\x8E indien", artist, "\n")
                                                << QString("L’été indien");
        QTest::newRow("Mac OS Roman quoted Exito, LF") << songFile("\xD2\x83xito\xD3 Total", artist, "\n")
                                                       << QString("“Éxito” Total");
        QTest::newRow("Mac OS Roman l'ete, CR LF") << songFile("L\xD5\x8Et\x8E indien", artist, "\r\n")
                                                   << QString("L’été indien");
        QTest::newRow("Windows-1252 JOSE'S, CR LF")
            << songFile("JOS\xC9\x92S BAR \x96 D\xED" "a", artist, "\r\n") << QString("JOSÉ’S BAR – Día");
    }
    void strayBytesLeaveTheUtf8TextAlone()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, title);
        const SongScript::Reading reading = SongScript::parse(content);
        QVERIFY2(reading.script, qPrintable(reading.problem));
        QCOMPARE(reading.script->song.mid(0, 2), QStringList({title, "Seán O’Brien"}));
    }

    // A UTF-8 title with a letter of another script among Latin ones, and
    // notes pasted in as 8-bit text: the letter stays itself, for its bytes
    // read as 8-bit text are signs and letters as no writing sets them
    // ("TrÆ°Æ¡ng", "Amor ÊÑõ Eterno"); the pasted bytes read as meant.
    void otherScriptsBesideStrayBytes_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QByteArray>("notes");
        QTest::addColumn<QString>("meantNotes");
        const QByteArray macCafe = "Caf\x8E con leche";
        const QByteArray windowsDont = "Don\x92t stop";
        QTest::newRow("Vietnamese, Mac OS Roman notes")
            << QByteArray("Tr\xC6\xB0\xC6\xA1ng Th\xE1\xBB\x8B H\xE1\xBB\x93ng") << macCafe << "Café con leche";
        QTest::newRow("Vietnamese, Windows-1252 notes")
            << QByteArray("Tr\xE1\xBA\xA7n Thu H\xC3\xA0 \xE2\x80\x93 Gi\xE1\xBA\xA5" "c m\xC6\xA1") << windowsDont
            << "Don’t stop";
        QTest::newRow("Chinese, Mac OS Roman notes") << QByteArray("Amor \xE6\x84\x9B Eterno") << macCafe
                                                     << "Café con leche";
        QTest::newRow("Chinese, Windows-1252 notes") << QByteArray("Amor \xE6\x84\x9B Eterno") << windowsDont
                                                     << "Don’t stop";
        // Pinyin tone letters after a Latin letter, inside or ending a word,
        // whose bytes read as a capital and a mark ("WÇ’") or a mark and a
        // letter ("Xi«éomíng").
        for (const char* pinyin : {"Tri Martolod W\xC7\x92 \xC3\xA0i n\xC7\x90", "L\xC7\x9A Xi\xC7\x8Eom\xC3\xADng",
                                   "GU\xC7\x91 Ch\xC7\x94 H\xC7\x8Ei"}) {
            QTest::addRow("%s, Mac OS Roman notes", pinyin) << QByteArray(pinyin) << macCafe << "Café con leche";
            QTest::addRow("%s, Windows-1252 notes", pinyin) << QByteArray(pinyin) << windowsDont << "Don’t stop";
        }
        // A sign or a letter of another script inside a word, whose bytes
        // break the word with signs ("Parisâ†’Rome", "Ma–¥rid").
        for (const char* word : {"Paris\xE2\x86\x92Rome Tango", "Paris\xE2\x86\x92rome", "Ma\xD0\xB4rid"}) {
            QTest::addRow("%s, Mac OS Roman notes", word) << QByteArray(word) << macCafe << "Café con leche";
            QTest::addRow("%s, Windows-1252 notes", word) << QByteArray(word) << windowsDont << "Don’t stop";
        }
        QTest::newRow("Greek, Mac OS Roman notes with a valid pair")
            << QByteArray("Jazz \xCE\xA9 Club") << QByteArray("L\xD5\x8Et\x8E indien") << "L’été indien";
    }
    void otherScriptsBesideStrayBytes()
    {
        QFETCH(QByteArray, title);
        QFETCH(QByteArray, notes);
        QFETCH(QString, meantNotes);
        const SongScript::Reading reading = SongScript::parse(songFile(title, "Test Artist", "\n", notes));
        QVERIFY2(reading.script, qPrintable(reading.problem));
        QCOMPARE(reading.script->song.at(0), QString::fromUtf8(title));
        QCOMPARE(reading.script->song.at(6), meantNotes);
    }

    // Words as they stand in Western writing against the other platform's
    // reading of the same bytes: an apostrophe, dash or quote inside a word,
    // a no-break space between capitals, a lower-case letter opening a name.
    // The line ends are the older copy's own (CR on the Mac, CR LF on
    // Windows), or crossed by a transfer where the letters alone decide.
    void wordsAreReadAsWords_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::addColumn<QByteArray>("end");
        QTest::addColumn<QString>("meant");
        // Mac OS Roman, lines ending in CR.
        QTest::newRow("Mac: Lucia") << QByteArray("Luc\x92" "a") << QByteArray("\r") << "Lucía";
        QTest::newRow("Mac: Buenos dias") << QByteArray("Buenos d\x92" "as, Luc\x92" "a") << QByteArray("\r")
                                          << "Buenos días, Lucía";
        QTest::newRow("Mac: Reykjavik") << QByteArray("Reykjav\x92k") << QByteArray("\r") << "Reykjavík";
        QTest::newRow("Mac: Jozef") << QByteArray("J\x97zef") << QByteArray("\r") << "Józef";
        QTest::newRow("Mac: Roisin Dubh") << QByteArray("R\x97is\x92n Dubh") << QByteArray("\r") << "Róisín Dubh";
        QTest::newRow("Mac: Sol og sumar") << QByteArray("S\x97l og sumar") << QByteArray("\r") << "Sól og sumar";
        QTest::newRow("Mac: Jozef Mroz") << QByteArray("J\x97zef Mr\x97z") << QByteArray("\r") << "Józef Mróz";
        QTest::newRow("Mac: Jozef Wojcik") << QByteArray("J\x97zef W\x97jcik") << QByteArray("\r") << "Józef Wójcik";
        QTest::newRow("Mac: Thordur") << QByteArray("Th\x97rdur Gudmundsson") << QByteArray("\r")
                                      << "Thórdur Gudmundsson";
        QTest::newRow("Mac: Thordur Gunnarsdottir") << QByteArray("Th\x97rdur Gunnarsd\x97ttir") << QByteArray("\r")
                                                    << "Thórdur Gunnarsdóttir";
        QTest::newRow("Mac: Mbivleresojme") << QByteArray("Mbivler\x91sojm\x91 (Remix)") << QByteArray("\r")
                                            << "Mbivlerësojmë (Remix)";
        QTest::newRow("Mac: Cosi fan tutte") << QByteArray("Cos\x93 fan tutte in swing") << QByteArray("\r")
                                             << "Così fan tutte in swing";
        QTest::newRow("Mac: Step-Step") << QByteArray("Step\xD0Step\xD0Triple Step") << QByteArray("\r")
                                        << "Step–Step–Triple Step";
        QTest::newRow("Mac: degrees C") << QByteArray("Conga Caliente \xA1" "C") << QByteArray("\r")
                                        << "Conga Caliente °C";
        // Windows-1252, lines ending in CR LF.
        QTest::newRow("Windows: E l'amore") << QByteArray("\xC8 l\x92" "amore") << QByteArray("\r\n") << "È l’amore";
        QTest::newRow("Windows: L'amour") << QByteArray("L\x92" "amour") << QByteArray("\r\n") << "L’amour";
        QTest::newRow("Windows: J'adore") << QByteArray("J\x92" "adore") << QByteArray("\r\n") << "J’adore";
        QTest::newRow("Windows: Pluja d'estiu") << QByteArray("Pluja d\x92" "estiu") << QByteArray("\r\n")
                                                << "Pluja d’estiu";
        QTest::newRow("Windows: FETE") << QByteArray("F\xCATE") << QByteArray("\r\n") << "FÊTE";
        QTest::newRow("Windows: TRES") << QByteArray("TR\xCAS") << QByteArray("\r\n") << "TRÊS";
        QTest::newRow("Windows: HISTORIA") << QByteArray("HIST\xD2RIA") << QByteArray("\r\n") << "HISTÒRIA";
        QTest::newRow("Windows: JOZEF") << QByteArray("J\xD3ZEF") << QByteArray("\r\n") << "JÓZEF";
        QTest::newRow("Windows: Skoda") << QByteArray("\x8Akoda Swing") << QByteArray("\r\n") << "Škoda Swing";
        QTest::newRow("Windows: Draumur um Doru") << QByteArray("Draumur um \xD0\xF3ru") << QByteArray("\r\n")
                                                  << "Draumur um Ðóru";
        QTest::newRow("Windows: degrees C") << QByteArray("Conga Caliente \xB0" "C") << QByteArray("\r\n")
                                            << "Conga Caliente °C";
        QTest::newRow("Windows: Tonu Koiv") << QByteArray("T\xF5nu K\xF5iv") << QByteArray("\r\n") << "Tõnu Kõiv";
        QTest::newRow("Windows: Ulle Oun") << QByteArray("\xDClle \xD5un") << QByteArray("\r\n") << "Ülle Õun";
        QTest::newRow("Windows: Dh'fhalbh") << QByteArray("Dh\x92" "fhalbh an Samhradh") << QByteArray("\r\n")
                                            << "Dh’fhalbh an Samhradh";
        QTest::newRow("Windows: Istanbul'da") << QByteArray("Istanbul\x92" "da Bir Gece") << QByteArray("\r\n")
                                              << "Istanbul’da Bir Gece";
        QTest::newRow("Windows: Liis Lohmus") << QByteArray("Liis L\xF5hmus & Liis T\xF5nisson") << QByteArray("\r\n")
                                              << "Liis Lõhmus & Liis Tõnisson";
        QTest::newRow("Windows: MBIKEQYRKA") << QByteArray("MANIPULOHEJ MBIK\xCBQYRKA") << QByteArray("\r\n")
                                             << "MANIPULOHEJ MBIKËQYRKA";
        // Re-ended by a transfer: CR LF or LF on Mac files, LF on Windows
        // ones, which tell little.
        QTest::newRow("Mac, CR LF: Krzysztof Krol") << QByteArray("Krzysztof Kr\x97l") << QByteArray("\r\n")
                                                   << "Krzysztof Król";
        QTest::newRow("Mac, CR LF: Sol og sumar") << QByteArray("S\x97l og sumar") << QByteArray("\r\n")
                                                  << "Sól og sumar";
        QTest::newRow("Mac, CR LF: Lodz noca") << QByteArray("L\x97" "dz noca") << QByteArray("\r\n") << "Lódz noca";
        QTest::newRow("Mac, LF: Jozef Wojcik") << QByteArray("J\x97zef W\x97jcik") << QByteArray("\n")
                                               << "Józef Wójcik";
        QTest::newRow("Mac, LF: Qeme") << QByteArray("Qem\x91") << QByteArray("\n") << "Qemë";
        QTest::newRow("Mac, LF: Chalse Kermode") << QByteArray("\x82halse Kermode") << QByteArray("\n")
                                                 << "Çhalse Kermode";
        QTest::newRow("Mac, CR LF: Yn Chengey") << QByteArray("Yn \x82hengey") << QByteArray("\r\n") << "Yn Çhengey";
        QTest::newRow("Mac, LF: Mnaoi-sidh") << QByteArray("Mnaoi-s\x93" "dh ghuilbeirneach") << QByteArray("\n")
                                             << "Mnaoi-sìdh ghuilbeirneach";
        QTest::newRow("Windows, LF: Domhnall MacCoinnich") << QByteArray("D\xF2mhnall MacCoinnich") << QByteArray("\n")
                                                           << "Dòmhnall MacCoinnich";
        QTest::newRow("Windows, LF: Pluja d'estiu") << QByteArray("Pluja d\x92" "estiu") << QByteArray("\n")
                                                    << "Pluja d’estiu";
        QTest::newRow("Windows, LF: Skoda") << QByteArray("\x8Akoda Swing") << QByteArray("\n") << "Škoda Swing";
        QTest::newRow("Windows, LF: Tonu Koiv") << QByteArray("T\xF5nu K\xF5iv") << QByteArray("\n") << "Tõnu Kõiv";
        // A Mac file re-ended, one 8-bit word among English ones: a letter
        // read as an apostrophe ending a word that no quotation opened, or
        // as a dash glued to a word of one letter.
        QTest::newRow("Mac, CR LF: Marti Joan") << QByteArray("Mart\x92 Joan") << QByteArray("\r\n") << "Martí Joan";
        QTest::newRow("Mac, CR LF: Reznictvi") << QByteArray("Reznictv\x92 Sway") << QByteArray("\r\n")
                                               << "Reznictví Sway";
        QTest::newRow("Mac, LF: Seoane Noemi") << QByteArray("Seoane Noem\x92") << QByteArray("\n")
                                               << "Seoane Noemí";
        QTest::newRow("Mac, CR LF: domarasedlarnir") << QByteArray("Hgni Mortensen! d\x97marasedlarnir")
                                                     << QByteArray("\r\n") << "Hgni Mortensen! dómarasedlarnir";
        // Crossed line ends: the letters alone decide.
        QTest::newRow("Mac, CR LF: Zoe danst") << QByteArray("Zo\x91 danst") << QByteArray("\r\n") << "Zoë danst";
        QTest::newRow("Mac, CR LF: El Dia") << QByteArray("El D\x92" "a Que Me Quieras") << QByteArray("\r\n")
                                            << "El Día Que Me Quieras";
        QTest::newRow("Windows, CR: Gledibankinn") << QByteArray("Gle\xF0" "ibankinn") << QByteArray("\r")
                                                   << "Gleðibankinn";
        QTest::newRow("Windows, CR: O Minha Flor") << QByteArray("\xD3 Minha Flor") << QByteArray("\r")
                                                   << "Ó Minha Flor";
        QTest::newRow("Windows, CR: Urska Stastna") << QByteArray("Ur\x9Aka \x8Atastn\xE1") << QByteArray("\r")
                                                    << "Urška Štastná";
    }
    void wordsAreReadAsWords()
    {
        QFETCH(QByteArray, title);
        QFETCH(QByteArray, end);
        QFETCH(QString, meant);
        const SongScript::Reading reading = SongScript::parse(songFile(title, "Test Artist", end));
        QVERIFY2(reading.script, qPrintable(reading.problem));
        QCOMPARE(reading.script->song.at(0), meant);
    }
    // Whole files as the older copies and transfers left them, each value
    // written in the encoding named (UTF-8 for the file, and its notes pasted
    // in as 8-bit text): a letter inside a word is not read as a dash or a
    // quote mark; a byte pair that happens to make a valid UTF-8 character
    // is read as the 8-bit text it plainly is, while a genuine UTF-8 file
    // keeps every character, however foreign, that stands as writing has it.
    void filesReadAsWritten_data()
    {
        QTest::addColumn<QByteArray>("encoding");
        QTest::addColumn<QByteArray>("notesEncoding");
        QTest::addColumn<QByteArray>("end");
        QTest::addColumn<QStringList>("values");   // title, artist, notes
        QTest::addColumn<QString>("path");
        const QByteArray mac = "macintosh", windows = "windows-1252", utf8 = "UTF-8";
        const auto row = [](const char* name, const QByteArray& encoding, const QByteArray& notesEncoding,
                            const QByteArray& end, const QStringList& values, const QString& path = "") {
            QTest::newRow(name) << encoding << notesEncoding << end << values << path;
        };
        row("Mac, CR: Sólrun", mac, mac, "\r", {"Crazy (feat. Sólrun)", "Test Artist", ""});
        row("Mac, CR: Piñeiro", mac, mac, "\r", {"The Last Waltz (feat. Piñeiro)", "Test Artist", ""});
        row("Mac, CR: Luís", mac, mac, "\r", {"Arranja (feat. Smith Luís)", "Test Artist", ""});
        row("Mac, LF: Iñaki", mac, mac, "\n", {"Crazy (feat. Iñaki)", "Test Artist", ""});
        row("Mac, CR LF: Zoë", mac, mac, "\r\n", {"Zoë", "Test Artist", ""});
        row("Mac, CR LF: Chloë", mac, mac, "\r\n", {"Crazy", "Chloë", ""});
        row("Windows, CR LF: Hora în sat", windows, windows, "\r\n", {"Hora în sat", "Test Artist", ""});
        row("Windows, LF: Vals în zori", windows, windows, "\n", {"Vals în zori", "Test Artist", ""});
        row("Windows, LF: Un po’ di tango", windows, windows, "\n", {"Un po’ di tango", "Test Artist", ""});
        row("Windows, CR LF: ta’ Malta", windows, windows, "\r\n", {"Il-Kanzunetta ta’ Malta", "Test Artist", ""});
        row("Windows, CR LF: Àcida", windows, windows, "\r\n", {"Àcida", "Test Artist", ""});
        // 8-bit byte pairs that make valid UTF-8, beside other 8-bit text or
        // alone in the file.
        row("Mac, CR: «Ça ira»", mac, mac, "\r", {"«Ça ira» Java", "Hélène Lefèvre", ""});
        row("Mac, CR: »Über den Wolken«", mac, mac, "\r", {"»Über den Wolken«", "Hélène Lefèvre", ""});
        row("Mac, CR: «Über…»", mac, mac, "\r", {"«Über…»", "Hélène Lefèvre", ""});
        row("Mac, CR: …Über", mac, mac, "\r", {"…Über", "Hélène Lefèvre", ""});
        row("Mac, CR: l’île alone", mac, mac, "\r", {"Valse de l’île", "Test Artist", ""});
        row("Mac, LF: L’Écho alone", mac, mac, "\n", {"L’Écho", "Test Artist", ""});
        row("Mac, CR LF: dell’èra alone", mac, mac, "\r\n", {"Tango dell’èra", "Test Artist", ""});
        row("Windows, CR LF: JOSÉ’S alone", windows, windows, "\r\n", {"JOSÉ’S TANGO", "Test Artist", ""});
        row("Windows, LF: Fuß–Tango alone", windows, windows, "\n", {"Fuß–Tango", "Test Artist", ""});
        // UTF-8 files with notes pasted in from Mac OS Roman text.
        row("UTF-8, Mac notes: L’últim", utf8, mac, "\n", {"Dansa", "Test Artist", "L’últim ball"});
        row("UTF-8, Mac notes: l’échauffement", utf8, mac, "\n", {"Valse", "Test Artist", "l’échauffement lent"});
        row("UTF-8 F₂N₂O, Mac notes", utf8, mac, "\n", {"F₂N₂O", "Test Artist", "Café"});
        row("UTF-8 C₇H₅NO₄, Mac notes", utf8, mac, "\n", {"Acid", "C₇H₅NO₄ Trio", "Dansé lentement"});
        // Genuine UTF-8 files, whatever their line ends.
        row("UTF-8, CR: Greek", utf8, utf8, "\r", {"Καλημέρα Tango", "Γιάννης", ""});
        row("UTF-8, CR LF: Armenian", utf8, utf8, "\r\n", {"Երևան Waltz", "Test Artist", ""});
        row("UTF-8, LF: Trương", utf8, utf8, "\n", {"Trương Waltz", "Test Artist", ""});
        row("UTF-8, CR: CJK and emoji", utf8, utf8, "\r", {"Amor 愛 Eterno 🎶", "Test Artist", ""});
        row("UTF-8, LF: subscripts", utf8, utf8, "\n", {"F₂N₂O", "Test Artist", "C₇H₅NO₄"});
        row("UTF-8, CR LF: ǅemal", utf8, utf8, "\r\n", {"ǅemal Polka", "ǅenana Ǆ", ""});
        // A letter standing alone, or ending a word, whose bytes read as a
        // letter and a dash or quote mark at a word's end.
        row("UTF-8, LF: Cyrillic file name", utf8, utf8, "\n", {"Song", "Test Artist", ""}, "/Users/x/Music/Ж.mp3");
        row("UTF-8, CR LF: Cyrillic file name", utf8, utf8, "\r\n", {"Song", "Test Artist", ""},
            "/Users/x/Music/Ж.mp3");
        row("UTF-8, CR LF: Ukrainian file name", utf8, utf8, "\r\n", {"Song", "Test Artist", ""},
            "/Users/x/Music/і.mp3");
        row("UTF-8, LF: pinyin file name", utf8, utf8, "\n", {"Song", "Test Artist", ""}, "/Users/x/Music/Wǒ.mp3");
        row("UTF-8, CR LF: pinyin in a title", utf8, utf8, "\r\n", {"Tango Wǒ Night", "Nǚ Trio", ""});
        row("UTF-8, LF: pinyin alone in a word", utf8, utf8, "\n", {"Step ǒ?", "Test Artist", "ǒ"});
        row("UTF-8, CR LF: pinyin alone", utf8, utf8, "\r\n", {"ǒ", "Я", ""});
        // 8-bit files with a byte that no UTF-8 sequence takes, where a mark
        // and a letter make a letter of another script, or one no living
        // language writes, glued to a word.
        row("Mac, LF: Perché—è", mac, mac, "\n", {"Perché—è tardi", "Test Artist", "Café"});
        row("Mac, CR LF: Perché—è", mac, mac, "\r\n", {"Perché—è tardi", "Test Artist", "Café"});
        row("Mac, LF: Ça—é", mac, mac, "\n", {"Ça—é", "Test Artist", "Café"});
        row("Mac, CR LF: Señor—ñ", mac, mac, "\r\n", {"Señor—ñ", "Test Artist", "Café"});
        row("Mac, LF: Rendez-vous…à", mac, mac, "\n", {"Rendez-vous…à", "Test Artist", "Café"});
        // Windows-1252 Ç’ opening an Albanian word is pinyin ǒ's bytes.
        row("Windows, CR LF: Ç’kemi", windows, windows, "\r\n", {"Ç’kemi bërë", "Test Artist", ""});
        row("Windows, LF: Ç’kemi alone", windows, windows, "\n", {"Ç’kemi", "Test Artist", ""});
    }
    void filesReadAsWritten()
    {
        QFETCH(QByteArray, encoding);
        QFETCH(QByteArray, notesEncoding);
        QFETCH(QByteArray, end);
        QFETCH(QStringList, values);
        QFETCH(QString, path);
        QStringEncoder encoder(encoding.constData());
        QStringEncoder notesEncoder(notesEncoding.constData());
        const QByteArray content = songFile(encoder.encode(values[0]), encoder.encode(values[1]), end,
                                            notesEncoder.encode(values[2]), encoder.encode(path));
        const SongScript::Reading reading = SongScript::parse(content);
        QVERIFY2(reading.script, qPrintable(reading.problem));
        const QStringList song = reading.script->song;
        QCOMPARE(QStringList({song.at(0), song.at(1), song.at(6)}), values);
        QCOMPARE(song.at(5), path);
    }
};

QTEST_GUILESS_MAIN(EightBitLettersTest)
#include "tst_eightbitletters.moc"
