// The timing test's figures, with the demo test song playing through the real
// player: how far the press times the window records lie from the Ones when
// a key press is posted the moment the player reaches each One (and what it
// scores them), the same for presses posted 0.6 s late, and how long after
// the second or the end it marks each countdown text and "All Done!" shows.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_test

#include "practice/Test.h"
#include "practice/TestSongs.h"
#include "support/app/AppHarness.h"
#include "Figures.h"

#include "framework/Format.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <functional>
#include <algorithm>
#include <cmath>
#include <cstdio>

using bench::median;
using bench::percentile;

namespace {

// The position of the player when each key press reaches the window, before
// the window handles it: the press time unrounded.
class PressClock final : public QObject {
public:
    explicit PressClock(Test& w) : m_window(w) {}
    std::vector<double> seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            seen.push_back(m_window.qtPlayer->position());
        return QObject::eventFilter(watched, event);
    }

private:
    Test& m_window;
};

struct Run {
    std::vector<double> shownErrorsMs;   // press time as shown (hundredths) minus its One
    std::vector<double> rawErrorsMs;     // position when the key reached the window minus its One
    std::vector<double> markLatenessMs;  // position when a countdown text or "All Done!" showed, past its moment
    int presses = 0;
    int right = 0;
    QStringList texts;
};

// One test of the demo song, taken from the picker. A key press is posted
// to the window when the player's position reaches each listed One plus
// `late` seconds: a precise single-shot timer is aimed at that moment from
// the position, and aimed again for what is left when it comes early. With
// `plainTicks` the test's timer is put back to its plain 100 ms after every
// tick, to show what an unaimed tick would give.
Run takeTest(double late, bool plainTicks = false)
{
    testing::AppHarness h(testing::TestEnvironment::Starter::Installed, 0.45);
    h.startWithoutWindows();
    TestSongs::instance().pbStartTest->push();
    Test& w = Test::instance();
    Run run;

    // What the top line says after each tick, and the player's position then.
    const double testEnd = w.TestEnd;
    QString lastText = w.stCountdown->text();
    int counted = 0;
    QObject::connect(w.TheTimer, &fw::Timer::action, &w, [&] {
        if (plainTicks && w.TheTimer->mode() != fw::Timer::ModeOff)
            w.TheTimer->setPeriod(100);
        const QString text = w.stCountdown->text();
        if (text == lastText)
            return;
        lastText = text;
        run.texts << text;
        const double at = w.qtPlayer->position();
        const double moment = text == QLatin1String("All Done!") ? testEnd : counted++;
        run.markLatenessMs.push_back((at - moment) * 1000.0);
    });
    PressClock clock(w);
    w.frame()->installEventFilter(&clock);

    std::vector<double> ones;
    for (int r = 0; r < w.List->ListCount(); ++r)
        ones.push_back(fw::CDbl(w.List->Cell(r, 0)));
    size_t next = 0;
    std::function<void()> aim = [&] {
        if (next >= ones.size() || !w.qtPlayer->isPlaying())
            return;
        const double ahead = (ones[next] + late - w.qtPlayer->position()) * 1000.0;
        if (ahead > 0.0) {
            QTimer::singleShot(std::max(1, int(std::ceil(ahead))), Qt::PreciseTimer, &w, aim);
            return;
        }
        QCoreApplication::postEvent(w.frame(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier,
                                                             QStringLiteral(" ")));
        ++next;
        QTimer::singleShot(100, Qt::PreciseTimer, &w, aim);
    };
    aim();
    QElapsedTimer limit;
    limit.start();
    while (lastText != QLatin1String("All Done!") && limit.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (size_t k = 0; k < ones.size(); ++k) {
        if (w.List->Cell(int(k), 1).isEmpty())
            continue;
        ++run.presses;
        run.right += w.List->Cell(int(k), 2) == QLatin1String("Right");
        run.shownErrorsMs.push_back((fw::CDbl(w.List->Cell(int(k), 1)) - ones[k]) * 1000.0);
        if (k < clock.seen.size())
            run.rawErrorsMs.push_back((clock.seen[k] - ones[k]) * 1000.0);
    }
    return run;
}

std::vector<double> joined(const std::vector<Run>& runs, std::vector<double> Run::*member)
{
    std::vector<double> all;
    for (const Run& r : runs)
        all.insert(all.end(), (r.*member).begin(), (r.*member).end());
    return all;
}

void report(const char* what, const std::vector<Run>& runs, std::vector<double> Run::*member)
{
    std::vector<double> runMedians;
    for (const Run& r : runs)
        runMedians.push_back(median(r.*member));
    const std::vector<double> all = joined(runs, member);
    std::vector<double> absolute;
    for (double v : all)
        absolute.push_back(std::fabs(v));
    std::printf("%s: median of run medians %.1f ms; over all %zu: median %.1f ms, |max| %.1f ms, min %.1f ms, "
                "max %.1f ms\n",
                what, median(runMedians), all.size(), median(all), percentile(absolute, 1.0), percentile(all, 0.0),
                percentile(all, 1.0));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);

    const int onTimeRuns = 3;
    std::vector<Run> onTime;
    for (int r = 0; r < onTimeRuns; ++r)
        onTime.push_back(takeTest(0.0));
    const Run late = takeTest(0.6);
    const Run plain = takeTest(0.0, true);

    int presses = 0;
    int right = 0;
    for (const Run& r : onTime) {
        presses += r.presses;
        right += r.right;
    }
    std::printf("demo test song \"Dancer's Lantern\" at 120 bpm, about 30 s of audio, %d Ones a test\n",
                onTime.front().presses);
    std::printf("on time, %d runs: %d presses, %d scored Right\n", onTimeRuns, presses, right);
    report("on time, press time as shown minus its One", onTime, &Run::shownErrorsMs);
    report("on time, position at the key event minus its One", onTime, &Run::rawErrorsMs);
    std::printf("0.6 s late, 1 run: %d presses, %d scored Wrong (the last One's press would come after the end)\n",
                late.presses, late.presses - late.right);
    report("0.6 s late, press time as shown minus its One", {late}, &Run::shownErrorsMs);
    std::vector<Run> aimed = onTime;
    aimed.push_back(late);
    report("countdown texts and \"All Done!\" shown past their moment", aimed, &Run::markLatenessMs);
    report("the same with a plain 100 ms tick, for comparison (1 run)", {plain}, &Run::markLatenessMs);
    std::printf("texts of the first run: %s\n", qPrintable(onTime.front().texts.join(QStringLiteral(" / "))));
    return 0;
}
