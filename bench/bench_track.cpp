// The track editor's figures: opening it on tracks of 5,000 and 20,000
// counts, painting any screenful of a 50,000-count track and following the
// player's count there, the player's lag with the editor open on the playing
// song, making a 5,000-count first track, and the tools on 5,000 selected
// counts.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_track

#include "core/Code.h"
#include "generator/StarterLibrary.h"
#include "player/TheCount.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"
#include "tracks/Track.h"
#include "Figures.h"

#include "framework/Format.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>

using bench::median;
using bench::percentile;
using bench::timed;

namespace {

constexpr int kCounts = 5000;

void report(const char* what, const std::vector<double>& ms)
{
    std::printf("%s: median %.3f ms, max %.3f ms (%zu runs)\n", what, median(ms), percentile(ms, 1.0), ms.size());
}

// A song of counts 0.4 s apart at 150 beats per minute, with runs of other
// speeds so that the speed colours change down the list.
int bigSong(testing::AppHarness& h, int counts = kCounts)
{
    std::vector<double> times;
    std::vector<int> beats;
    for (int k = 0; k < counts; ++k) {
        times.push_back(1.0 + 0.4 * k);
        beats.push_back(k % 8 + 1);
    }
    const int id = h.addSong(QStringLiteral("Long song"), QString(), times, beats);
    testing::execute(h, QStringLiteral("Update Track Set Speed = case when TheCount % 64 < 32 then 150 else 151 end "
                                       "where SongsID=%1").arg(id));
    return id;
}

// Opening the editor: the window, the fill with its progress, the first row
// current, and the paint that follows.
void opening(int counts)
{
    testing::AppHarness h;
    h.startWithoutWindows();
    const int id = bigSong(h, counts);
    std::printf("open the editor on %d counts (window, fill, progress, first row current, painted)", counts);
    report("", timed(5, [&] {
               testing::closeAllWindows();
               Track::instance().LoadTrack(id);
               QCoreApplication::processEvents();
               testing::viewportOf(Track::instance().TrackList)->repaint();
           }));
    testing::closeAllWindows();
}

// A screenful painted at any place in a long track, each time after a speed
// changed at the top, so that nothing worked out from the cells is kept:
// the worst case of a jump to rows never painted. And the player's tick: a
// count near the end found, selected and scrolled to, then painted.
void painting(int counts)
{
    testing::AppHarness h;
    h.startWithoutWindows();
    const int id = bigSong(h, counts);
    Track& w = Track::instance();
    w.LoadTrack(id);
    w.setWidth(1400);
    w.setHeight(1000);
    QTest::qWait(50);
    QWidget* rows = testing::viewportOf(w.TrackList);
    std::printf("%d counts, editor at 1400 x 1000: %d rows visible\n", counts,
                w.TrackList->RowFromXY(5, w.TrackList->height() - 5) + 1);
    int k = 0;
    report("  a screenful anywhere after a speed changed at the top", timed(60, [&] {
               w.TrackList->setCell(0, 4, k % 2 ? QStringLiteral("150.00") : QStringLiteral("149.00"));
               w.TrackList->setScrollPosition(counts - 1 - (k++ * 7919) % counts);
               rows->repaint();
           }));
    report("  a repaint where the list stands", timed(60, [&] { rows->repaint(); }));
    k = 0;
    report("  the player's tick: a count near the end lit, then painted", timed(60, [&] {
               w.ScrollToCount(QString::number(counts - 40 + (k++ % 40)));
               QCoreApplication::processEvents();
               rows->repaint();
           }));
    testing::closeAllWindows();
}

// Plays a song through the real player with the editor open on it, and
// records each count's lag and whether the editor selected it. The song's
// audio is made in the data folder; makeSong answers the counts' times.
void lagWithTheEditorOpen(const QString& name, const std::function<std::vector<double>(const QString& wav)>& makeSong)
{
    testing::AppHarness h;
    h.startWithoutWindows();
    const QString wav = h.env.root() + QStringLiteral("/song.wav");
    const std::vector<double> times = makeSong(wav);
    std::vector<int> beats;
    for (size_t k = 0; k < times.size(); ++k)
        beats.push_back(static_cast<int>(k % 8) + 1);
    const int id = h.addSong(name, wav, times, beats);
    Track& editor = Track::instance();
    editor.LoadTrack(id);
    TheCount& w = TheCount::instance();
    std::vector<double> lags;
    std::vector<int> order;
    int selected = 0;
    double lastSeen = -1.0;
    QObject::connect(w.BeatTimer, &fw::Timer::action, &w, [&] {
        if (w.LastTimeDone != lastSeen) {
            lastSeen = w.LastTimeDone;
            order.push_back(w.TimesIndex);
            lags.push_back((w.CurrentPosition - times[w.TimesIndex]) * 1000.0);
            selected += editor.TrackList->ListIndex() == w.TimesIndex ? 1 : 0;
        }
    });
    editor.pbPlayFrom->push();
    QElapsedTimer clock;
    clock.start();
    while (editor.pbPlayFrom->caption() != QLatin1String("Play") && clock.elapsed() < 60000)
        QTest::qWait(20);
    bool inOrder = order.size() == times.size();
    for (size_t k = 0; inOrder && k < order.size(); ++k)
        inOrder = order[k] == static_cast<int>(k);
    std::printf("lag with the editor open: %s, %zu counts, %zu lit, %s, %d selected in the editor\n",
                qPrintable(name), times.size(), lags.size(),
                inOrder ? "all in order, none skipped" : "NOT all in order", selected);
    std::printf("  lag median %.1f ms, p95 %.1f ms, max %.1f ms\n", median(lags), percentile(lags, 0.95),
                percentile(lags, 1.0));
    w.StopCounting();
    testing::closeAllWindows();
}

void makingAFirstTrack()
{
    std::vector<double> ms;
    for (int run = 0; run < 5; ++run) {
        testing::AppHarness h;
        h.startWithoutWindows();
        Track& w = Track::instance();
        w.TheSongID = h.addSong(QStringLiteral("Empty"), QString(), {}, {});
        QElapsedTimer clock;
        clock.start();
        w.MakeFirstTrack(120.0, 41, 40);   // 5000 counts
        ms.push_back(clock.nsecsElapsed() / 1e6);
        if (w.TrackList->ListCount() != kCounts)
            std::printf("Make Track made %d counts\n", w.TrackList->ListCount());
    }
    report("Make Track, 5000 counts (one transaction, list sorted)", ms);
}

// Whether the list shows what the table holds: count, time, beat and speed.
bool listAgreesWithTable(testing::AppHarness& h, const Track& w)
{
    std::unique_ptr<fw::Database> db = h.openDatabase();
    std::unique_ptr<fw::RecordSet> rows = db->SQLSelect(
        QStringLiteral("Select * from Track where SongsID=%1 Order by TheCount").arg(w.TheSongID));
    int row = 0;
    for (; rows && !rows->eof(); rows->MoveNext(), ++row) {
        const auto same = [&](int column, double stored) {
            return std::abs(fw::CDbl(w.TrackList->Cell(row, column)) - stored) < 0.005;
        };
        if (!same(0, rows->Field(QStringLiteral("TheCount")).DoubleValue())
            || !same(1, rows->Field(QStringLiteral("TheTime")).DoubleValue())
            || !same(3, rows->Field(QStringLiteral("Beat")).DoubleValue())
            || !same(4, rows->Field(QStringLiteral("Speed")).DoubleValue()))
            return false;
    }
    return rows && row == w.TrackList->ListCount();
}

// Each tool on every count of a 5000-count track, all of them selected.
void toolsOnEveryCount()
{
    struct Tool {
        const char* name;
        fw::PushButton* Track::*button;
    };
    for (const Tool& tool : {Tool{"Shift", &Track::pbShift}, Tool{"Change Speed", &Track::pbChangeSpeed},
                             Tool{"Reduce Beats", &Track::pbReduceBeats}, Tool{"Delete", &Track::pbDeleteBeats}}) {
        std::vector<double> ms;
        bool agree = true;
        for (int run = 0; run < 5; ++run) {
            testing::AppHarness h;
            h.startWithoutWindows();
            Track& w = Track::instance();
            w.LoadTrack(bigSong(h));
            // As the user selects them: a click on the first, a shift-click on the last.
            testing::clickRow(w.TrackList, 0);
            w.TrackList->setScrollPosition(kCounts);
            QTest::mouseClick(testing::viewportOf(w.TrackList), Qt::LeftButton, Qt::ShiftModifier,
                              testing::rowPoint(w.TrackList, kCounts - 1));
            if (w.TrackList->SelCount() != kCounts)
                std::printf("%d counts selected\n", w.TrackList->SelCount());
            h.fake->answers = {fw::MsgAnswer::Yes};
            QElapsedTimer clock;
            clock.start();
            (w.*tool.button)->push();
            ms.push_back(clock.nsecsElapsed() / 1e6);
            agree = agree && listAgreesWithTable(h, w) && h.fake->messages.size() == (tool.name[0] == 'D' ? 1u : 0u);
        }
        std::printf("%s on 5000 selected counts of 5000: median %.1f ms, max %.1f ms (5 runs); list and table %s\n",
                    tool.name, median(ms), percentile(ms, 1.0), agree ? "agree" : "DIFFER");
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    opening(kCounts);
    opening(20000);
    painting(50000);
    makingAFirstTrack();
    toolsOnEveryCount();
    lagWithTheEditorOpen(QStringLiteral("demo song at 120 bpm"), [](const QString& wav) {
        const starter::DemoSong song = starter::demoSongs(0.45).at(0);   // about 30 s of music
        starter::synthesiseSong(song, wav);
        std::vector<double> times;
        for (const starter::Count& c : song.track)
            times.push_back(c.theTime);
        return times;
    });
    lagWithTheEditorOpen(QStringLiteral("click track at 162 bpm"), [](const QString& wav) {
        std::vector<double> times;
        for (int k = 0; k < 80; ++k)
            times.push_back(1.0 + 0.37 * k);
        starter::writeClickTrack(wav, 31.5, times);
        return times;
    });
    return 0;
}
