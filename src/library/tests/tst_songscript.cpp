// The song-script file on its own: what the reader makes of sound and
// damaged files, and that the writer's values read back.

#include "library/SongScript.h"

#include <QtTest>

const QByteArray kHead = "Title\nArtist\nCD\nLink\n120\nhome:a:b.wav\nNotes\n1.5\n9.0\n\n\n";
const QStringList kSong = QString::fromUtf8(kHead).split('\n').mid(0, 11);
using Rows = QList<QStringList>;

class SongScriptTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<Rows>("track");
        const QStringList row1 = {"1", "1.00", "1", "120", "Türn", "", ""};
        const QStringList row2 = {"2", "1.50", "2", "120", "", "Slow\ndown", "x"};
        const QByteArray lines = "1\t1.00\t1\t120\tT\xC3\xBCrn\t\t\t\n2\t1.50\t2\t120\t\tSlow\u2028down\tx\t\n";
        QTest::newRow("as written") << kHead + lines << QString() << Rows{row1, row2};
        QTest::newRow("CRLF line ends") << QByteArray(kHead + lines).replace("\n", "\r\n") << QString() << Rows{row1, row2};
        QTest::newRow("blank lines skipped") << kHead + "\n" + lines + "\n\n" << QString() << Rows{row1, row2};
        QTest::newRow("extra values ignored") << kHead + "1\t1.00\t1\t120\tT\xC3\xBCrn\t\t\tmore\tstill\n" << QString() << Rows{row1};
        QTest::newRow("missing values empty") << kHead + "1\t1.00\t1" << QString() << Rows{{"1", "1.00", "1", "", "", "", ""}};
        QTest::newRow("byte order mark, no track line") << "\xEF\xBB\xBF" + kHead << QString() << Rows{};
        const QString fewer = "This file is not a song-script file: it has fewer than 11 lines.";
        QTest::newRow("empty") << QByteArray() << fewer << Rows{};
        QTest::newRow("ten lines") << kHead.left(kHead.size() - 1) << fewer << Rows{};
        const QString binary = "This file is not a song-script file: it does not hold text.";
        QTest::newRow("NUL byte") << kHead + QByteArray("1\t2\0\t3\n", 7) << binary << Rows{};
        QTest::newRow("not UTF-8") << kHead + "1\t\xFF\xFE\t3\n" << binary << Rows{};
        const QString line13 = "Line 13 of the file is not a track line: it must begin with a count, a time and a beat.";
        QTest::newRow("time not a number") << kHead + lines.left(lines.indexOf('\n') + 1) + "2\tsoon\t2\t\n" << line13 << Rows{};
        QTest::newRow("two values") << kHead + "\n1\t2\n" << line13 << Rows{};
        QTest::newRow("infinite count") << kHead + "\ninf\t1\t1\n" << line13 << Rows{};
    }
    void parse()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, problem);
        QFETCH(Rows, track);
        const SongScript::Reading reading = SongScript::parse(content);
        QCOMPARE(reading.problem, problem);
        QCOMPARE(reading.script.has_value(), problem.isEmpty());
        if (reading.script) {
            QCOMPARE(reading.script->song, kSong);
            QCOMPARE(Rows(reading.script->track.begin(), reading.script->track.end()), track);
        }
    }

    // A line break inside a value is written as U+2028, a TAB as a space
    // (the reader's side is in the rows above); a second export of the song
    // replaces the file whole.
    void writerReadsBackAndReplaces()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Song.txt");
        SongScript::Writer writer;
        QStringList song = kSong;
        song[0] = "Café\r\nRoyal";
        song[6] = "tab\there";
        QVERIFY(writer.create(path));
        writer.writeSong(song);
        writer.writeTrackRow({"1", "1.0", "1", "96.0", "a\nb", "", "c\td"});
        QVERIFY(writer.close());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray(kHead).replace("Title", "Caf\xC3\xA9\xE2\x80\xA8Royal").replace("Notes", "tab here")
                                     + "1\t1.0\t1\t96.0\ta\xE2\x80\xA8" "b\t\tc d\t\n");
        QVERIFY(writer.create(path));
        writer.writeSong(QStringList(11, "x"));
        QVERIFY(writer.close());
        QCOMPARE(SongScript::read(path).script.value().song, QStringList(11, "x"));
        for (const QString& unreadable : {dir.filePath("none.txt"), dir.path()})
            QCOMPARE(SongScript::read(unreadable).problem, QStringLiteral("Couldn't read the file."));
    }
};

QTEST_APPLESS_MAIN(SongScriptTest)
#include "tst_songscript.moc"
