// Song set-up: the list and its place, Add New, Delete, the selection
// checks, Edit Song Info and Help, and export and import of song-script
// files through the window (dialog and drop).

#include "core/Code.h"
#include "library/ListCells.h"
#include "library/SetupSongs.h"
#include "library/SongInfo.h"
#include "support/app/AppHarness.h"

#include <QDir>
#include <QMimeData>
#include <QtTest>

using testing::AppHarness;
using ListCells::IDCell;

namespace {
const QString kLantern = "Dancer's Lantern";
const QString kPick = "Please click on a song first.";
const QByteArray kElevenLines = "Imported\nArtist\nCD\n\n96\n\nNotes\n0.0\n0.0\n\n\n";

SetupSongs& openSetup(AppHarness& h)
{
    h.startWithoutWindows();
    return SetupSongs::instance();
}
void exec(const AppHarness& h, const QString& sql) { h.openDatabase()->SQLExecute(sql); }
int count(const AppHarness& h, const QString& table) { return h.queryValue("Select count(*) from " + table).toInt(); }
QString idOf(const AppHarness& h, const QString& title)
{
    return h.queryValue("Select ID from Songs where Title=" + fw::sqlQuoted(title));
}
QString writeFile(const AppHarness& h, const QString& name, const QByteArray& content)
{
    QFile file(h.env.root() + "/" + name);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return file.fileName();
}
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
        exec(h, "Update Settings Set SetupSongsTop=120, SetupSongsLeft=40, SetupSongsHeight=300, SetupSongsWidth=600");
        SetupSongs& w = SetupSongs::instance();
        QCOMPARE(w.List->ListCount(), 4);
        QCOMPARE(w.List->Cell(1, 0), kLantern);
        QCOMPARE(w.List->Cell(1, IDCell), idOf(h, kLantern));
        QVERIFY(w.List->ListIndex() == 0 && w.pbImport->textSize() == 10);
        QCOMPARE(QList<int>({w.top(), w.left(), w.height(), w.width()}), QList<int>({120, 40, 300, 600}));
        for (const int top : {150, 0}) {   // a top of 0 writes nothing
            SetupSongs::instance().setTop(top);
            SetupSongs::instance().Close();
            QCOMPARE(h.queryValue("Select SetupSongsTop from Settings"), QStringLiteral("150"));
        }
    }

    void addNewAppendsSelectedRows()
    {
        AppHarness h;
        SetupSongs& w = openSetup(h);
        w.pbAddNewSong->push();
        w.pbAddNewSong->push();
        QCOMPARE(w.List->ListCount(), 6);
        QCOMPARE(w.List->ListIndex(), 5);
        QVERIFY(w.List->Cell(4, IDCell) != w.List->Cell(5, IDCell));
        QCOMPARE(h.queryValue("Select Title||','||Artist||','||CD||','||SynchHist from Songs where ID="
                              + w.List->Cell(5, IDCell)),
                 "New Song,Click the Edit Song Info button,and fill in the info for this song.,0.0");
        QCOMPARE(w.List->Cell(5, 0) + w.List->Cell(5, 2), "New Songand fill in the info for this song.");
    }

    void refusedInsertStoresNothing_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("import");
        QTest::addColumn<QString>("message");
        QTest::newRow("add new") << "Songs" << false << "Error when trying to add new song: refused";
        QTest::newRow("import, song") << "Songs" << true << "Could not create song record. Error: refused";
        QTest::newRow("import, track") << "Track" << true << "Could not create Track record. Error: refused";
    }
    void refusedInsertStoresNothing()
    {
        QFETCH(QString, table);
        QFETCH(bool, import);
        QFETCH(QString, message);
        AppHarness h;
        SetupSongs& w = openSetup(h);
        const int tracks = count(h, "Track");
        exec(h, "CREATE TRIGGER refuse BEFORE INSERT ON " + table + " BEGIN SELECT RAISE(ABORT, 'refused'); END");
        if (import)
            w.ImportFile(fw::FolderItem::fromPosixPath(writeFile(h, "s.txt", kElevenLines + "1\t1\t1\t\n")));
        else
            w.pbAddNewSong->push();
        QCOMPARE(h.fake->messageTexts(), QStringList{message});
        QVERIFY(w.List->ListCount() == 4 && count(h, "Songs") == 4 && count(h, "Track") == tracks);
        Code::db->SQLExecute("BEGIN");   // no transaction was left open
        QVERIFY(!Code::db->Error());
        Code::db->Rollback();
    }

    void deleteAsksTwice_data()
    {
        QTest::addColumn<QString>("answers");   // O: OK, C: Cancel
        QTest::newRow("cancel first") << "C";
        QTest::newRow("cancel second") << "OC";
        QTest::newRow("ok twice") << "OO";
    }
    void deleteAsksTwice()
    {
        QFETCH(QString, answers);
        AppHarness h;
        SetupSongs& w = openSetup(h);
        const QString id = idOf(h, kLantern);
        for (const QChar a : answers)
            h.fake->answers.push_back(a == 'O' ? fw::MsgAnswer::Ok : fw::MsgAnswer::Cancel);
        w.List->setListIndex(1);
        w.pbDeleteSong->push();
        const QStringList questions = {"Delete Dancer's Lantern?", "Really delete Dancer's Lantern? This action "
                                                                   "cannot be undone, and will delete the song track."};
        QCOMPARE(h.fake->messageTexts(), questions.mid(0, answers.size()));
        QVERIFY(h.fake->messages[0].title == "Corvantis" && h.fake->messages[0].icon == fw::MsgIcon::Caution);
        const bool deleted = answers == "OO";
        QCOMPARE(h.queryValue("Select count(*) from Track where SongsID=" + id) == "0", deleted);
        QCOMPARE(count(h, "Songs"), deleted ? 3 : 4);
        QCOMPARE(w.List->ListIndex(), deleted ? -1 : 1);
        QCOMPARE(w.List->ListCount(), deleted ? 3 : 4);
    }

    void actionsNeedASelectedSong_data()
    {
        QTest::addColumn<QString>("action");
        for (const char* action : {"delete", "export", "info", "track", "double-click"})
            QTest::newRow(action) << action;
    }
    void actionsNeedASelectedSong()
    {
        QFETCH(QString, action);
        AppHarness h;
        SetupSongs& w = openSetup(h);
        const std::map<QString, std::function<void()>> actions = {
            {"delete", [&] { w.pbDeleteSong->push(); }},      {"export", [&] { w.pbExport->push(); }},
            {"info", [&] { w.pbEditSongInfo->push(); }},      {"track", [&] { w.pbEditSongTrack->push(); }},
            {"double-click", [&] { w.List_DoubleClick(); }}};
        const auto run = actions.at(action);
        w.List->setListIndex(-1);
        run();
        QVERIFY(h.fake->messageTexts() == QStringList{kPick} && h.fake->beeps == 0);
        w.List->DeleteAllRows();
        run();
        QVERIFY(h.fake->messageTexts() == QStringList{kPick} && h.fake->beeps == 1);
        QVERIFY(QDir(h.env.desktopFolder()).isEmpty() && fw::Window::openWindows().size() == 1);
        QCOMPARE(count(h, "Songs"), 4);
    }

    void editSongInfoAndHelp()
    {
        AppHarness h;
        SetupSongs& w = openSetup(h);
        w.List->setListIndex(2);
        w.pbEditSongInfo->push();
        w.pbEditSongInfo->push();
        QCOMPARE(fw::Window::openWindows().size(), 3u);
        auto* form = dynamic_cast<SongInfo*>(fw::Window::openWindows().back());
        QVERIFY(form && form->isVisible());
        QCOMPARE(QString::number(form->SongID), w.List->Cell(2, IDCell));
        w.pbHelp->push();
        QCOMPARE(h.fake->urls, QStringList{Code::sitePage("/melvaro/docs/setup-songs")});
    }

    void exportAndImportRoundTrip()
    {
        AppHarness h;
        SetupSongs& w = openSetup(h);
        const QString id = idOf(h, kLantern);
        exec(h, "Update Songs Set Notes='one'||char(10)||'two', Install='a'||char(9)||'b' where ID=" + id);
        w.List->setListIndex(1);
        w.pbExport->push();
        w.pbExport->push();   // replaces the file without a question
        QCOMPARE(h.fake->messageTexts(), QStringList(2, "File created on desktop: Dancer's Lantern.txt"));
        const QString file = h.env.desktopFolder() + "/Dancer's Lantern.txt";
        h.fake->clear();
        h.fake->chosenFiles = {file, file};
        h.fake->answers = {fw::MsgAnswer::Cancel, fw::MsgAnswer::Ok};
        w.pbImport->push();
        QCOMPARE(count(h, "Songs"), 4);
        w.pbImport->push();
        const QString question = "A song named 'Dancer's Lantern' already exists in the database. You can have more "
                                 "than one song with the same name. Do you want to import this song?";
        QCOMPARE(h.fake->messageTexts(), QStringList({question, question, "Song imported OK."}));
        QVERIFY(w.List->ListCount() == 5 && w.List->ListIndex() == 1 && w.List->Cell(4, 0) == kLantern);
        const QString newID = w.List->Cell(4, IDCell);
        QVERIFY(newID != id);
        QCOMPARE(songText(h, newID), songText(h, id).replace("a\tb", "a b"));
        QVERIFY(songText(h, id).contains("one\ntwo") && songText(h, id).contains("real"));
    }

    void exportNamesAndFailures()
    {
        AppHarness h;
        exec(h, "Update Songs Set Title='Copper/Rooftops' where Title='Copper Rooftops'");
        SetupSongs& w = openSetup(h);
        w.pbExport->push();
        QCOMPARE(h.fake->lastMessage(), "File created on desktop: Copper-Rooftops.txt");
        QVERIFY(QDir(h.env.desktopFolder()).mkdir("Low Tide Promenade.txt"));
        w.List->setListIndex(2);
        w.pbExport->push();
        QCOMPARE(h.fake->lastMessage(), "Couldn't create the file.");
        w.pbAddNewSong->push();
        w.pbExport->push();
        QCOMPARE(h.fake->lastMessage(), "Couldn't find track data.");
        exec(h, "Delete from Songs where Title='Midnight at the Velmora'");
        w.List->setListIndex(3);
        w.pbExport->push();
        QCOMPARE(h.fake->lastMessage(), "Couldn't find song record.");
        QFile newSong(h.env.desktopFolder() + "/New Song.txt");
        QVERIFY(newSong.open(QIODevice::ReadOnly));
        QCOMPARE(newSong.readAll().count('\n'), 11);
        QCOMPARE(QFileInfo(h.env.desktopFolder() + "/Midnight at the Velmora.txt").size(), 0);
    }

    void importChecksTheFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        const QString ok = "Song imported OK.", notSong = "This does not appear to be a song file. The filename should end with: .txt";
        QTest::newRow("capitals") << "a.tXT" << kElevenLines << ok;
        QTest::newRow("other extension") << "c.text" << kElevenLines << notSong;
        QTest::newRow("binary") << "d.txt" << kElevenLines + '\0' << "This file is not a song-script file: it does not hold text.";
        QTest::newRow("damaged line") << "f.txt" << kElevenLines + "1\t1\t1\t\nx\n"
                                      << "Line 13 of the file is not a track line: it must begin with a count, a time and a beat.";
    }
    void importChecksTheFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        AppHarness h;
        SetupSongs& w = openSetup(h);
        const int tracks = count(h, "Track");
        h.fake->chosenFiles = {writeFile(h, name, content)};
        w.pbImport->push();
        QCOMPARE(h.fake->messageTexts(), QStringList{message});
        const bool stored = message == "Song imported OK.";
        QCOMPARE(count(h, "Songs"), stored ? 5 : 4);
        QCOMPARE(w.List->ListCount(), stored ? 5 : 4);
        QCOMPARE(count(h, "Track"), tracks);   // eleven lines: a song without a track
    }

    void importByDrop()
    {
        AppHarness h;
        SetupSongs& w = openSetup(h);
        const auto drop = [&](const QString& path) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w.pbImport->widget(), &enter);
            QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w.pbImport->widget(), &event);
        };
        drop(h.env.desktopFolder());
        QVERIFY(h.fake->beeps == 1 && h.fake->messages.empty());
        drop(writeFile(h, "Dropped.txt", kElevenLines + "1\t1.5\t1\t\n"));
        QCOMPARE(h.fake->messageTexts(), QStringList{"Song imported OK."});
        QCOMPARE(h.queryValue("Select count(*) from Track where SongsID=" + w.List->Cell(4, IDCell)), "1");
        w.pbImport->push();   // the dialog cancelled
        QCOMPARE(count(h, "Songs"), 5);
    }
};

QTEST_MAIN(SetupSongsTest)
#include "tst_setupsongs.moc"
