// How long the song list takes to open and to reload on libraries of 5,000,
// 20,000 and 50,000 songs: the read, the fill with a file check per song,
// the first row selected and the paint that follows.
//
// Each library is laid out as a real one is: every other song's audio file
// lies in a folder of its own artist and album (a tiny file: only its
// existence is checked), the other songs name a file of such a folder that is
// not there (a deleted file). So every song costs a lookup of its own file,
// and the first fill puts half of the list after the other half.
//
// Warm runs follow each other, with the files and the database in the
// system's caches, as when the list is opened again. With --cold the
// system's file caches (pages, directory entries and inodes) are dropped
// before each cold run, as after a restart of the machine: every file check
// and the database then go to the disk. That needs root (it writes
// /proc/sys/vm/drop_caches, which slows every program of the machine for a
// moment); without it the cold runs are left out.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_songlist [--cold] [sizes...]

#include "core/Code.h"
#include "library/Songs.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"
#include "Figures.h"

#include "framework/FolderItem.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <unistd.h>

using bench::median;
using bench::msSince;
using bench::percentile;

namespace {

constexpr int kWarmRuns = 7;
constexpr int kColdRuns = 5;

// Counts the paints of a widget.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// Lets the event loop turn until the list has been painted (at most 2 s).
void untilPainted(const PaintCounter& counter, int before)
{
    QElapsedTimer waited;
    waited.start();
    while (counter.paints == before && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (counter.paints == before)
        std::printf("the list was not painted\n");
}

// Songs in title order other than their insertion order; the odd ones have
// their file, the even ones name a file that is not there.
int addSongs(testing::AppHarness& h, int count)
{
    const QString music = h.env.root() + QStringLiteral("/Music");
    std::unique_ptr<fw::Database> db = h.openDatabase();
    db->SQLExecute(QStringLiteral("BEGIN"));
    db->SQLExecute(QStringLiteral("Delete From Songs"));
    int found = 0;
    for (int k = 0; k < count; ++k) {
        const QString artist = QStringLiteral("Artist %1").arg(k % 97);
        const QString album = QStringLiteral("Album %1").arg(k % 31);
        const QString title = QStringLiteral("Song %1").arg((k * 7919) % count, 5, 10, QLatin1Char('0'));
        const QString folder = music + QLatin1Char('/') + artist + QLatin1Char('/') + album;
        const QString file = folder + QLatin1Char('/') + title + QStringLiteral(".wav");
        if (k % 2) {
            QDir().mkpath(folder);
            QFile audio(file);
            if (!audio.open(QIODevice::WriteOnly) || audio.write("RIFF", 4) != 4)
                std::printf("cannot write %s\n", qPrintable(file));
            ++found;
        }
        fw::DatabaseRecord song;
        song.Column(QStringLiteral("Title"), title);
        song.Column(QStringLiteral("Artist"), artist);
        song.Column(QStringLiteral("CD"), album);
        song.Column(QStringLiteral("BPM"), QString::number(90 + k % 110));
        song.Column(QStringLiteral("Link"), k % 3 ? QStringLiteral("https://example.org/a") : QString());
        song.Column(QStringLiteral("Path"), fw::colonPathFromPosix(file, false));
        song.Column(QStringLiteral("Notes"), QStringLiteral("Notes of song %1, a line or two of them.").arg(k));
        song.Column(QStringLiteral("Install"), k % 2 ? QString() : QStringLiteral("Buy it from the artist's site."));
        db->InsertRecord(QStringLiteral("Songs"), song);
    }
    db->Commit();
    return found;
}

// Drops the system's clean file caches; false when that is not allowed.
bool dropFileCaches()
{
    ::sync();
    QFile control(QStringLiteral("/proc/sys/vm/drop_caches"));
    return control.open(QIODevice::WriteOnly) && control.write("3\n", 2) == 2;
}

struct Figures {
    std::vector<double> opens;
    std::vector<double> reloads;
};

// Opens the list and reloads it; cold drops the caches before each.
void measure(Figures& figures, int songs, int found, bool cold)
{
    testing::closeAllWindows();
    if (cold && !dropFileCaches())
        return;
    QElapsedTimer clock;
    clock.start();
    Songs& list = Songs::instance();
    PaintCounter counter(testing::viewportOf(list.SongList));
    untilPainted(counter, 0);
    figures.opens.push_back(msSince(clock));
    if (list.SongList->ListCount() != songs || list.SongList->ListIndex() != 0
        || list.SongList->Cell(found - 1, 98) != QLatin1String("yes") || list.SongList->Cell(found, 98) != QLatin1String("no"))
        std::printf("the list holds %d rows, not %d, or its found songs do not come first\n",
                    list.SongList->ListCount(), songs);

    if (cold && !dropFileCaches())
        return;
    const int painted = counter.paints;
    clock.start();
    list.ReloadList();
    untilPainted(counter, painted);
    figures.reloads.push_back(msSince(clock));
    if (list.SongList->ListCount() != songs)
        std::printf("the reloaded list holds %d rows, not %d\n", list.SongList->ListCount(), songs);
}

void report(const char* what, const std::vector<double>& ms)
{
    if (ms.empty())
        return;
    std::printf("  %-44s median %6.1f ms, worst %6.1f ms (%zu runs)\n", what, median(ms), percentile(ms, 1.0),
                ms.size());
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    bool cold = false;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--cold")
            cold = true;
        else if (const int n = QByteArray(argv[i]).toInt(); n > 1)
            sizes.push_back(n);
    }
    if (sizes.empty())
        sizes = {5000, 20000, 50000};

    for (const int songs : sizes) {
        testing::AppHarness h;
        h.startWithoutWindows();
        Code::FirstRun = false;   // no autoplay: only the list is measured
        // The program opens other windows before the song list: what any
        // first window costs (fonts, styles) is not the list's.
        Songs::instance();
        testing::closeAllWindows();
        const int found = addSongs(h, songs);

        Figures warm;
        Figures coldFigures;
        measure(warm, songs, found, false);   // once unmeasured: the files come into the caches
        warm = Figures();
        for (int run = 0; run < kWarmRuns; ++run)
            measure(warm, songs, found, false);
        if (cold) {
            for (int run = 0; run < kColdRuns; ++run)
                measure(coldFigures, songs, found, true);
            if (coldFigures.opens.empty())
                std::printf("the file caches cannot be dropped here: no cold runs\n");
        }
        testing::closeAllWindows();

        std::printf("song list, %d songs (%d files found, %d missing):\n", songs, found, songs - found);
        report("open (fill, first row, paint), warm:", warm.opens);
        report("reload (fill, first row, paint), warm:", warm.reloads);
        report("open, file caches dropped first:", coldFigures.opens);
        report("reload, file caches dropped first:", coldFigures.reloads);
        std::fflush(stdout);
    }
    return 0;
}
