// How long the song list takes to fill with 5,000 songs: the first fill when
// the window opens (found songs first) and a reload (plain title order).
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_songlist

#include "core/Code.h"
#include "library/Songs.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"
#include "Figures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

using bench::median;

namespace {

// 5,000 songs, every other one with an audio file that exists.
void addSongs(testing::AppHarness& h, int count)
{
    const QString wav = h.env.root() + QStringLiteral("/song.wav");
    testing::writeWav(wav, 1.0);
    const QString found = fw::colonPathFromPosix(wav, false);
    std::unique_ptr<fw::Database> db = h.openDatabase();
    db->SQLExecute(QStringLiteral("BEGIN"));
    for (int k = 0; k < count; ++k) {
        fw::DatabaseRecord song;
        song.Column(QStringLiteral("Title"), QStringLiteral("Song %1").arg((k * 7919) % count, 5, 10, QLatin1Char('0')));
        song.Column(QStringLiteral("Artist"), QStringLiteral("Artist %1").arg(k % 97));
        song.Column(QStringLiteral("CD"), QStringLiteral("Album %1").arg(k % 31));
        song.Column(QStringLiteral("BPM"), QString::number(90 + k % 110));
        song.Column(QStringLiteral("Link"), k % 3 ? QStringLiteral("https://example.org/a") : QString());
        song.Column(QStringLiteral("Path"), k % 2 ? found : QStringLiteral("home:nobody:missing %1.wav").arg(k));
        db->InsertRecord(QStringLiteral("Songs"), song);
    }
    db->Commit();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    const int songs = 5000;
    std::vector<double> opens;
    std::vector<double> reloads;
    for (int run = 0; run < 5; ++run) {
        testing::AppHarness h;
        h.openDatabase()->SQLExecute(QStringLiteral("Delete From Songs"));
        addSongs(h, songs);
        h.startWithoutWindows();
        Code::FirstRun = false;   // no autoplay: only the fill is measured
        QElapsedTimer clock;
        clock.start();
        Songs& list = Songs::instance();
        opens.push_back(clock.nsecsElapsed() / 1e6);
        if (list.SongList->ListCount() != songs)
            std::printf("the list holds %d rows, not %d\n", list.SongList->ListCount(), songs);
        clock.start();
        list.ReloadList();
        reloads.push_back(clock.nsecsElapsed() / 1e6);
        testing::closeAllWindows();
    }
    std::printf("song list, %d songs: opening (read, fill, found-first sort) median %.1f ms; "
                "reload median %.1f ms (5 runs)\n",
                songs, median(opens), median(reloads));
    return 0;
}
