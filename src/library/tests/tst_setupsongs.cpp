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

    // Line breaks and TABs inside values are the song-script file's own test.
    void exportAndImportRoundTrip()
    {
        AppHarness h;
        SetupSongs& w = openSetup(h);
        const QString id = songID(h, "Dancer's Lantern");
        w.List->setListIndex(1);
        w.pbExport->push();
        w.pbExport->push();   // replaces the file without a question
        h.fake->chosenFiles.assign(2, h.env.desktopFolder() + "/Dancer's Lantern.txt");
        h.fake->answers = {fw::MsgAnswer::Cancel, fw::MsgAnswer::Ok};
        w.pbImport->push();
        w.pbImport->push();
        const QString created = "File created on desktop: Dancer's Lantern.txt";
        const QString question = "A song named 'Dancer's Lantern' already exists in the database. You can have more "
                                 "than one song with the same name. Do you want to import this song?";
        QCOMPARE(h.fake->messageTexts(), QStringList({created, created, question, question, kImported}));
        QVERIFY(w.List->ListCount() == 5 && w.List->ListIndex() == 1 && w.List->Cell(4, 0) == "Dancer's Lantern");
        const QString newID = w.List->Cell(4, IDCell);
        QVERIFY(newID != id && songText(h, id).contains("real"));
        QCOMPARE(songText(h, newID), songText(h, id));
    }

    void exportNamesAndFailures()
    {
        AppHarness h;
        execute(h, "Update Songs Set Title='Copper/Rooftops' where Title='Copper Rooftops'");
        SetupSongs& w = openSetup(h);
        w.pbExport->push();
        QVERIFY(QDir(h.env.desktopFolder()).mkdir("Low Tide Promenade.txt"));
        w.List->setListIndex(2);
        w.pbExport->push();
        w.pbAddNewSong->push();
        w.pbExport->push();
        execute(h, "Delete from Songs where Title='Midnight at the Velmora'");
        w.List->setListIndex(3);
        w.pbExport->push();
        QCOMPARE(h.fake->messageTexts(), QStringList({"File created on desktop: Copper-Rooftops.txt",
                                                      "Couldn't create the file.", "Couldn't find track data.",
                                                      "Couldn't find song record."}));
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
        QVERIFY(name.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(content) > 0 && file.flush()));
        dropFiles(w.pbImport->widget(), QPoint(5, 5), {name.isEmpty() ? h.env.desktopFolder() : file.fileName()});
        QCOMPARE(messagesAndBeeps(h), QStringList{told});
        const int stored = told == kImported ? 1 : 0;
        QCOMPARE(QList<int>({count(h, "Songs"), w.List->ListCount(), count(h, "Track")}),
                 QList<int>({4 + stored, 4 + stored, tracks + stored}));
        QVERIFY(noTransactionOpen());
    }
};

QTEST_MAIN(SetupSongsTest)
#include "tst_setupsongs.moc"
