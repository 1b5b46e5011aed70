// Song synchronisation: the song list with its instructions, and each press
// on one song: how far its counts move, what its history keeps, what the
// user is told, and what an open track editor shows.

#include "core/Code.h"
#include "library/ListCells.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"
#include "tracks/SongSynch.h"
#include "tracks/Track.h"

#include <QtTest>

using namespace testing;

namespace {
const QString kDone = "All done.";
const QString kPick = "Please click on a song first.";
const QString kNaN = "Please fill in the number of seconds to shift by, such as 0.10.";
const QString kMinus = "Please fill in the seconds without a minus sign: Shift Track Backward moves the counts earlier.";
const QString kRefused = "Something went wrong. Error: refused";
const QString kLocked = "Something went wrong. Error: database is locked";
const QString kBeyond = "That would put counts more than 24 hours from the start of the song: no song lasts that long.";

// The window as the menu opens it; "Dancer's Lantern", its second row, is song 12.
SongSynch& openSynch(AppHarness& h)
{
    execute(h, "Update Songs Set ID=12 Where ID=1");
    execute(h, "Update Track Set SongsID=12 Where SongsID=1");
    h.startWithoutWindows();
    h.app->chooseMenuItem(QStringLiteral("mSynch"));
    return SongSynch::instance();
}
} // namespace

class SongSynchTest : public QObject {
    Q_OBJECT
private slots:
    // The songs by title and the selected one's instructions; a song deleted
    // since, or none selected, shows a text of its own. A press leaves a
    // closed track editor closed; with no songs at all the buttons beep.
    void listsSongsWithTheirInstructions()
    {
        AppHarness h;
        execute(h, "Update Songs Set Synch='Later by 0.2.' where ID=1");
        SongSynch& w = openSynch(h);
        QCOMPARE(columnTexts(w.List, 0), QStringList({"Copper Rooftops", "Dancer's Lantern", "Low Tide Promenade",
                                                      "Midnight at the Velmora"}));
        QCOMPARE(QStringList({w.List->Cell(1, ListCells::IDCell), QString::number(w.List->ListIndex()), w.efOffset->text(),
                              w.stInstructions->text()}), QStringList({"12", "0", "0.10", ""}));
        StatementLog log;
        clickRow(w.List, 1);
        QCOMPARE(w.stInstructions->text(), "Later by 0.2.");
        QVERIFY(log.statements.contains("Select Synch From Songs Where ID=12"));
        execute(h, "Delete from Songs where Title='Low Tide Promenade'");
        w.List->setListIndex(2);
        QCOMPARE(w.stInstructions->text(), "No synchronization instructions found for this song.");
        w.List->setListIndex(-1);
        QCOMPARE(w.stInstructions->text(), "Synchronization instructions.");
        w.pbHelp->push();
        QCOMPARE(h.fake->urls, QStringList{"https://corvantis.example.org/melvaro/docs/song-sync"});
        // The menu brings the open window forward as it stands.
        w.List->setListIndex(1);
        w.efOffset->setText("2");
        w.pbForward->push();
        h.app->chooseMenuItem(QStringLiteral("mSynch"));
        QVERIFY(!Track::isOpen() && &SongSynch::instance() == &w && w.efOffset->text() == "2");
        w.Close();
        execute(h, "Delete from Songs");
        h.app->chooseMenuItem(QStringLiteral("mSynch"));
        SongSynch::instance().pbRestore->push();
        QCOMPARE(messagesAndBeeps(h), QStringList({kDone, "beep", "beep"}));
    }

