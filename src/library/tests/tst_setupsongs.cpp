// Song set-up: the list and its place, Add New, Delete, the selection
// checks, Edit Song Info, and export and import of song-script
// files through the window (dialog and drop).

#include "library/ListCells.h"
#include "library/SetupSongs.h"
#include "library/SongInfo.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include <QtTest>
#include <array>

using namespace testing;
using ListCells::IDCell;

namespace {
const QString kPick = "Please click on a song first.";
const QString kImported = "Song imported OK.";

SetupSongs& openSetup(AppHarness& h) { h.startWithoutWindows(); return SetupSongs::instance(); }
int count(const AppHarness& h, const QString& table) { return h.queryValue("Select count(*) from " + table).toInt(); }
// Every value of a song and its track as one text, the IDs left out.
QString songText(const AppHarness& h, const QString& id)
{
    return h.queryValue("Select Title||'|'||Artist||'|'||CD||'|'||Link||'|'||BPM||'|'||Path||'|'||Notes||'|'||"
                        "TestStart||'|'||TestEnd||'|'||Install||'|'||InstallLink from Songs where ID=" + id)
        + h.queryValue("Select group_concat(r, ';') from (Select TheCount||'|'||TheTime||'|'||Beat||'|'||Speed||'|'||"
                       "Note||'|'||Advice||'|'||Comment||typeof(TheTime) as r from Track where SongsID=" + id
                       + " order by TheCount)");
}
} // namespace

class SetupSongsTest : public QObject {
    Q_OBJECT
private slots:
    void fillsAndKeepsItsPlace()
    {
        AppHarness h;
        h.startWithoutWindows();
        execute(h, "Update Settings Set SetupSongsTop=120, SetupSongsLeft=40, SetupSongsHeight=300, SetupSongsWidth=600");
        SetupSongs& w = SetupSongs::instance();
        QCOMPARE(QList<int>({w.List->ListCount(), w.List->ListIndex(), w.top(), w.left(), w.height(), w.width()}),
                 QList<int>({4, 0, 120, 40, 300, 600}));
        for (const int top : {150, 0}) {   // a top of 0 writes nothing
            SetupSongs::instance().setTop(top);
            SetupSongs::instance().Close();
            QCOMPARE(setting(h, "SetupSongsTop"), QStringLiteral("150"));
        }
        // A place refused while another program reads the file is dropped
        // quietly, and leaves the connection free for the next change.
        std::optional<OtherProgram> other(std::in_place, h, OtherProgram::Hold::Reading);
        SetupSongs::instance().setTop(170);
        SetupSongs::instance().Close();
        other.reset();
        QVERIFY(h.fake->messages.empty() && noTransactionOpen());
        QCOMPARE(setting(h, "SetupSongsTop"), QStringLiteral("150"));
        SetupSongs::instance().pbAddNewSong->push();
        QVERIFY(h.fake->messages.empty() && count(h, "Songs") == 5);
    }

    // A library that cannot be read is told at once, not shown as empty.
    void unreadableLibrary_data() { addUnreadableRows(); }
    void unreadableLibrary()
    {
        QFETCH(bool, locked);
        AppHarness h;
        h.startWithoutWindows();
        const auto other = makeUnreadable(h, locked);
        QCOMPARE(SetupSongs::instance().List->ListCount(), 0);
        QCOMPARE(messagesAndBeeps(h), QStringList{unreadableMessage(locked)});
    }

    // A new song's row is selected, so Edit Song Info opens the new song.
    void addNewAppendsSelectedRowsAndEditSongInfoOpensThem()
    {
        AppHarness h;
        SetupSongs& w = openSetup(h);
        w.pbAddNewSong->push();
        w.pbAddNewSong->push();
        QVERIFY(w.List->ListCount() == 6 && w.List->ListIndex() == 5 && w.List->Cell(4, IDCell) != w.List->Cell(5, IDCell));
        QCOMPARE(h.queryValue("Select Title||','||Artist||','||CD from Songs where ID=" + w.List->Cell(5, IDCell)),
                 "New Song,Click the Edit Song Info button,and fill in the info for this song.");
        w.pbEditSongInfo->push();
        auto* form = dynamic_cast<SongInfo*>(fw::Window::openWindows().back());
        QVERIFY(form && form->isVisible() && QString::number(form->SongID) == w.List->Cell(5, IDCell));
        execute(h, "CREATE TRIGGER refuse BEFORE INSERT ON Songs BEGIN SELECT RAISE(ABORT, 'refused'); END");
        w.pbAddNewSong->push();
        QCOMPARE(h.fake->messageTexts(), QStringList{"Error when trying to add new song: refused"});
        QVERIFY(w.List->ListCount() == 6 && noTransactionOpen());
    }

