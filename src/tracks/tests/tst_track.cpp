// The track editor: opening from song set-up and its place, the fill with
// its progress, the cells' colours and intervals, the editor's keys and the
// write-back, playing from a count against the real player, the tools that
// add and change counts, the first track, and what happens when loads and
// closes meet a busy editor.

#include "core/Code.h"
#include "library/ListCells.h"
#include "library/SetupSongs.h"
#include "player/TheCount.h"
#include "support/Keyboard.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"
#include "tracks/NewTrack.h"
#include "tracks/SongSynch.h"
#include "tracks/Track.h"

#include "framework/Format.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTreeView>
#include <QtTest>
#include <numeric>

using namespace testing;

namespace {
const QString kPick = "Please click on a line first.";
const QString kNoSong = "The track editor holds no song. Open a song's track with \"Edit Song Track\" in Setup Songs first.";
const QColor kBlack(0, 0, 0), kBlue(0, 0, 255), kRed(255, 0, 0);

// A song whose track is given as "count time beat speed" rows joined by ", ";
// each count's note is "n" and its number.
int addTrack(AppHarness& h, const QString& rows, const QString& path = {}, const QString& title = "Probe")
{
    const int id = h.addSong(title, path, {}, {});
    QStringList values;
    for (const QString& row : rows.split(", ", Qt::SkipEmptyParts))
        values << QString("(%1, %2, 'n%3')").arg(id).arg(QString(row).replace(' ', ", "), row.section(' ', 0, 0));
    if (!values.isEmpty())
        execute(h, "Insert into Track (SongsID, TheCount, TheTime, Beat, Speed, Note) Values " + values.join(", "));
    return id;
}

// Counts 1 .. n, 0.5 s apart from 1.00 at 120 beats per minute.
QString evenCounts(int n)
{
    QStringList rows;
    for (int k = 1; k <= n; ++k)
        rows << QString("%1 %2 %3 120").arg(k).arg(0.5 + 0.5 * k).arg((k - 1) % 8 + 1);
    return rows.join(", ");
}

// What the list shows and what the table holds, as "count time beat speed";
// the list's speeds as typed, or as numbers.
QString listed(const Track& w, bool asNumbers = false)
{
    QStringList rows;
    for (int r = 0; r < w.TrackList->ListCount(); ++r) {
        const QString speed = w.TrackList->Cell(r, 4);
        rows << QStringList({w.TrackList->Cell(r, 0), w.TrackList->Cell(r, 1), w.TrackList->Cell(r, 3),
                             asNumbers ? fw::Format(fw::CDbl(speed), "###.00") : speed}).join(' ');
    }
    return rows.join(", ");
}
QString stored(const AppHarness& h, int id)
{
    const QString rows = h.queryValue(QString("Select group_concat(r, ', ') from (Select TheCount||' '||printf('%.2f', "
                                              "TheTime)||' '||Beat||' '||printf('%.2f', Speed) as r from Track where "
                                              "SongsID=%1 order by TheCount)").arg(id));
    return rows == "<no row>" ? QString() : rows;
}

Track& openOn(int id)
{
    Track::instance().LoadTrack(id);
    return Track::instance();
}
QWidget* editorOf(const Track& w) { return dynamic_cast<QWidget*>(w.TrackList->ActiveCell()); }

// Rows given as "count ..." joined by ", ", put in count order.
QString inCountOrder(const QString& rows)
{
    QStringList sorted = rows.split(", ", Qt::SkipEmptyParts);
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return a.section(' ', 0, 0).toDouble() < b.section(' ', 0, 0).toDouble();
    });
    return sorted.join(", ");
}

// A click on a column's heading, which sorts the list by it.
void clickHeading(const Track& w, int column)
{
    QHeaderView* heading = qobject_cast<QTreeView*>(w.TrackList->widget())->header();
    QTest::mouseClick(heading->viewport(), Qt::LeftButton, {}, QPoint(heading->sectionViewportPosition(column) + 10, 5));
}

// Whether the list on the screen shows what painting it afresh shows.
bool showsWhatAFreshPaintShows(const fw::ListBox* list)
{
    QWidget* rows = viewportOf(list);
    QTest::qWait(20);   // pending paints reach the screen
    const QRect area(rows->mapTo(rows->window(), QPoint(0, 0)), rows->size());
    const QImage shown = rows->screen()->grabWindow(rows->window()->winId(), area.x(), area.y(), area.width(),
                                                    area.height()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage fresh = rows->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return shown == fresh;
}
void refuse(const AppHarness& h, const QString& what)
{
    execute(h, "CREATE TRIGGER refuse BEFORE " + what + " ON Track BEGIN SELECT RAISE(ABORT, 'refused'); END");
}
} // namespace

class TrackTest : public QObject {
    Q_OBJECT
    std::unique_ptr<AppHarness> h;

private slots:
    void init()
    {
        h = std::make_unique<AppHarness>();
        h->startWithoutWindows();
    }
    void cleanup() { h.reset(); }

    // Set-up opens the editor on its selected song, by its button and by a
    // double-click; the editor keeps its place.
    void opensFromSetupAndKeepsItsPlace()
    {
        execute(*h, "Update Settings Set TrackTop=120, TrackLeft=40, TrackHeight=300, TrackWidth=700");
        SetupSongs& setup = SetupSongs::instance();
        for (const int row : {1, 2}) {
            setup.List->setListIndex(row);
            if (row == 1)
                setup.pbEditSongTrack->push();
            else
                clickRow(setup.List, row, true);
            Track& w = Track::instance();
            QCOMPARE(w.title(), "Song Track for: " + setup.List->Cell(row, 0));
            QCOMPARE(QList<int>({w.TrackList->ListIndex(), w.top(), w.left(), w.height(), w.width()}),
                     QList<int>({0, row == 1 ? 120 : 150, 40, 300, 700}));
            QVERIFY(Code::TrackOpen);
            w.setTop(150);
            w.Close();
            QVERIFY(!Code::TrackOpen);
        }
    }

    void fillShowsItsProgress_data()
    {
        QTest::addColumn<int>("rows");
        // The status texts in turn, the last one staying; a number stands for
        // "Loading song track for Probe: " and it. With the player's quick
        // time the fill ends on "Ready.".
        QTest::addColumn<QString>("shown");
        QTest::newRow("99") << 99 << "before";
        QTest::newRow("100") << 100 << "before|99";
        QTest::newRow("250") << 250 << "before|99|198";
        QTest::newRow("1,089, quick time") << 1100 << "before|99|198|297|396|495|594|693|792|891|990|1,089|Ready.";
    }
    void fillShowsItsProgress()
    {
        QFETCH(int, rows);
        QFETCH(QString, shown);
        Code::UseQuickTime = shown.endsWith("Ready.");
        const int id = addTrack(*h, evenCounts(rows));
        Track& w = Track::instance();
        w.stStatus->setText("before");
        QStringList seen;
        const auto look = [&] {
            if (seen.isEmpty() || seen.back() != w.stStatus->text())
                seen << w.stStatus->text();
        };
        QTimer watch;
        connect(&watch, &QTimer::timeout, look);
        watch.start(0);
        look();
        StatementLog log;
        w.LoadTrack(id);
        look();
        QVERIFY(log.statements.contains(QString("Select * from Songs where ID=%1").arg(id)));
        QCOMPARE(seen.join('|').remove("Loading song track for Probe: "), shown);
        QCOMPARE(QList<int>({w.TrackList->ListCount(), w.TrackList->ListIndex()}), QList<int>({rows, 0}));
        QCOMPARE(listed(w), stored(*h, id));
    }