    void presses_data()
    {
        QTest::addColumn<QString>("setup");    // song 12's history, and what refuses the press
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("presses");  // "F0.10": Shift Track Forward by 0.10; "B": Backward; "R": Restore
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<double>("moved");     // every count of song 12, in the end
        const auto done = [](int n) { return QStringList(n, kDone); };
        QTest::newRow("forward 0.10") << "0" << 1 << "F0.10" << done(1) << 0.1;
        QTest::newRow("backward 1.5") << "0" << 1 << "B1.5" << done(1) << -1.5;
        QTest::newRow("forward, backward 0.5") << "0" << 1 << "F0.5;B0.5" << done(2) << 0.0;
        QTest::newRow("two decimals, a comma") << "0" << 1 << "F0.126;B 0,004 ;F0" << done(3) << 0.13;
        QTest::newRow("a thousand seconds") << "0" << 1 << "F1234.5" << done(1) << 1234.5;
        QTest::newRow("restore 0.3") << "0.3" << 1 << "R" << done(1) << -0.3;
        QTest::newRow("restore -0.3") << "-0.3" << 1 << "R" << done(1) << 0.3;
        QTest::newRow("empty history") << "null" << 1 << "F0.5;F0.25" << done(2) << 0.75;
        for (const char* p : {"F0.1", "B0.1", "R"}) {
            QTest::addRow("no song selected, %s", p) << "0.5" << -1 << p << QStringList{kPick} << 0.0;
            QTest::addRow("a song deleted since, %s", p) << "0.5" << 2 << p << QStringList{"Something went wrong."} << 0.0;
            QTest::addRow("counts refused, %s", p) << "0.5 Track" << 1 << p << QStringList{kRefused} << 0.0;
        }
        for (const char* p : {"F", "B ", "Fabc", "F0.5 s", "B1e999", "F--1"})
            QTest::addRow("offset '%s'", p + 1) << "0.5" << 1 << p << QStringList{kNaN} << 0.0;
        for (const char* p : {"F-0.5", "B-0.001", "B -2"})
            QTest::addRow("offset '%s'", p + 1) << "0.5" << 1 << p << QStringList{kMinus} << 0.0;
        // No time or history beyond a day is ever stored, so Restore brings every count back.
        QTest::newRow("an offset no song needs") << "0.5" << 1 << "F99999999999999999999"
                                                 << QStringList{"Please fill in a shift of 24 hours or less: no song lasts longer."} << 0.0;
        QTest::newRow("counts beyond a day") << "0" << 1 << "F80000;F80000" << QStringList{kDone, kBeyond} << 80000.0;
        QTest::newRow("a history beyond a day") << "86000" << 1 << "F500" << QStringList{kBeyond} << 0.0;
        QTest::newRow("restore after a long shift") << "0" << 1 << "F80000;B0.25;R" << done(3) << 0.0;
        QTest::newRow("history refused") << "0.5 Songs" << 1 << "R" << QStringList{kRefused} << 0.0;
        QTest::newRow("another program writing") << "0.5 writer" << 1 << "F0.5" << QStringList{kLocked} << 0.0;
        QTest::newRow("another program reading") << "0.5 reader" << 1 << "R" << QStringList{kLocked} << 0.0;
        QTest::newRow("another transaction open") << "0.5 open" << 1 << "B0.5"
            << QStringList{"Something went wrong. Error: cannot start a transaction within a transaction"} << 0.0;
    }
    void presses()
    {
        QFETCH(QString, setup);
        QFETCH(int, row);
        QFETCH(QString, presses);
        QFETCH(QStringList, told);
        QFETCH(double, moved);
        const QString refusal = setup.section(' ', 1);
        AppHarness h;
        if (setup.startsWith("null")) {   // a database file whose history column may be empty
            execute(h, "Alter Table Songs Rename To OldSongs");
            execute(h, "Create Table Songs (ID INTEGER PRIMARY KEY, Title, Path, Synch, SynchHist REAL)");
            execute(h, "Insert Into Songs Select ID, Title, Path, Synch, NULL From OldSongs");
        }
        execute(h, "Update Songs Set SynchHist=" + setup.section(' ', 0, 0) + " where ID=1");
        SongSynch& w = openSynch(h);
        execute(h, "Delete from Songs where Title='Low Tide Promenade'");
        Track::instance().LoadTrack(2);
        execute(h, "Create Table Before As Select ID, SongsID, TheTime From Track");
        std::unique_ptr<fw::Database> other = h.openDatabase();
        if (refusal == "Songs" || refusal == "Track")
            other->SQLExecute("Create Trigger refuse Before Update On " + refusal + " Begin Select Raise(Abort, 'refused'); End");
        other->SQLExecute(refusal == "writer" ? "Begin Immediate" : refusal == "reader" ? "Begin" : "Select 1");
        QVERIFY(other->SQLSelect("Select count(*) from Songs"));
        if (refusal == "open")
            Code::db->SQLExecute("BEGIN");
        w.List->setListIndex(row);
        for (const QString& p : presses.split(';')) {
            if (p[0] != 'R') {
                w.efOffset->setText(QString());
                QTest::keyClicks(w.efOffset->widget(), p.mid(1));
            }
            (p[0] == 'F' ? w.pbForward : p[0] == 'B' ? w.pbBackward : w.pbRestore)->push();
        }
        QCOMPARE(h.fake->messageTexts(), told);
        QCOMPARE(noTransactionOpen(), refusal != "open");   // a transaction not the press's own stays open
        other.reset();
        // Every count of song 12 moved, every other count stayed, and none was lost.
        QCOMPARE(h.queryValue(QString("Select count(*) = (Select count(*) from Before) from Before Join Track Using (ID) "
                                      "Where abs(Track.TheTime - Before.TheTime - (Before.SongsID=12) * %1) < 1e-9")
                                  .arg(moved)), "1");
        // The history says how far the counts have moved since it was last restored.
        const double kept = told.contains(kDone) && presses.endsWith('R') ? 0.0 : setup.section(' ', 0, 0).toDouble() + moved;
        QVERIFY(std::abs(h.queryValue("Select SynchHist from Songs where ID=12").toDouble() - kept) < 1e-9);
        QCOMPARE(Track::instance().TheSongID, told.contains(kDone) ? 12 : 2);
    }
};

QTEST_MAIN(SongSynchTest)
#include "tst_songsynch.moc"