    void deleteAsksTwice_data()
    {
        QTest::addColumn<QString>("answers");   // O: OK, C: Cancel
        QTest::addColumn<bool>("refused");
        for (const char* answers : {"C", "OC", "OO"})
            QTest::newRow(answers) << QString(answers) << false;
        QTest::newRow("refused by the database") << QStringLiteral("OO") << true;
    }
    void deleteAsksTwice()
    {
        QFETCH(QString, answers);
        QFETCH(bool, refused);
        AppHarness h;
        SetupSongs& w = openSetup(h);
        const QString id = songID(h, "Dancer's Lantern");
        if (refused)
            execute(h, "CREATE TRIGGER refuse BEFORE DELETE ON Songs BEGIN SELECT RAISE(ABORT, 'refused'); END");
        for (const QChar a : answers)
            h.fake->answers.push_back(a == 'O' ? fw::MsgAnswer::Ok : fw::MsgAnswer::Cancel);
        w.List->setListIndex(1);
        w.pbDeleteSong->push();
        const QStringList messages = {"Delete Dancer's Lantern?", "Really delete Dancer's Lantern? This action cannot be "
                                      "undone, and will delete the song track.", "Could not delete the song. Error: refused"};
        QCOMPARE(h.fake->messageTexts(), messages.mid(0, answers.size() + int(refused)));
        QVERIFY(h.fake->messages[0].title == "Corvantis" && h.fake->messages[0].icon == fw::MsgIcon::Caution);
        // A refused delete is undone whole: the track stays with its song.
        const bool deleted = answers == "OO" && !refused;
        QCOMPARE(QList<int>({count(h, "Track where SongsID=" + id) > 0, count(h, "Songs"), w.List->ListCount(),
                             w.List->ListIndex()}),
                 deleted ? QList<int>({0, 3, 3, -1}) : QList<int>({1, 4, 4, 1}));
    }

    void actionsNeedASelectedSong_data()
    {
        QTest::addColumn<int>("action");
        int k = 0;
        for (const char* action : {"delete", "export", "info", "track", "double-click"})
            QTest::newRow(action) << k++;
    }
    void actionsNeedASelectedSong()
    {
        QFETCH(int, action);
        AppHarness h;
        SetupSongs& w = openSetup(h);
        const std::array buttons{w.pbDeleteSong, w.pbExport, w.pbEditSongInfo, w.pbEditSongTrack};
        const auto run = [&] { action < 4 ? buttons[size_t(action)]->push() : w.List_DoubleClick(); };
        w.List->setListIndex(-1);
        run();
        QCOMPARE(messagesAndBeeps(h), QStringList{kPick});
        w.List->DeleteAllRows();
        run();
        QCOMPARE(messagesAndBeeps(h), QStringList({kPick, "beep"}));
        QVERIFY(QDir(h.env.desktopFolder()).isEmpty() && fw::Window::openWindows().size() == 1 && count(h, "Songs") == 4);
    }