    // The colours as the list paints them, rows visited bottom up to show
    // that the order of painting does not matter.
    void cellsShowIntervalsAndSpeedRuns_data()
    {
        QTest::addColumn<QString>("rows");          // "time speed"
        QTest::addColumn<QString>("intervals");     // Interval texts, row 0's left empty
        QTest::addColumn<QString>("speedColours");  // k black, b blue
        QTest::addColumn<QString>("red");           // r: the Interval is red
        QTest::newRow("within 0.1 s") << "10 180, 10.40 180" << ",0.40" << "kk" << "..";
        QTest::newRow("off by 0.167") << "10 180, 10.50 180" << ",0.50" << "kk" << ".r";
        QTest::newRow("off by exactly 0.1") << "10 120, 10.60 120, 11.00 120" << ",0.60,0.40" << "kkk" << "...";
        QTest::newRow("runs") << "1 180, 1.33 180, 1.66 190, 1.97 190, 2.30 180" << ",0.33,0.33,0.31,0.33" << "kkbbk" << ".....";
        QTest::newRow("texts, not values") << "1 180, 1.33 180.0" << ",0.33" << "kb" << "..";
        QTest::newRow("no speed") << "1 120, 1.5 0, 2 x" << ",0.50,0.50" << "kbk" << ".rr";
        QTest::newRow("times out of order") << "5 120, 4.5 120" << ",-0.50" << "kk" << ".r";
    }
    void cellsShowIntervalsAndSpeedRuns()
    {
        QFETCH(QString, rows);
        QFETCH(QString, intervals);
        QFETCH(QString, speedColours);
        QFETCH(QString, red);
        Track& w = Track::instance();
        const QStringList given = rows.split(", ");
        for (int r = 0; r < given.size(); ++r) {
            w.TrackList->AddRow(QString::number(r + 1));
            w.TrackList->setCell(r, 1, fw::Format(given[r].section(' ', 0, 0).toDouble(), "###.00"));
            w.TrackList->setCell(r, 4, given[r].section(' ', 1));
        }
        for (int r = int(given.size()) - 1; r >= 0; --r) {
            QCOMPARE(textColour(w.TrackList, r, 4), speedColours[r] == 'b' ? kBlue : kBlack);
            QCOMPARE(textColour(w.TrackList, r, 2) == kRed, red[r] == 'r');
        }
        QCOMPARE(columnTexts(w.TrackList, 2).join(','), intervals);
        // Painting for real settles: setting an Interval text it already
        // holds does not make the list paint again.
        int painted = 0;
        const auto hook = w.TrackList->CellTextPaint;
        w.TrackList->CellTextPaint = [&](fw::Graphics& g, int row, int column, int x, int y) {
            ++painted;
            return hook(g, row, column, x, y);
        };
        w.TrackList->setCell(1, 2, "stale");
        QTRY_VERIFY(painted > 0 && w.TrackList->Cell(1, 2) != "stale");
        QTest::qWait(50);
        const int settled = painted;
        QTest::qWait(100);
        QCOMPARE(painted, settled);
    }

    void keysMoveTheEditor_data()
    {
        QTest::addColumn<QPoint>("from");   // (column, row)
        QTest::addColumn<int>("key");       // negative: with Shift
        QTest::addColumn<QPoint>("to");
        QTest::newRow("down") << QPoint(5, 0) << int(Qt::Key_Down) << QPoint(5, 1);
        QTest::newRow("up in row 0") << QPoint(3, 0) << int(Qt::Key_Up) << QPoint(3, 0);
        QTest::newRow("down in the last row") << QPoint(4, 2) << int(Qt::Key_Down) << QPoint(4, 2);
        QTest::newRow("tab skips Interval") << QPoint(1, 1) << int(Qt::Key_Tab) << QPoint(3, 1);
        QTest::newRow("tab from Comment") << QPoint(7, 1) << int(Qt::Key_Tab) << QPoint(1, 1);
        QTest::newRow("shift-tab skips Interval") << QPoint(3, 1) << -int(Qt::Key_Tab) << QPoint(1, 1);
        QTest::newRow("shift-tab from Time") << QPoint(1, 2) << -int(Qt::Key_Tab) << QPoint(7, 2);
        QTest::newRow("left stays in the cell") << QPoint(5, 1) << int(Qt::Key_Left) << QPoint(5, 1);
    }
    void keysMoveTheEditor()
    {
        QFETCH(QPoint, from);
        QFETCH(int, key);
        QFETCH(QPoint, to);
        Track& w = openOn(addTrack(*h, evenCounts(3)));
        QVERIFY(QTest::qWaitForWindowActive(w.frame()));
        w.TrackList->EditCell(from.y(), from.x());
        QTest::keyClick(editorOf(w), Qt::Key(std::abs(key)), key < 0 ? Qt::ShiftModifier : Qt::NoModifier);
        const auto* view = qobject_cast<QAbstractItemView*>(w.TrackList->widget());
        const QModelIndex at = view->indexAt(editorOf(w)->geometry().center());
        QCOMPARE(QPoint(at.column(), at.row()), to);
    }

