// How long song synchronisation takes on a song of 5,000 counts: Shift Track
// Forward and Restore to Original, each pressed as the user does (two
// statements over the whole track in one transaction, committed to the
// database file), with the track editor closed.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_synch

#include "core/Code.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"
#include "tracks/SongSynch.h"
#include "Figures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

using bench::median;

namespace {

double timed(fw::PushButton* button)
{
    QElapsedTimer clock;
    clock.start();
    button->push();
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    const int counts = 5000;
    const int runs = 11;
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
    SongSynch& w = SongSynch::instance();
    if (w.List->Cell(0, 99) != QString::number(id))
        std::printf("the long song is not the selected row\n");
    const QString sum = QStringLiteral("Select printf('%.6f', sum(TheTime)) from Track where SongsID=%1").arg(id);
    const QString original = h.queryValue(sum);

    std::vector<double> forward;
    std::vector<double> restore;
    for (int run = 0; run < runs; ++run) {
        w.efOffset->setText(QStringLiteral("0.25"));
        forward.push_back(timed(w.pbForward));
        restore.push_back(timed(w.pbRestore));
    }
    const int done = static_cast<int>(h.fake->messageTexts().count(QStringLiteral("All done.")));
    if (done != 2 * runs || h.queryValue(sum) != original)
        std::printf("the presses did not all complete, or the track is not back where it was\n");
    std::printf("song synchronisation, %d counts: Shift Track Forward median %.1f ms (worst %.1f); "
                "Restore to Original median %.1f ms (worst %.1f) (%d runs each)\n",
                counts, median(forward), *std::max_element(forward.begin(), forward.end()), median(restore),
                *std::max_element(restore.begin(), restore.end()), runs);
    testing::closeAllWindows();
    return 0;
}
