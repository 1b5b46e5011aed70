// The player's figures: how far behind the music each count lights when a
// synthesised song plays through the real player (the headline: a click
// track whose counts meet the 50 ms tick at every phase), what a 50 ms tick
// costs on a 5,000-count track, how long a start takes to load such a
// track, and how long the movie player takes to open a three-minute song of
// each kind a library holds.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_player

#include "core/Code.h"
#include "framework/Mp3Length.h"
#include "generator/StarterLibrary.h"
#include "player/TheCount.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"
#include "Figures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <algorithm>
#include <cstdio>

using bench::median;
using bench::percentile;

namespace {

struct SyncRun {
    std::vector<double> lagsMs;   // per lit count: the player's position then minus the count's time
    bool inOrder = false;         // every count lit, once each, in track order
};

// Plays a song through the real player and records, for each count that
// lights, the player's position at that moment minus the count's time.
SyncRun synchronisation(testing::AppHarness& h, const QString& name, const QString& wav,
                        const std::vector<double>& times)
{
    std::vector<int> beats;
    for (size_t k = 0; k < times.size(); ++k)
        beats.push_back(static_cast<int>(k % 8) + 1);
    TheCount& w = TheCount::instance();
    w.TheSongID = h.addSong(name, wav, times, beats);

    SyncRun run;
    std::vector<int> order;
    double lastSeen = -1.0;
    const QMetaObject::Connection watch = QObject::connect(w.BeatTimer, &fw::Timer::action, &w, [&] {
        if (w.LastTimeDone != lastSeen) {
            lastSeen = w.LastTimeDone;
            order.push_back(w.TimesIndex);
            run.lagsMs.push_back((w.CurrentPosition - times[w.TimesIndex]) * 1000.0);
        }
    });
    w.StartCounting(0.0, -1.0);
    QElapsedTimer clock;
    clock.start();
    while (w.BeatTimer->mode() != fw::Timer::ModeOff && clock.elapsed() < 60000)
        QTest::qWait(20);
    QObject::disconnect(watch);
    w.StopCounting();

    run.inOrder = order.size() == times.size();
    for (size_t k = 0; run.inOrder && k < order.size(); ++k)
        run.inOrder = order[k] == static_cast<int>(k);
    return run;
}

void printLags(const char* label, const std::vector<SyncRun>& runs, size_t counts)
{
    std::vector<double> all;
    std::vector<double> medians;
    bool inOrder = true;
    for (const SyncRun& run : runs) {
        all.insert(all.end(), run.lagsMs.begin(), run.lagsMs.end());
        medians.push_back(median(run.lagsMs));
        inOrder = inOrder && run.inOrder;
    }
    std::printf("%s: %zu runs of %zu counts, %s\n", label, runs.size(), counts,
                inOrder ? "every count lit in order in every run" : "NOT every count lit in order");
    std::printf("%s: lag median %.1f ms (run medians %.1f to %.1f), p95 %.1f ms, max %.1f ms, min %.1f ms\n", label,
                median(all), percentile(medians, 0.0), percentile(medians, 1.0), percentile(all, 0.95),
                percentile(all, 1.0), percentile(all, 0.0));
}

// A 5,000-count track on a short WAV; the player started and held still.
TheCount& bigTrack(testing::AppHarness& h, double* startMs)
{
    const QString wav = h.env.root() + QStringLiteral("/short.wav");
    testing::writeWav(wav, 5.0);
    std::vector<double> times;
    std::vector<int> beats;
    for (int k = 0; k < 5000; ++k) {
        times.push_back(1.0 + 0.4 * k);
        beats.push_back(k % 8 + 1);
    }
    TheCount& w = TheCount::instance();
    w.TheSongID = h.addSong(QStringLiteral("Five thousand"), wav, times, beats);
    QElapsedTimer clock;
    clock.start();
    w.StartCounting(0.0, -1.0);
    *startMs = clock.nsecsElapsed() / 1e6;
    w.qtPlayer->stop();
    w.BeatTimer->setMode(fw::Timer::ModeOff);   // the benchmark ticks by hand
    return w;
}

void tickCost(TheCount& w)
{
    const int runs = 2001;
    std::vector<double> idle;
    std::vector<double> lighting;
    QElapsedTimer clock;
    for (int pass = 0; pass < 3; ++pass) {
        // Ticks that reach no new count: the position stays between two rows
        // near the end, so the search walks nearly the whole track.
        w.LastTimeDone = 1e9;
        w.qtPlayer->setReportedPosition(1.0 + 0.4 * 4990 + 0.2);
        for (int i = 0; i < runs; ++i) {
            clock.start();
            w.BeatTimer_Action();
            idle.push_back(clock.nsecsElapsed() / 1000.0);
        }
        // Ticks that each light the next count, late in the track.
        w.LastTimeDone = -1.0;
        for (int i = 0; i < runs; ++i) {
            w.qtPlayer->setReportedPosition(1.0 + 0.4 * (2990 + i) + 0.01);
            w.BeatTimer->setMode(fw::Timer::ModeOff);
            clock.start();
            w.BeatTimer_Action();
            lighting.push_back(clock.nsecsElapsed() / 1000.0);
        }
    }
    std::printf("tick, 5000 counts, no new count: median %.2f us, p95 %.2f us (%zu ticks)\n", median(idle),
                percentile(idle, 0.95), idle.size());
    std::printf("tick, 5000 counts, lights a count: median %.2f us, p95 %.2f us (%zu ticks)\n",
                median(lighting), percentile(lighting, 0.95), lighting.size());

    // What reading the real player's position costs (the reported one is a seam).
    w.qtPlayer->setReportedPosition(std::nullopt);
    std::vector<double> reads;
    for (int i = 0; i < 2001; ++i) {
        clock.start();
        volatile double p = w.qtPlayer->position();
        (void)p;
        reads.push_back(clock.nsecsElapsed() / 1000.0);
    }
    std::printf("position read of the real player: median %.2f us\n", median(reads));
}

// Opens a three-minute song of each kind five times; an MP3 whose bitrate
// varies and that has no length header is played from a copy that tells its
// length, made at each open.
void openTimes()
{
    testing::AppHarness h;
    h.startWithoutWindows();
    QList<testing::Sound> song;   // loud and quiet parts, as music has them
    for (int k = 0; k < 36; ++k)
        song << testing::Sound{testing::Sound::Noise, 20} << testing::Sound{testing::Sound::Tone, 30};
    struct Kind {
        const char* label;
        const char* name;
        const char* encoder;
    };
    const Kind kinds[] = {
        {"WAV", "song.wav", "wavenc"},
        {"MP3, constant bitrate, no length header", "cbr.mp3", "lamemp3enc target=bitrate bitrate=192 cbr=true"},
        {"MP3, varying bitrate, length header", "xing.mp3", "lamemp3enc target=quality quality=2 ! xingmux"},
        {"MP3, varying bitrate, no length header (played from a copy)", "vbr.mp3", "lamemp3enc target=quality quality=2"},
    };
    fw::MoviePlayer* player = TheCount::instance().qtPlayer;
    QString unheaded;
    for (const Kind& kind : kinds) {
        const QString path = h.env.root() + QLatin1Char('/') + QLatin1String(kind.name);
        const QString failure = testing::encodeAudio(path, QLatin1String(kind.encoder), song);
        if (!failure.isEmpty()) {
            std::printf("%s: could not be made: %s\n", kind.label, qPrintable(failure));
            continue;
        }
        std::vector<double> ms;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer clock;
            clock.start();
            player->open(fw::FolderItem::fromPosixPath(path));
            ms.push_back(bench::msSince(clock));
        }
        std::printf("open, 3-minute %s, %.1f MB, length read %.2f s: median %.1f ms, worst %.1f ms (5 opens)\n",
                    kind.label, QFileInfo(path).size() / 1e6, player->duration(), median(ms), percentile(ms, 1.0));
        if (QLatin1String(kind.name) == QLatin1String("vbr.mp3"))
            unheaded = path;
    }
    QFile file(unheaded);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    std::vector<double> ms;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer clock;
        clock.start();
        const fw::Mp3LengthHeader header = fw::mp3LengthHeader(bytes);
        ms.push_back(bench::msSince(clock));
        if (header.frame.isEmpty())
            std::printf("no length header made\n");
    }
    std::printf("of which the look through its frames, in memory: median %.2f ms, worst %.2f ms (5 runs)\n", median(ms),
                percentile(ms, 1.0));
    testing::closeAllWindows();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    constexpr int kSyncRuns = 3;
    {
        // The headline: counts every 0.37 s, which meet the 50 ms tick at
        // every phase, so the lags spread over the whole tick.
        std::vector<double> times;
        for (int k = 0; k < 80; ++k)
            times.push_back(1.0 + 0.37 * k);
        std::vector<SyncRun> runs;
        for (int run = 0; run < kSyncRuns; ++run) {
            testing::AppHarness h;
            h.startWithoutWindows();
            const QString wav = h.env.root() + QStringLiteral("/clicks.wav");
            starter::writeClickTrack(wav, 31.5, times);
            runs.push_back(synchronisation(h, QStringLiteral("click track at 162 bpm"), wav, times));
            testing::closeAllWindows();
        }
        printLags("headline, click track at 162 bpm (counts at every phase of the tick)", runs, times.size());
    }
    {
        // A demo song, synthesised: its beats fall every 0.5 s, a whole
        // number of ticks, so all its counts meet the tick at one phase and
        // its lags show that phase only.
        testing::AppHarness h;
        h.startWithoutWindows();
        const starter::DemoSong song = starter::demoSongs(0.45).at(0);   // about 30 s of music
        const QString wav = h.env.root() + QStringLiteral("/sync.wav");
        starter::synthesiseSong(song, wav);
        std::vector<double> times;
        for (const starter::Count& c : song.track)
            times.push_back(c.theTime);
        const SyncRun run = synchronisation(h, song.title, wav, times);
        printLags("demo song at 120 bpm (counts at one phase of the tick)", {run}, times.size());
        testing::closeAllWindows();
    }
    std::vector<double> starts;
    for (int run = 0; run < 5; ++run) {
        testing::AppHarness h;
        h.startWithoutWindows();
        double startMs = 0.0;
        TheCount& w = bigTrack(h, &startMs);
        starts.push_back(startMs);
        if (run == 0)
            tickCost(w);
    }
    std::printf("start with a 5000-count track (song and track read, audio opened, play begun): "
                "median %.1f ms, max %.1f ms (5 runs)\n",
                median(starts), percentile(starts, 1.0));
    openTimes();
    return 0;
}