    // An edit that changed its cell writes the whole row in one transaction,
    // however the edit ends: the editor moved on, the window closed, the list
    // filled again, a tool pressed, the track synchronised. The row then
    // shows what the table holds; what no count can hold, a refused write,
    // or one whose count is gone is told and leaves the table's values shown.
    void editsAreWrittenBack_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");         // empty: the edit changes nothing
        QTest::addColumn<QString>("ends");          // down, close, reload, tool, synch
        QTest::addColumn<QString>("cell");          // the cell's text afterwards; "-": not looked at; "gone": no row
        QTest::addColumn<QString>("row");           // the stored row afterwards
        QTest::addColumn<QString>("told");
        const QString before = "1.00|1|120.0|n1|";
        QTest::newRow("note, with the cells as they stand") << 5 << "step" << "down" << "step" << "1.00|1|120.0|step|" << "";
        QTest::newRow("time as stored") << 1 << "12.3" << "down" << "12.30" << "12.30|1|120.0|n1|" << "";
        QTest::newRow("beat rounded") << 3 << "2.6" << "down" << "3" << "1.00|3|120.0|n1|" << "";
        QTest::newRow("decimal comma") << 4 << "96,5" << "down" << "96.50" << "1.00|1|96.5|n1|" << "";
        QTest::newRow("quote in a note") << 5 << "don't" << "down" << "don't" << "1.00|1|120.0|don't|" << "";
        QTest::newRow("unchanged") << 5 << "" << "down" << "n1" << before << "";
        QTest::newRow("time not a number") << 1 << "1O.5" << "down" << "1.00" << before << "beep";
        QTest::newRow("speed emptied") << 4 << " " << "down" << "120.00" << before << "beep";
        QTest::newRow("beat beyond any integer") << 3 << "99999999999" << "down" << "1" << before << "beep";
        QTest::newRow("beat 12") << 3 << "12" << "down" << "1" << before << "beep";
        QTest::newRow("beat 0") << 3 << "0" << "down" << "1" << before << "beep";
        QTest::newRow("time beyond any song") << 1 << "1e308" << "down" << "1.00" << before << "beep";
        QTest::newRow("speed below 0") << 4 << "-5" << "down" << "120.00" << before << "beep";
        QTest::newRow("speed that shows as 0.00") << 4 << "0.001" << "down" << "120.00" << before << "beep";
        QTest::newRow("speed stored as shown") << 4 << "96.504" << "down" << "96.50" << "1.00|1|96.5|n1|" << "";
        QTest::newRow("refused") << 5 << "step" << "down" << "n1" << before << "Something went wrong. Error: refused";
        QTest::newRow("unreadable") << 5 << "step" << "down" << "n1" << before
                                    << "Something went wrong. Error: database is locked";
        QTest::newRow("deleted elsewhere") << 5 << "step" << "down" << "gone" << "<no row>"
                                           << "This count is no longer in the database, so the change could not be saved.";
        QTest::newRow("comment, the window closed") << 7 << "late" << "close" << "-" << "1.00|1|120.0|n1|late" << "";
        QTest::newRow("note, the list filled again") << 5 << "step" << "reload" << "step" << "1.00|1|120.0|step|" << "";
        QTest::newRow("note, a tool pressed") << 5 << "step" << "tool" << "step" << "1.00|8|120.0|step|" << "";
        QTest::newRow("note, the track synchronised") << 5 << "step" << "synch" << "step" << "2.00|1|120.0|step|"
                                                      << "All done.";
    }
    void editsAreWrittenBack()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, ends);
        QFETCH(QString, cell);
        QFETCH(QString, row);
        QFETCH(QString, told);
        const int song = addTrack(*h, "1 1 1 120, 2 1.5 2 120");
        if (ends == "synch") {   // the synchronisation window stands open beside the editor
            h->app->chooseMenuItem(QStringLiteral("mSynch"));
            SongSynch::instance().List->setListIndex(columnTexts(SongSynch::instance().List, 0).indexOf("Probe"));
            SongSynch::instance().efOffset->setText("1");
        }
        Track& w = openOn(song);
        w.Show();
        QVERIFY(QTest::qWaitForWindowActive(w.frame()));
        const QString id = w.TrackList->Cell(0, ListCells::IDCell);
        if (told.endsWith("refused"))
            refuse(*h, "UPDATE");
        if (row == "<no row>")
            execute(*h, "Delete from Track where ID=" + id);
        w.TrackList->EditCell(0, column);
        QTest::keyClicks(editorOf(w), typed);
        std::optional<OtherProgram> other;
        if (told.endsWith("locked"))
            other.emplace(*h, OtherProgram::Hold::Exclusive);
        if (ends == "down")
            QTest::keyClick(editorOf(w), Qt::Key_Down);   // the editor moves on: the edit ends
        else if (ends == "close")
            w.Close();
        else if (ends == "reload")
            w.LoadTrack(song);
        else if (ends == "tool")
            w.pbReduceBeats->push();
        else
            SongSynch::instance().pbForward->push();
        other.reset();
        if (cell == "gone")
            QVERIFY(!columnTexts(w.TrackList, ListCells::IDCell).contains(id));
        else if (cell != "-")
            QCOMPARE(w.TrackList->Cell(0, column), cell);
        QCOMPARE(h->queryValue("Select printf('%.2f', TheTime)||'|'||Beat||'|'||Speed||'|'||Note||'|'||Comment "
                               "from Track where ID=" + id), row);
        QCOMPARE(messagesAndBeeps(*h).join(""), told);
        QVERIFY(noTransactionOpen());
    }

    // Rows sort by any column as numbers; equal ones keep their order.
    void headingSortsAsNumbers()
    {
        Track& w = openOn(addTrack(*h, "1 9.5 3 120, 2 10 1 120, 3 10.5 3 120, 4 11 2 120, 5 11.5 10 120"));
        clickRow(w.TrackList, 0);
        QHeaderView* heading = qobject_cast<QTreeView*>(w.TrackList->widget())->header();
        QTest::mouseClick(heading->viewport(), Qt::LeftButton, {}, QPoint(heading->sectionViewportPosition(3) + 10, 5));
        QCOMPARE(columnTexts(w.TrackList, 0), QStringList({"2", "4", "1", "3", "5"}));
    }

    // The player follows the music; the editor selects each count it
    // lights and scrolls it to the top. The first count lit is the one
    // played from, whatever the list's order; a double-click plays even on
    // the row already selected. The button reads Stop until the player
    // stops, closes or passes the last count.
    void playsFromTheSelectedCount_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("how");   // button, double-click (on the row already selected), descending
        QTest::addColumn<QString>("end");   // how the play ends
        QTest::newRow("from row 0, stopped") << 0 << "button" << "stop";
        QTest::newRow("from row 3, double-click, player closed") << 3 << "double-click" << "close";
        QTest::newRow("from row 6, past the last count") << 6 << "button" << "end";
        QTest::newRow("from count 5, sorted by count descending") << 3 << "descending" << "stop";
    }
    void playsFromTheSelectedCount()
    {
        QFETCH(int, row);
        QFETCH(QString, how);
        QFETCH(QString, end);
        const QString wav = h->env.root() + "/probe.wav";
        QVERIFY(writeWav(wav, 8.0));
        Track::instance().pbPlayFrom->push();   // an empty editor: a beep
        Track& w = openOn(addTrack(*h, evenCounts(8), wav));
        QVERIFY(QTest::qWaitForWindowExposed(w.frame()));
        w.TrackList->setListIndex(-1);
        w.pbPlayFrom->push();   // no count to play from
        QCOMPARE(messagesAndBeeps(*h), QStringList({kPick, "beep"}));
        h->fake->clear();
        if (how == "descending") {
            clickHeading(w, 0);
            clickHeading(w, 0);
        }
        const QString from = w.TrackList->Cell(row, 0);
        TheCount& player = TheCount::instance();
        QStringList lit, selected;
        double seen = -1.0;
        connect(player.BeatTimer, &fw::Timer::action, &w, [&] {
            if (player.LastTimeDone != seen) {
                seen = player.LastTimeDone;
                lit << player.Counts[size_t(player.TimesIndex)];
                selected << w.TrackList->Cell(w.TrackList->ListIndex(), 0);
            }
        });
        if (how == "double-click") {
            // A click on the row's note, a pause, then a double-click there.
            clickCell(w.TrackList, row, 5);
            QTest::qWait(QApplication::doubleClickInterval() + 200);
            clickCell(w.TrackList, row, 5, true);
            QVERIFY(!w.TrackList->ActiveCell());
        } else {
            w.TrackList->setListIndex(row);
            w.pbPlayFrom->push();
        }
        seen = player.LastTimeDone;   // the time of the count before: nothing lit yet
        QVERIFY(player.isVisible() && player.TheSongID == w.TheSongID);
        QCOMPARE(w.pbPlayFrom->caption(), "Stop");
        QTRY_VERIFY_WITH_TIMEOUT(lit.size() >= 2, 10000);
        QCOMPARE(lit.first(), from);   // the lead-in lights nothing before it
        QCOMPARE(selected, lit);
        QCOMPARE(w.TrackList->ScrollPosition(), 0);   // a short list cannot scroll
        if (end == "stop")
            w.pbPlayFrom->push();
        else if (end == "close")
            player.Close();
        QTRY_COMPARE_WITH_TIMEOUT(w.pbPlayFrom->caption(), QString("Play"), 10000);
        // A closed editor is never brought back by the player.
        w.Close();
        TheCount::instance().StopCounting();
        QVERIFY(!Track::isOpen() && h->fake->messages.empty());
    }

    // While the song plays, the tools act on the counts the user selected,
    // never on the count the player lit: not when the user ctrl-clicks
    // other rows, nor when the user's click is followed by the next count.
    void toolsLeaveThePlayersCount_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<bool>("ctrl");       // the rows are ctrl-clicked beside the count lit; else one click
        QTest::addColumn<QString>("after");   // the track once the tool has acted
        const QString five = "1 1.00 1 60.00, 2 2.00 2 60.00, 3 3.00 3 60.00, 4 4.00 4 60.00, 5 5.00 5 60.00, ";
        QTest::newRow("delete") << "delete" << true << five + "8 8.00 8 60.00";
        QTest::newRow("change speed") << "speed" << true << five + "6 6.00 6 30.00, 7 8.00 7 30.00, 8 8.00 8 60.00";
        QTest::newRow("shift after the next count") << "shift" << false
                                                    << five + "6 6.00 6 60.00, 7 8.00 7 60.00, 8 8.00 8 60.00";
    }
    void toolsLeaveThePlayersCount()
    {
        QFETCH(QString, tool);
        QFETCH(bool, ctrl);
        QFETCH(QString, after);
        const QString wav = h->env.root() + "/probe.wav";
        QVERIFY(writeWav(wav, 10.0));
        // Counts 1 to 8, one a second from 1.00.
        const int id = addTrack(*h, "1 1 1 60, 2 2 2 60, 3 3 3 60, 4 4 4 60, 5 5 5 60, 6 6 6 60, 7 7 7 60, 8 8 8 60", wav);
        Track& w = openOn(id);
        QVERIFY(QTest::qWaitForWindowExposed(w.frame()));
        w.efSpeed->setText("30");
        TheCount& player = TheCount::instance();
        w.pbPlayFrom->push();
        QTRY_VERIFY_WITH_TIMEOUT(player.LastTimeDone >= 2.0, 10000);   // count 2 is lit
        const double lit = player.LastTimeDone;
        for (const int row : ctrl ? std::vector{5, 6} : std::vector{6})
            QTest::mouseClick(viewportOf(w.TrackList), Qt::LeftButton, ctrl ? Qt::ControlModifier : Qt::NoModifier,
                              rowPoint(w.TrackList, row));
        if (!ctrl)
            QTRY_VERIFY_WITH_TIMEOUT(player.LastTimeDone > lit, 10000);
        // The player still counts, short of the counts clicked.
        QVERIFY(player.BeatTimer->mode() != fw::Timer::ModeOff && player.LastTimeDone < 5.0);
        h->fake->answers = {fw::MsgAnswer::Yes};
        (tool == "delete" ? w.pbDeleteBeats : tool == "speed" ? w.pbChangeSpeed : w.pbShift)->push();
        w.pbPlayFrom->push();
        QCOMPARE(stored(*h, id), after);
        QCOMPARE(inCountOrder(listed(w, true)), stored(*h, id));
    }

    // While a song plays, the list's selection has one owner. From Play the
    // player owns it: it selects each count it lights, and the tools act on
    // nothing. The user's first selecting gesture takes it over, on a list in
    // which the lit count is not selected, and keeps it through later counts
    // and a Stop; after a Stop the count the player lit last is the user's.
    void theSelectionHasOneOwner_data()
    {
        QTest::addColumn<QString>("gesture");   // click, ctrl-click, shift-click (row 11), ctrl+A, down, shift+down, none
        QTest::addColumn<bool>("stopFirst");    // Stop before the tool
        QTest::addColumn<QString>("tool");      // delete, reduce
        QTest::addColumn<QString>("told");      // what the tool tells, when it refuses
        QTest::newRow("click, Stop, delete") << "click" << true << "delete" << "";
        QTest::newRow("ctrl-click, delete while playing") << "ctrl-click" << false << "delete" << "";
        QTest::newRow("ctrl+A, reduce while playing") << "ctrl+A" << false << "reduce" << "";
        QTest::newRow("down arrow, reduce while playing") << "down" << false << "reduce" << "";
        // A first gesture extends no range from the count the player lit.
        QTest::newRow("shift-click, Stop, delete") << "shift-click" << true << "delete" << "";
        QTest::newRow("shift+down, reduce while playing") << "shift+down" << false << "reduce" << "";
        QTest::newRow("no gesture, delete while playing") << "none" << false << "delete" << kPick;
        QTest::newRow("no gesture, reduce while playing") << "none" << false << "reduce" << kPick;
        QTest::newRow("no gesture, Stop, reduce") << "none" << true << "reduce" << "";
    }
    void theSelectionHasOneOwner()
    {
        QFETCH(QString, gesture);
        QFETCH(bool, stopFirst);
        QFETCH(QString, tool);
        QFETCH(QString, told);
        const QString wav = h->env.root() + "/probe.wav";
        QVERIFY(writeWav(wav, 24.0));
        const int id = addTrack(*h, evenCounts(40), wav);   // counts 0.5 s apart from 1.00
        Track& w = openOn(id);
        w.Show();
        QVERIFY(QTest::qWaitForWindowActive(w.frame()));
        const QString before = stored(*h, id);
        TheCount& player = TheCount::instance();
        w.pbPlayFrom->push();
        QTRY_VERIFY_WITH_TIMEOUT(player.LastTimeDone >= 2.0, 10000);
        QWidget* view = w.TrackList->widget();
        const auto litRow = [&] { return w.TrackList->FindRow(0, player.Counts[size_t(player.TimesIndex)]); };
        std::vector<int> chosen;
        if (gesture.endsWith("click")) {
            const Qt::KeyboardModifiers held = gesture == "click" ? Qt::NoModifier
                : gesture == "ctrl-click"                           ? Qt::ControlModifier
                                                                    : Qt::ShiftModifier;
            QTest::mouseClick(viewportOf(w.TrackList), Qt::LeftButton, held, rowPoint(w.TrackList, 11));
            chosen = {11};
        } else if (gesture == "ctrl+A") {
            QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
            chosen.resize(40);
            std::iota(chosen.begin(), chosen.end(), 0);
        } else if (gesture.endsWith("down")) {
            chosen = {litRow() + 1};
            QTest::keyClick(view, Qt::Key_Down, gesture == "down" ? Qt::NoModifier : Qt::ShiftModifier);
        }
        QVERIFY(player.isCounting());
        if (gesture != "none") {
            // Later counts neither select nor scroll.
            QCOMPARE(w.TrackList->SelectedRows(), chosen);
            w.TrackList->setScrollPosition(0);
            const double lit = player.LastTimeDone;
            QTRY_VERIFY_WITH_TIMEOUT(player.LastTimeDone > lit, 10000);
            QCOMPARE(w.TrackList->SelectedRows(), chosen);
            QCOMPARE(w.TrackList->ScrollPosition(), 0);
        } else {
            QCOMPARE(w.TrackList->SelectedRows(), std::vector<int>{litRow()});
        }
        if (stopFirst) {
            w.pbPlayFrom->push();
            QCOMPARE(w.pbPlayFrom->caption(), "Play");
            if (gesture == "none")
                chosen = {litRow()};
            QCOMPARE(w.TrackList->SelectedRows(), chosen);
        }
        h->fake->clear();
        h->fake->answers = {fw::MsgAnswer::Yes};
        (tool == "delete" ? w.pbDeleteBeats : w.pbReduceBeats)->push();
        player.StopCounting();
        if (!told.isEmpty()) {
            QCOMPARE(messagesAndBeeps(*h), QStringList{told});   // and nothing asked
            QCOMPARE(stored(*h, id), before);
            return;
        }
        QCOMPARE(messagesAndBeeps(*h), tool == "delete" ? QStringList{"Delete the selected Counts?"} : QStringList());
        QStringList expected;
        for (const QString& row : before.split(", ")) {
            const bool acted = std::find(chosen.begin(), chosen.end(), row.section(' ', 0, 0).toInt() - 1) != chosen.end();
            if (!acted)
                expected << row;
            else if (tool == "reduce")
                expected << QStringList{row.section(' ', 0, 1), row.section(' ', 2, 2) == "1" ? "8" : QString::number(row.section(' ', 2, 2).toInt() - 1), row.section(' ', 3)}.join(' ');
        }
        QCOMPARE(stored(*h, id), expected.join(", "));
        QCOMPARE(inCountOrder(listed(w, true)), stored(*h, id));
    }

    // What a real keyboard types on the selected row's cell before its
    // editor opens goes into that editor (a capital with Shift pressed
    // first, a paste), while a song plays too, and typing never moves the
    // selection.
    void typingAfterAClickEdits_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");  // "^V": Ctrl+V
        QTest::addColumn<int>("pause");      // ms between the click and the first key
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QString>("stored"); // Beat|Speed|Note|Advice of count 7 afterwards
        QTest::newRow("a beat at once") << 3 << "5" << 0 << false << "5|120.0|n7|";
        QTest::newRow("a note 250 ms after the click") << 5 << "Back" << 250 << false << "7|120.0|Back|";
        QTest::newRow("a beat cleared first") << 3 << "\b5" << 0 << false << "5|120.0|n7|";
        QTest::newRow("a capital") << 5 << "Turn left" << 0 << false << "7|120.0|Turn left|";
        QTest::newRow("a capital while the song plays") << 6 << "Spin" << 150 << true << "7|120.0|n7|Spin";
        QTest::newRow("a speed with its sign") << 4 << "+96" << 0 << false << "7|96.0|n7|";
        QTest::newRow("a paste") << 5 << "^V" << 0 << false << "7|120.0|Hold|";
        QTest::newRow("a paste while the song plays") << 6 << "^V" << 100 << true << "7|120.0|n7|Hold";
    }
    void typingAfterAClickEdits()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(int, pause);
        QFETCH(bool, playing);
        QFETCH(QString, stored);
        const QString wav = h->env.root() + "/probe.wav";
        QVERIFY(writeWav(wav, 20.0));
        const int id = addTrack(*h, evenCounts(20), wav);
        Track& w = openOn(id);
        w.Show();
        QVERIFY(QTest::qWaitForWindowActive(w.frame()));
        QGuiApplication::clipboard()->setText("Hold");
        if (playing) {
            w.TrackList->setListIndex(0);
            w.pbPlayFrom->push();
            QTRY_VERIFY(TheCount::instance().LastTimeDone >= 0);
            w.frame()->activateWindow();   // the player came to the front
            QVERIFY(QTest::qWaitForWindowActive(w.frame()));
        }
        clickCell(w.TrackList, 6, column);   // selects count 7
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        clickCell(w.TrackList, 6, column);   // the selected row: its editor opens after the interval
        QTest::qWait(pause);
        QWindow* window = w.frame()->windowHandle();
        if (typed == "^V")
            pressWith(window, Qt::Key_Control, Qt::Key_V);
        else
            typeOnKeyboard(window, typed);
        pressKey(window, Qt::Key_Return, "\r");
        TheCount::instance().StopCounting();
        QCOMPARE(w.TrackList->SelectedRows(), std::vector<int>{6});
        QCOMPARE(h->queryValue(QString("Select Beat||'|'||Speed||'|'||Note||'|'||Advice from Track "
                                       "where SongsID=%1 and TheCount=7").arg(id)),
                 stored);
        // With no editor waiting, a typed key selects no row that starts with it.
        QTest::keyClicks(w.TrackList->widget(), "1");
        QCOMPARE(w.TrackList->SelectedRows(), std::vector<int>{6});
        QVERIFY(!w.TrackList->ActiveCell());
    }

    // Once an edit that the interval opened has ended, what is typed on the
    // list goes into no cell: not after a click on a cell no click edits,
    // nor after the click that takes the selection over from the player.
    void typingAfterAnEditChangesNothing_data()
    {
        QTest::addColumn<QString>("typed");   // "\x7f": Delete
        QTest::addColumn<bool>("playing");
        QTest::newRow("a word") << "oops" << false;
        QTest::newRow("Delete") << "\x7f" << false;
        QTest::newRow("Backspace") << "\b" << false;
        QTest::newRow("Space") << " " << false;
        QTest::newRow("a word while the song plays") << "oops" << true;
    }
    void typingAfterAnEditChangesNothing()
    {
        QFETCH(QString, typed);
        QFETCH(bool, playing);
        const QString wav = h->env.root() + "/probe.wav";
        QVERIFY(writeWav(wav, 20.0));
        const int id = addTrack(*h, evenCounts(20), wav);
        Track& w = openOn(id);
        w.Show();
        QVERIFY(QTest::qWaitForWindowActive(w.frame()));
        QWindow* window = w.frame()->windowHandle();
        clickCell(w.TrackList, 7, 6);   // selects count 8
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        clickCell(w.TrackList, 7, 6);
        QTRY_VERIFY(w.TrackList->ActiveCell());   // opened by the interval
        typeOnKeyboard(window, "first");
        pressKey(window, Qt::Key_Return, "\r");
        const QString everything = QString("Select group_concat(r, ', ') from (Select TheCount||' '||TheTime||' '||Beat||"
                                           "' '||Speed||' '||Note||' '||Advice||' '||Comment as r from Track where "
                                           "SongsID=%1 order by TheCount)").arg(id);
        const QStringList before = h->queryValue(everything).split(", ");
        QCOMPARE(before.value(7), "8 4.5 8 120.0 n8 first ");
        const auto shown = [&] {
            QStringList cells;
            for (int column = 0; column < 8; ++column)
                cells << columnTexts(w.TrackList, column);
            return cells;
        };
        const QStringList shownBefore = shown();
        if (playing) {
            w.pbPlayFrom->push();
            QTRY_VERIFY(TheCount::instance().LastTimeDone >= 0);
            w.frame()->activateWindow();   // the player came to the front
            QVERIFY(QTest::qWaitForWindowActive(w.frame()));
            clickCell(w.TrackList, w.TrackList->ListIndex(), 5);   // the followed row's Note
        } else {
            clickCell(w.TrackList, 2, 0);   // count 3's Count
        }
        if (typed == "\x7f")
            pressKey(window, Qt::Key_Delete);
        else
            typeOnKeyboard(window, typed);
        pressKey(window, Qt::Key_Return, "\r");
        TheCount::instance().StopCounting();
        QVERIFY(!w.TrackList->ActiveCell());
        QCOMPARE(h->queryValue(everything).split(", "), before);
        QCOMPARE(shown(), shownBefore);
    }

    // What the user selects while a long track fills stays selected when the
    // fill ends, and the tools act on it.
    void aRowPickedWhileTheListFillsStaysPicked()
    {
        const int id = addTrack(*h, evenCounts(5000));
        Track& w = Track::instance();
        w.Show();
        QVERIFY(QTest::qWaitForWindowActive(w.frame()));
        int during = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, &w, [&] {
            if (during == 0 && w.TrackList->ListCount() >= 300) {
                during = w.TrackList->ListCount();
                clickCell(w.TrackList, 3, 5);
                QTest::mouseClick(viewportOf(w.TrackList), Qt::LeftButton, Qt::ControlModifier, rowPoint(w.TrackList, 6));
            }
        });
        watch.start(0);
        w.LoadTrack(id);
        watch.stop();
        QVERIFY(during > 0 && during < 5000);
        QCOMPARE(w.TrackList->SelectedRows(), std::vector<int>({3, 6}));
        w.pbReduceBeats->push();
        QCOMPARE(h->queryValue(QString("Select group_concat(TheCount||':'||Beat, ' ') from Track where SongsID=%1 and "
                                       "Beat<>((TheCount-1)%8)+1").arg(id)), "4:3 7:6");
    }

    // A row holding values outside the bounds, from an older database or
    // file, stays editable in its other cells, and keeps those values.
    void aRowWithAnOlderValueStaysEditable()
    {
        const int id = addTrack(*h, "1 1 9 0.001, 2 1.5 2 120");
        Track& w = openOn(id);
        w.Show();
        QVERIFY(QTest::qWaitForWindowActive(w.frame()));
        for (const auto& [column, text] : {std::pair(5, "step"), {1, "1.25"}}) {
            w.TrackList->EditCell(0, column);
            QTest::keyClicks(editorOf(w), text);
            QTest::keyClick(editorOf(w), Qt::Key_Return);
        }
        QCOMPARE(h->queryValue(QString("Select TheTime||'|'||Beat||'|'||Speed||'|'||Note from Track where SongsID=%1 "
                                       "and TheCount=1").arg(id)), "1.25|9|0.001|step");
        QCOMPARE(messagesAndBeeps(*h), QStringList());
    }

    // The count's row becomes the selected row and goes to the top, as far
    // as the list scrolls; the first of equal counts wins; a text no row
    // holds as a whole changes nothing.
    void scrollToCount()
    {
        Track& w = openOn(addTrack(*h, evenCounts(200) + ", 7 200 1 120"));
        clickRow(w.TrackList, 10);
        std::vector<int> selected{10};
        for (const auto& [count, row] : {std::pair("120", 120), {"195", 195}, {"7", 6}, {"12.0", -1}, {"900", -1}}) {
            w.TrackList->setScrollPosition(40);
            w.ScrollToCount(count);
            const int top = w.TrackList->ScrollPosition();
            w.TrackList->setScrollPosition(1 << 20);
            const int lowest = w.TrackList->ScrollPosition();
            if (row >= 0)
                selected = {row};
            QCOMPARE(w.TrackList->SelectedRows(), selected);
            QCOMPARE(top, row >= 0 ? std::min(row, lowest) : 40);
        }
    }

    // Add creates counts before the first, after the last, into a gap after
    // the current row or on an empty track; the other tools act on the
    // counts selected when they were pressed, even when the player moves the
    // selection meanwhile. The list and the table agree afterwards, and what
    // a tool refuses, it refuses before anything is written.
    void toolsChangeTheTrack_data()
    {
        QTest::addColumn<QString>("tool");      // add, shift, back (shift backward), speed, delete, reduce
        QTest::addColumn<QString>("rows");      // a track, or the number of even counts
        QTest::addColumn<QString>("selected");  // rows, or "first-last"; after "sort:3a " (column 3 ascending, "d"
                                                // descending) once the list is sorted by a heading click
        QTest::addColumn<QString>("field");     // efCounts, efShift or efSpeed
        QTest::addColumn<QString>("told");      // "|no": the question answered No
        QTest::addColumn<QString>("after");     // the track afterwards; "=": unchanged
        const QString two = "5 10 3 120, 6 10.5 4 120", gap = "9 4 7 120, 10 4.5 8 120, ";
        const QString noGap = "You can only add counts where there is a gap.", deleting = "Delete the selected Counts?";
        const QString speedToUse = "Please fill in a speed from 0.01 to 1,000 beats per minute.";
        const QString beyondSong = "That would put counts more than 24 hours from the start of the song: no song lasts that long.";
        const QString four = "1 1.00 1 120.00, 2 1.50 2 120.00, 3 2.00 1 120.00, 4 2.50 2 120.00";
        const QString eight = "1 18 1 120, 2 18.5 2 120, 3 19 3 120, 4 19.5 4 120, 5 20 5 120, 6 20.45 6 120, "
                              "7 21 7 120, 8 21.3 8 120";
        QTest::newRow("add before count 1") << "add" << "1 0 1 120" << "0" << "1" << "You cannot create counts before the beginning of the song." << "=";
        QTest::newRow("add before count 5") << "add" << two << "0" << "2" << "Ready to create counts 3 thru 4 Continue?"
                                            << "3 9.00 1 120.00, 4 9.50 2 120.00, 5 10.00 3 120.00, 6 10.50 4 120.00";
        QTest::newRow("add, never below count 1") << "add" << "5 10 3 120" << "0" << "9" << "Ready to create counts 1 thru 4 Continue?"
                                                  << "1 8.00 7 120.00, 2 8.50 8 120.00, 3 9.00 1 120.00, 4 9.50 2 120.00, 5 10.00 3 120.00";
        QTest::newRow("add, times stop at 0.00") << "add" << "5 1 3 120" << "0" << "4" << "Ready to create counts 1 thru 4 Continue?"
                                                 << "1 0.00 7 120.00, 2 0.50 8 120.00, 3 1.00 1 120.00, 4 1.50 2 120.00, 5 1.00 3 120.00";
        QTest::newRow("add after the last") << "add" << "99 49 6 120, 100 49.5 7 120" << "1" << "3" << "Ready to create counts 101 thru 103 Continue?"
                                            << "99 49.00 6 120.00, 100 49.50 7 120.00, 101 50.00 8 120.00, 102 50.50 1 120.00, 103 51.00 2 120.00";
        QTest::newRow("add into a gap, at the row's own speed") << "add" << "9 4 7 120, 10 4.5 8 150, 14 9 4 120" << "1" << "0"
            << "Ready to create counts 11 thru 13 Continue?"
            << "9 4.00 7 120.00, 10 4.50 8 150.00, 11 4.90 1 150.00, 12 5.30 2 150.00, 13 5.70 3 150.00, 14 9.00 4 120.00";
        QTest::newRow("add into a gap of one") << "add" << gap + "12 5.5 2 120" << "1" << "1" << "Ready to create count 11 Continue?"
                                               << "9 4.00 7 120.00, 10 4.50 8 120.00, 11 5.00 1 120.00, 12 5.50 2 120.00";
        QTest::newRow("add, no gap") << "add" << gap + "11 5 1 120" << "1" << "1" << noGap << "=";
        QTest::newRow("add, equal counts are no gap") << "add" << gap + "10 5 1 120" << "1" << "1" << noGap << "=";
        QTest::newRow("add no count") << "add" << two << "1" << "0" << "Please fill in the number of counts to add." << "=";
        QTest::newRow("add, no line") << "add" << two << "" << "1" << kPick << "=";
        QTest::newRow("add, a count without a speed") << "add" << "5 10 3 0, 6 10.5 4 120" << "0" << "1"
                                                      << "Please fill in a speed for the count you clicked on." << "=";
        QTest::newRow("add answered no") << "add" << two << "1" << "1" << "Ready to create count 7 Continue?|no" << "=";
        QTest::newRow("add to an empty track, at the speed to change to") << "add" << "" << "" << "3"
            << "Ready to create counts 1 thru 3 Continue?" << "1 0.00 1 180.00, 2 0.33 2 180.00, 3 0.67 3 180.00";
        QTest::newRow("add refused") << "add" << two << "1" << "2"
                                     << "Ready to create counts 7 thru 8 Continue?|Something went wrong. Error: refused" << "=";
        QTest::newRow("speed 150 over rows 4, 5 and 7") << "speed" << eight << "4 5 7" << "150" << ""
            << "1 18.00 1 120.00, 2 18.50 2 120.00, 3 19.00 3 120.00, 4 19.50 4 120.00, 5 20.00 5 150.00, 6 20.40 6 150.00, 7 21.00 7 120.00, 8 20.80 8 150.00";
        QTest::newRow("speed from row 0 at 0.00") << "speed" << "1 0 1 120, 2 0.5 2 120, 3 1 3 120" << "0 1 2" << "180.0" << ""
                                                  << "1 0.00 1 180.00, 2 0.33 2 180.00, 3 0.67 3 180.00";
        QTest::newRow("speed of 0") << "speed" << eight << "4" << "0" << speedToUse << "=";
        QTest::newRow("speed not a number") << "speed" << eight << "4" << "fast" << speedToUse << "=";
        QTest::newRow("speed above any music") << "speed" << eight << "4 5" << "5000" << speedToUse << "=";
        QTest::newRow("shift by 2 at 120") << "shift" << "1 10 1 120, 2 10.5 2 150" << "0" << "2" << ""
                                           << "1 11.00 1 120.00, 2 10.50 2 150.00";
        QTest::newRow("shift each at its own speed") << "shift" << "1 10 1 120, 2 10.5 2 150" << "0 1" << "1" << ""
                                                     << "1 10.50 1 120.00, 2 10.90 2 150.00";
        QTest::newRow("shift back past the start") << "back" << "1 0.2 1 120, 2 10.5 2 150" << "0" << "1" << ""
                                                   << "1 -0.30 1 120.00, 2 10.50 2 150.00";
        QTest::newRow("shift, a count without a speed") << "shift" << "1 10 1 120, 2 10.5 2 0" << "0 1" << "1"
                                                        << "Please fill in a speed for each count to be changed." << "=";
        QTest::newRow("shift by no number") << "shift" << "1 10 1 120" << "0" << "one" << "Please fill in the number of counts to shift by." << "=";
        QTest::newRow("shift refused") << "shift" << "1 10 1 120, 2 10.5 2 120" << "0 1" << "1" << "Something went wrong. Error: refused" << "=";
        QTest::newRow("shift, locked") << "shift" << "1 10 1 120" << "0" << "1" << "Something went wrong. Error: database is locked" << "=";
        QTest::newRow("reduce, a count deleted elsewhere") << "reduce" << "1 1 1 120, 2 2 2 120, 3 3 3 120" << "0 1" << ""
            << "Some of the selected counts are no longer in the database, so the change could not be saved."
            << "1 1.00 1 120.00, 3 3.00 3 120.00";
        QTest::newRow("speed that shows as 0.00") << "speed" << eight << "4" << "0.001" << speedToUse << "=";
        QTest::newRow("add next to a count deleted elsewhere") << "add" << "1 1 1 120, 2 2 2 120, 5 5 5 120" << "1" << "1"
            << "The count you clicked on is no longer in the database, so no counts were added next to it."
            << "1 1.00 1 120.00, 5 5.00 5 120.00";
        QTest::newRow("reduce 1, 2 and 8") << "reduce" << "1 1 1 120, 2 2 2 120, 3 3 8 120, 4 4 4 120" << "0 1 2" << "" << ""
                                           << "1 1.00 8 120.00, 2 2.00 1 120.00, 3 3.00 7 120.00, 4 4.00 4 120.00";
        QTest::newRow("delete answered no") << "delete" << eight << "2 3" << "" << deleting + "|no" << "=";
        QTest::newRow("delete counts 3 and 4") << "delete" << "1 1 1 120, 2 2 2 120, 3 3 3 120, 4 4 4 120, 5 5 5 120" << "2 3" << ""
                                               << deleting << "1 1.00 1 120.00, 2 2.00 2 120.00, 5 5.00 5 120.00";
        QTest::newRow("delete every count") << "delete" << "1 1 1 120, 2 2 2 120" << "0-1" << "" << deleting << "";
        // The gap is found in count order, whatever order the list shows.
        QTest::newRow("add after the last count, sorted by count descending") << "add" << four << "sort:0d 0" << "2"
            << "Ready to create counts 5 thru 6 Continue?" << four + ", 5 3.00 3 120.00, 6 3.50 4 120.00";
        QTest::newRow("add, sorted by beat, no gap in count order") << "add" << four << "sort:3a 2" << "1" << noGap << "=";
        QTest::newRow("add into the gap in count order, sorted by beat") << "add" << "1 1 1 120, 2 1.5 2 120, 5 3 1 120"
            << "sort:3a 2" << "1" << "Ready to create counts 3 thru 4 Continue?"
            << "1 1.00 1 120.00, 2 1.50 2 120.00, 3 2.00 3 120.00, 4 2.50 4 120.00, 5 3.00 1 120.00";
        QTest::newRow("add, the song deleted meanwhile") << "add" << two << "1" << "1"
            << "Ready to create count 7 Continue?|This song is no longer in the database, so no counts were added to it." << "=";
        QTest::newRow("add after a count no song has") << "add" << "9200000000000000000 10 1 120" << "0" << "1"
            << "The count you clicked on has no number from 1 to 1,000,000, so no counts can be added next to it." << "=";
        QTest::newRow("add beyond count 1,000,000") << "add" << "999998 9.5 8 120, 999999 10 1 120" << "1" << "3"
            << "You cannot create counts beyond count 1,000,000." << "=";
        QTest::newRow("add after a count without a beat") << "add" << "5 10 0 120, 6 10.5 4 120" << "0" << "1"
            << "Please fill in a beat of 1 to 8 for the count you clicked on." << "=";
        QTest::newRow("add beyond a day") << "add" << "1 86399.8 1 120, 2 86400 2 120" << "1" << "1" << beyondSong << "=";
        QTest::newRow("reduce beats out of range") << "reduce" << "1 1 0 120, 2 2 12 120" << "0 1" << ""
            << "Please fill in a beat of 1 to 8 for each count to be changed." << "=";
        QTest::newRow("shift beyond a day") << "shift" << "1 86399 1 120" << "0" << "4" << beyondSong << "=";
        QTest::newRow("speed, times beyond a day") << "speed" << "1 86399 1 120, 2 86399.5 2 120, 3 86400 3 120"
                                                  << "0 1 2" << "1" << beyondSong << "=";
    }
    void toolsChangeTheTrack()
    {
        QFETCH(QString, tool);
        QFETCH(QString, rows);
        QFETCH(QString, selected);
        QFETCH(QString, field);
        QFETCH(QString, told);
        QFETCH(QString, after);
        const int id = addTrack(*h, rows.contains(' ') ? rows : evenCounts(rows.toInt()));
        Track& w = openOn(id);
        QVERIFY(QTest::qWaitForWindowExposed(w.frame()));
        if (selected.startsWith("sort:")) {   // "sort:3a": by column 3, ascending; "d": descending
            clickHeading(w, selected.mid(5, 1).toInt());
            if (selected[6] == 'd')
                clickHeading(w, selected.mid(5, 1).toInt());
            selected = selected.section(' ', 1);
        }
        const QString before = listed(w);
        w.TrackList->setListIndex(-1);
        const QStringList picked = selected.split(QRegularExpression("[ -]"), Qt::SkipEmptyParts);
        for (int r = picked.value(0).toInt(); r <= picked.value(picked.size() - 1, "-1").toInt(); ++r)
            w.TrackList->setSelected(r, selected.contains('-') || picked.contains(QString::number(r)));
        (tool == "add" ? w.efCounts : tool == "speed" ? w.efSpeed : w.efShift)->setText(field);
        w.rbBackward->setValue(tool == "back");
        h->fake->answers = {told.endsWith("|no") ? fw::MsgAnswer::No : fw::MsgAnswer::Yes};
        if (told.endsWith("refused"))
            refuse(*h, tool == "add" ? "INSERT" : "UPDATE");
        std::optional<OtherProgram> other;
        if (told.endsWith("locked"))
            other.emplace(*h, OtherProgram::Hold::Exclusive);
        if (told.startsWith("Some of the selected counts") || told.startsWith("The count you clicked on is no longer"))
            execute(*h, QString("Delete from Track where SongsID=%1 and TheCount=2").arg(id));
        if (told.contains("song is no longer"))
            execute(*h, QString("Delete from Songs where ID=%1").arg(id));
        QVERIFY(showsWhatAFreshPaintShows(w.TrackList));   // the list on the screen before the change
        const std::map<QString, fw::PushButton*> buttons{{"add", w.pbAdd}, {"shift", w.pbShift}, {"back", w.pbShift},
            {"speed", w.pbChangeSpeed}, {"delete", w.pbDeleteBeats}, {"reduce", w.pbReduceBeats}};
        buttons.at(tool)->push();
        other.reset();
        QCOMPARE(messagesAndBeeps(*h).join('|'), QString(told).remove("|no"));
        QCOMPARE(listed(w), after == "=" ? before : after);
        QCOMPARE(inCountOrder(listed(w, true)), stored(*h, id));
        QVERIFY(noTransactionOpen());
        // What the list shows after the change is what painting it afresh shows.
        QVERIFY(showsWhatAFreshPaintShows(w.TrackList));
        for (const fw::MessageRequest& m : h->fake->messages)
            QVERIFY(m.buttons == fw::MsgButtons::Ok || (m.icon == fw::MsgIcon::Question && m.title.isEmpty()));
    }

    // A song without counts opens the first track's window; Make Track
    // lays out the counts for the song in the editor, once.
    void makesTheFirstTrack_data()
    {
        QTest::addColumn<QString>("fields");   // beats per minute, minutes, seconds; "-" for an empty field
        QTest::addColumn<QString>("made");     // counts 1, 9 and the last; or what the user is told, twice
        QTest::newRow("120, 3:30") << "120 3 30" << "1 0.00 1 120.00, 9 4.00 1 120.00, 420 209.50 4 120.00";
        QTest::newRow("120, 0:05") << "120 - 5" << "1 0.00 1 120.00, 9 4.00 1 120.00, 10 4.50 2 120.00";
        QTest::newRow("seconds past 59") << "120 0 210" << "1 0.00 1 120.00, 9 4.00 1 120.00, 420 209.50 4 120.00";
        QTest::newRow("three decimals drift") << "130 3 30" << "1 0.00 1 130.00, 9 3.70 1 130.00, 455 209.75 7 130.00";
        QTest::newRow("a tempo to the thousandth") << "123.456 0 7" << "1 0.00 1 123.46, 9 3.89 1 123.46, 14 6.32 6 123.46";
        QTest::newRow("no tempo") << "- 3 30" << Track::kNoCountsToMake;
        QTest::newRow("no length") << "120 0 0" << Track::kNoCountsToMake;
        QTest::newRow("negative") << "-120 -3 0" << Track::kNoCountsToMake;
        QTest::newRow("not a number") << "120 three 0" << Track::kNoCountsToMake;
        QTest::newRow("editor closed") << "120 3 30" << kNoSong;
        // The editor and this form close with the song: a form opened again finds no song.
        QTest::newRow("song deleted in set-up") << "120 0 10" << kNoSong;
        QTest::newRow("faster than any music") << "1200 3 30" << Track::kNoCountsToMake;
    }
    void makesTheFirstTrack()
    {
        QFETCH(QString, fields);
        QFETCH(QString, made);
        const bool makes = made.front().isDigit();
        SetupSongs& setup = SetupSongs::instance();
        setup.pbAddNewSong->push();
        setup.pbEditSongTrack->push();
        const int id = Track::instance().TheSongID;
        QVERIFY(NewTrack::isOpen() && Track::instance().TrackList->ListCount() == 0);
        QCOMPARE(Track::instance().title(), QString("Song Track for: New Song"));
        const bool deleted = QLatin1String(QTest::currentDataTag()) == "song deleted in set-up";
        if (made == kNoSong && !deleted)
            Track::instance().Close();
        if (deleted) {
            h->fake->answers = {fw::MsgAnswer::Ok, fw::MsgAnswer::Ok};
            setup.pbDeleteSong->push();
            QCOMPARE(h->queryValue(QString("Select count(*) from Songs where ID=%1").arg(id)), "0");
            QVERIFY(!Track::isOpen() && !NewTrack::isOpen());
            h->fake->clear();
        }
        NewTrack& form = NewTrack::instance();
        const QStringList typed = fields.split(' ').replaceInStrings(QRegularExpression("^-$"), "");
        for (int k = 0; k < 3; ++k)
            std::array{form.efBPM, form.efMinutes, form.efSeconds}[k]->setText(typed[k]);
        for (int press = 0; press < 2; ++press)   // a second press changes nothing
            form.pbMakeTrack->push();
        QCOMPARE(h->fake->messageTexts().join('|'), makes ? "To create a new track, you must first delete the existing "
                                                            "one on the Song Track window." : made + '|' + made);
        const int counts = makes ? made.section(' ', -4, -4).toInt() : 0;
        QCOMPARE(h->queryValue(QString("Select count(*) from Track where SongsID in (0, %1)").arg(id)).toInt(), counts);
        const QStringList rows = listed(Track::instance(), true).split(", ");
        QCOMPARE(rows.join(", "), stored(*h, id));
        if (makes)
            QCOMPARE(QStringList({rows[0], rows[8], rows.last()}).join(", "), made);
        // Speeds are stored as their cells show them.
        QCOMPARE(h->queryValue(QString("Select count(*) from Track where SongsID=%1 and Speed<>round(Speed, 2)").arg(id)),
                 "0");
        QVERIFY(noTransactionOpen());
    }

    // While the list fills, a load takes the fill's place, a tool only
    // beeps, and a closed window is left alone. A tool's change is stored
    // whole before anything else runs: a load, another tool, a closed window
    // whose place the database refuses, an edit and another window's change
    // all come after it.
    void busyEditorLetsNothingInterleave_data()
    {
        QTest::addColumn<QString>("during");
        QTest::addColumn<QString>("told");   // a write, 3000 counts added, is asked for; a fill of 600 counts is not
        const QString asked = "Ready to create counts 3 thru 3002 Continue?";
        QTest::newRow("fill, another song loaded") << "load" << "";
        QTest::newRow("fill, add pressed") << "add" << "beep";
        QTest::newRow("fill, window closed") << "close" << "";
        QTest::newRow("write, another song loaded") << "load" << asked;
        QTest::newRow("write, add pressed") << "add" << asked + "|You can only add counts where there is a gap.";
        QTest::newRow("write, window closed, its place refused") << "close" << asked;
        QTest::newRow("write, a cell edited") << "edit" << asked;
        QTest::newRow("write, a song added in set-up") << "setup" << asked;
    }
    void busyEditorLetsNothingInterleave()
    {
        QFETCH(QString, during);
        QFETCH(QString, told);
        const bool filling = !told.startsWith("Ready");
        const int id = addTrack(*h, filling ? evenCounts(600) : "1 1 1 120, 2 1.5 2 120");
        const int other = addTrack(*h, evenCounts(3), {}, "Other");
        if (during == "setup")
            SetupSongs::instance();
        Track& w = filling ? Track::instance() : openOn(id);
        QVERIFY(QTest::qWaitForWindowActive(w.frame()));
        w.setTop(150);
        w.TrackList->setListIndex(1);
        w.efCounts->setText("3000");
        h->fake->answers = {fw::MsgAnswer::Yes};
        if (during == "close")   // a full disk: the failed statement ends any transaction open
            execute(*h, "CREATE TRIGGER full BEFORE UPDATE ON Settings BEGIN SELECT RAISE(ROLLBACK, 'database or disk "
                        "is full'); END");
        QTimer::singleShot(0, &w, [&] {
            if (during == "load")
                w.LoadTrack(other);
            else if (during == "add")
                w.pbAdd->push();
            else if (during == "close")
                w.Close();
            else if (during == "setup")
                SetupSongs::instance().pbAddNewSong->push();
            else {
                w.TrackList->EditCell(0, 5);
                QTest::keyClicks(editorOf(w), "x");
                QTest::keyClick(editorOf(w), Qt::Key_Down);
            }
        });
        if (filling)
            w.LoadTrack(id);
        else
            w.pbAdd->push();
        QTest::qWait(0);
        QCOMPARE(messagesAndBeeps(*h).join('|'), told);
        QCOMPARE(h->queryValue(QString("Select count(*) from Track where SongsID=%1").arg(id)).toInt(), filling ? 600 : 3002);
        QVERIFY(noTransactionOpen());
        QCOMPARE(QList<bool>({Track::isOpen(), Code::TrackOpen}), QList<bool>(2, during != "close"));
        if (during == "setup")
            QVERIFY(songID(*h, "New Song") != "<no row>");
        if (during == "close")
            return;
        QCOMPARE(listed(w), stored(*h, during == "load" ? other : id));
        QCOMPARE(w.title(), QString("Song Track for: ") + (during == "load" ? "Other" : "Probe"));
        QCOMPARE(w.TrackList->Cell(0, 5), during == "edit" ? "x" : "n1");
    }
};

QTEST_MAIN(TrackTest)
#include "tst_track.moc"
