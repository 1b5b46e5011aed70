// How long song synchronisation takes with the track editor open on the
// song, on tracks of 5,000 and 20,000 counts: Shift Track Forward and
// Restore to Original, each pressed as the user does (two statements over
// the whole track in one transaction, committed to the database file), the
// editor's reload of the song that follows, and the repaint after it.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_synch

#include "core/Code.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"
#include "tracks/SongSynch.h"
#include "tracks/Track.h"
#include "Figures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

using bench::median;
using bench::percentile;

namespace {

// Milliseconds from the press until the windows have painted what it changed.
double timed(fw::PushButton* button, QWidget* painted)
{
    QElapsedTimer clock;
    clock.start();
    button->push();
    QCoreApplication::processEvents();
    painted->repaint();
    return bench::msSince(clock);
}

void synchronise(int counts, int runs)
{
    testing::AppHarness h;
    std::vector<double> times;
    std::vector<int> beats;
    for (int k = 0; k < counts; ++k) {
        times.push_back(0.5 + k * 0.5);
        beats.push_back(k % 8 + 1);
    }
    // "AAA" sorts first: the window selects it as it opens.
    const int id = h.addSong(QStringLiteral("AAA Long Song"), QString(), times, beats);
    h.startWithoutWindows();
    Code::FirstRun = false;
    Track& editor = Track::instance();
    editor.LoadTrack(id);
    SongSynch& w = SongSynch::instance();
    if (w.List->Cell(0, 99) != QString::number(id))
        std::printf("the long song is not the selected row\n");
    const QString sum = QStringLiteral("Select printf('%.6f', sum(TheTime)) from Track where SongsID=%1").arg(id);
    const QString original = h.queryValue(sum);
    QWidget* rows = testing::viewportOf(editor.TrackList);

    std::vector<double> forward;
    std::vector<double> restore;
    for (int run = 0; run < runs; ++run) {
        w.efOffset->setText(QStringLiteral("0.25"));
        forward.push_back(timed(w.pbForward, rows));
        restore.push_back(timed(w.pbRestore, rows));
    }
    const int done = static_cast<int>(h.fake->messageTexts().count(QStringLiteral("All done.")));
    if (done != 2 * runs || h.queryValue(sum) != original || editor.TrackList->ListCount() != counts)
        std::printf("the presses did not all complete, or the track is not back where it was\n");
    std::printf("song synchronisation with the track editor open, %d counts (%d runs each):\n"
                "  Shift Track Forward median %.1f ms, worst %.1f ms\n"
                "  Restore to Original median %.1f ms, worst %.1f ms\n",
                counts, runs, median(forward), percentile(forward, 1.0), median(restore), percentile(restore, 1.0));
    testing::closeAllWindows();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    synchronise(5000, 11);
    synchronise(20000, 7);
    return 0;
}