    // A file as another copy of the program writes it, byte for byte: each
    // line lands in its own column on import, and the export of the imported
    // song gives the same bytes back.
    void fileMapsLinesToColumns()
    {
        const QByteArray fixture = "The Title\nThe Artist\nThe CD\nhttps://example.org/link\n132\nhome:ana:Music:the.wav\n"
                                   "The notes\n12.5\n40.25\nThe install text\nhttps://example.org/install\n"
                                   "1\t0.5\t1\t132.0\tnote one\tadvice one\tcomment one\t\n"
                                   "2\t0.97\t2\t131.5\tnote two\tadvice two\tcomment two\t\n";
        AppHarness h;
        SetupSongs& w = openSetup(h);
        QFile file(h.env.root() + "/The Title.txt");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(fixture) == fixture.size() && file.flush());
        dropFiles(w.pbImport->widget(), QPoint(5, 5), {file.fileName()});
        QCOMPARE(messagesAndBeeps(h), QStringList{kImported});
        const QString id = w.List->Cell(4, IDCell);
        QCOMPARE(h.queryValue("Select Title||'|'||Artist||'|'||CD||'|'||Link||'|'||BPM||'|'||Path||'|'||Notes||'|'||"
                              "TestStart||'|'||TestEnd||'|'||Install||'|'||InstallLink from Songs where ID=" + id),
                 "The Title|The Artist|The CD|https://example.org/link|132|home:ana:Music:the.wav|The notes|12.5|40.25|"
                 "The install text|https://example.org/install");
        QCOMPARE(h.queryValue("Select group_concat(r, ';') from (Select TheCount||'|'||TheTime||'|'||Beat||'|'||Speed||'|'||"
                              "Note||'|'||Advice||'|'||Comment as r from Track where SongsID=" + id + " order by TheCount)"),
                 "1|0.5|1|132.0|note one|advice one|comment one;2|0.97|2|131.5|note two|advice two|comment two");
        w.List->setListIndex(4);
        w.pbExport->push();
        QCOMPARE(h.fake->lastMessage(), "File created on desktop: The Title.txt");
        QFile exported(h.env.desktopFolder() + "/The Title.txt");
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll(), fixture);
    }

    // A TAB stays in a song value; in a track value it becomes a space, and
    // the export says so.
    void exportAndImportRoundTrip()
    {
        AppHarness h;
        SetupSongs& w = openSetup(h);
        const QString id = songID(h, "Dancer's Lantern");
        execute(h, "Update Songs Set Notes='first'||char(9)||'second' where ID=" + id);
        execute(h, "Update Track Set Comment='left'||char(9)||'right' where SongsID=" + id + " and TheCount=3");
        w.List->setListIndex(1);
        w.pbExport->push();
        w.pbExport->push();   // replaces the file without a question
        h.fake->chosenFiles.assign(2, h.env.desktopFolder() + "/Dancer's Lantern.txt");
        h.fake->answers = {fw::MsgAnswer::Cancel, fw::MsgAnswer::Ok};
        w.pbImport->push();
        w.pbImport->push();
        const QString created = "File created on desktop: Dancer's Lantern.txt\nA TAB inside a value of the track was "
                                "written as a space, since TABs separate the values of a track line.";
        const QString question = "A song named 'Dancer's Lantern' already exists in the database. You can have more "
                                 "than one song with the same name. Do you want to import this song?";
        QCOMPARE(h.fake->messageTexts(), QStringList({created, created, question, question, kImported}));
        QVERIFY(w.List->ListCount() == 5 && w.List->ListIndex() == 1 && w.List->Cell(4, 0) == "Dancer's Lantern");
        const QString newID = w.List->Cell(4, IDCell);
        QVERIFY(newID != id && songText(h, id).contains("real") && songText(h, id).contains("first\tsecond"));
        QCOMPARE(songText(h, newID), songText(h, id).replace("left\tright", "left right"));
    }

    // Titles that make no usable file name still export, under a name made
    // from them that the message shows.
    void exportFileNames_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("slash") << "Copper/Rooftops" << "Copper-Rooftops.txt";
        QTest::newRow("empty") << "" << "Untitled.txt";
        QTest::newRow("only dots") << ".." << "Untitled.txt";
        QTest::newRow("leading dots would hide it") << "...And Then the Rain" << "And Then the Rain.txt";
        QTest::newRow("line break") << "Two\nLines" << "Two Lines.txt";
        // 255 bytes at most, cut between whole characters.
        QTest::newRow("over 255 bytes") << "a" + QString(200, QChar(0xE9)) << "a" + QString(125, QChar(0xE9)) + ".txt";
        QString notes;
        for (int k = 0; k < 70; ++k)
            notes += QString::fromUtf8("\xF0\x9F\x8E\xB5");
        QTest::newRow("over 255 bytes, four-byte characters") << notes << notes.left(2 * 62) + ".txt";
    }
    void exportFileNames()
    {
        QFETCH(QString, title);
        QFETCH(QString, fileName);
        AppHarness h;
        {
            const std::unique_ptr<fw::Database> db = h.openDatabase();
            db->SQLExecute("Update Songs Set Title=" + fw::sqlQuoted(title) + " where Title='Copper Rooftops'");
        }
        SetupSongs& w = openSetup(h);
        const int row = int(columnTexts(w.List, 0).indexOf(title));
        w.List->setListIndex(row);
        w.pbExport->push();
        QCOMPARE(h.fake->messageTexts(), QStringList{"File created on desktop: " + fileName});
        QCOMPARE(QDir(h.env.desktopFolder()).entryList(QDir::Files), QStringList{fileName});
    }

    // A failed select is the database's failure, told with its text; nothing
    // is written over an earlier export, and nothing is imported.
    void exportFailures_data()
    {
        QTest::addColumn<QString>("change");   // run on the database once the window is open
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("told");
        QTest::newRow("song gone") << "Delete from Songs where Title='Midnight at the Velmora'" << 3
                                   << "Couldn't find song record.";
        QTest::newRow("no track") << "Delete from Track" << 3 << "Couldn't find track data.";
        QTest::newRow("songs unreadable") << "Alter Table Songs Rename To Gone" << 3
                                          << "Couldn't read the song record. Error: no such table: Songs";
        QTest::newRow("track unreadable") << "Alter Table Track Rename To Gone" << 3
                                          << "Couldn't read the song's track. Error: no such table: Track";
        QTest::newRow("name taken by a folder") << "" << 1 << "Couldn't create the file.";
    }
    void exportFailures()
    {
        QFETCH(QString, change);
        QFETCH(int, row);
        QFETCH(QString, told);
        AppHarness h;
        SetupSongs& w = openSetup(h);
        QVERIFY(QDir(h.env.desktopFolder()).mkdir("Dancer's Lantern.txt"));
        QFile earlier(h.env.desktopFolder() + "/Midnight at the Velmora.txt");
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier export\n") > 0);
        earlier.close();
        if (!change.isEmpty())
            execute(h, change);
        w.List->setListIndex(row);
        w.pbExport->push();
        QCOMPARE(h.fake->messageTexts(), QStringList{told});
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        const QByteArray content = earlier.readAll();
        if (told == "Couldn't find track data.")
            QCOMPARE(content.count('\n'), 11);   // the song's own lines
        else
            QCOMPARE(content, QByteArray("earlier export\n"));
    }

    void failedTitleCheckImportsNothing()
    {
        AppHarness h;
        SetupSongs& w = openSetup(h);
        QFile file(h.env.root() + "/a.txt");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("New\n\n\n\n\n\n\n\n\n\n\n1\t1\t1\t\n") > 0);
        file.close();
        execute(h, "Alter Table Songs Rename To Gone");
        h.fake->answers = {fw::MsgAnswer::Ok};
        dropFiles(w.pbImport->widget(), QPoint(5, 5), {file.fileName()});
        QCOMPARE(messagesAndBeeps(h), QStringList{"Couldn't look for a song of the same title. Error: no such table: Songs"});
        QVERIFY(w.List->ListCount() == 4 && count(h, "Gone") == 4 && noTransactionOpen());
    }

    // A dropped file: a song and its track are stored whole or not at all.
    void importByDropStoresAllOrNothing_data()
    {
        QTest::addColumn<QString>("name");   // empty: a folder is dropped
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("refusing");   // the table whose inserts fail
        QTest::addColumn<QString>("told");
        const QByteArray song = "Imported\nArtist\nCD\n\n96\n\nNotes\n0.0\n0.0\n\n\n1\t1.5\t1\t\n";
        QTest::newRow("capitals") << "a.tXT" << song << "" << kImported;
        // As a copy of the program on the Mac writes it: 8-bit text, CR line ends.
        QTest::newRow("Mac file") << "m.txt" << QByteArray(song).replace('\n', '\r').replace("Imported", "Caf\x8E Ol\x8E")
                                  << "" << kImported;
        QTest::newRow("far too large") << "huge.txt" << QByteArray() << ""
                                       << "This file is not a song-script file: at 900.0 MB it is far larger than any "
                                          "song-script.";
        QTest::newRow("folder") << "" << song << "" << "beep";
        QTest::newRow("other extension") << "c.text" << song << ""
                                         << "This does not appear to be a song file. The filename should end with: .txt";
        QTest::newRow("damaged line") << "f.txt" << song + "x\n" << ""
                                      << "Line 13 of the file is not a track line: it must begin with a count, a time and a beat.";
        QTest::newRow("song refused") << "s.txt" << song << "Songs" << "Could not create song record. Error: refused";
        QTest::newRow("track refused") << "s.txt" << song << "Track" << "Could not create Track record. Error: refused";
    }
    void importByDropStoresAllOrNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, refusing);
        QFETCH(QString, told);
        AppHarness h;
        SetupSongs& w = openSetup(h);
        const int tracks = count(h, "Track");
        if (!refusing.isEmpty())
            execute(h, "CREATE TRIGGER refuse BEFORE INSERT ON " + refusing + " BEGIN SELECT RAISE(ABORT, 'refused'); END");
        QFile file(h.env.root() + "/" + name);
        if (name == "huge.txt")   // a wrong file dropped by mistake, not read at all
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(900) << 20));
        else
            QVERIFY(name.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(content) > 0 && file.flush()));
        dropFiles(w.pbImport->widget(), QPoint(5, 5), {name.isEmpty() ? h.env.desktopFolder() : file.fileName()});
        QCOMPARE(messagesAndBeeps(h), QStringList{told});
        const int stored = told == kImported ? 1 : 0;
        QCOMPARE(QList<int>({count(h, "Songs"), w.List->ListCount(), count(h, "Track")}),
                 QList<int>({4 + stored, 4 + stored, tracks + stored}));
        if (stored)
            QCOMPARE(w.List->Cell(4, 0), name == "m.txt" ? "Café Olé" : "Imported");
        QVERIFY(noTransactionOpen());
    }
};

QTEST_MAIN(SetupSongsTest)
#include "tst_setupsongs.moc"
