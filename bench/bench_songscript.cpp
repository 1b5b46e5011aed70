// Song-script files and song set-up at size: importing a file of 5,000 track
// lines and exporting that song again, through the set-up window on the
// starter library's database file, and opening song set-up on 5,000 songs.
// Then large files: one of 4 MB, and the largest the export writes and the
// import takes (how long the window is held and how much memory it grows
// by), exported again; a far larger one refused.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_songscript

#include "core/Code.h"
#include "library/ListCells.h"
#include "library/SetupSongs.h"
#include "library/SongScript.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"
#include "tracks/CountLimits.h"
#include "Figures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <sys/resource.h>
#include <algorithm>
#include <cstdio>

using bench::median;
using bench::percentile;
using bench::msSince;

namespace {

constexpr int kLines = 5000;
constexpr int kSongs = 5000;
// The size of the files read in the figures of earlier versions.
constexpr qint64 kFourMB = 4 * 1024 * 1024;

QString writeScript(const testing::AppHarness& h)
{
    const QString path = h.env.root() + QStringLiteral("/Bench Song.txt");
    SongScript::Writer writer;
    writer.create(path);
    writer.writeSong({"Bench Song", "Bench Band", "Bench Album", "https://example.org/b", "128",
                      "home:nobody:bench.wav", "Long notes\nover two lines", "12.5", "40.0", "", ""});
    for (int k = 1; k <= kLines; ++k) {
        writer.writeTrackRow({QString::number(k), QString::number(0.47 * k, 'f', 2), QString::number((k - 1) % 8 + 1),
                              "128.0", k % 8 == 1 ? "Break forward" : "", k % 32 == 1 ? "Keep your frame" : "", ""});
    }
    writer.close();
    return path;
}

void addSongs(const testing::AppHarness& h)
{
    std::unique_ptr<fw::Database> db = h.openDatabase();
    db->SQLExecute(QStringLiteral("BEGIN"));
    for (int k = 0; k < kSongs; ++k) {
        fw::DatabaseRecord song;
        song.Column(QStringLiteral("Title"), QStringLiteral("Song %1").arg((k * 7919) % kSongs, 5, 10, QLatin1Char('0')));
        song.Column(QStringLiteral("Artist"), QStringLiteral("Artist %1").arg(k % 97));
        song.Column(QStringLiteral("CD"), QStringLiteral("Album %1").arg(k % 31));
        db->InsertRecord(QStringLiteral("Songs"), song);
    }
    db->Commit();
}

double peakMemoryMB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// A song-script of 4 MB: long notes on every line make it grow fast.
QString writeFourMBScript(const testing::AppHarness& h, int* lines)
{
    const QString path = h.env.root() + QStringLiteral("/Four.txt");
    SongScript::Writer writer;
    writer.create(path);
    writer.writeSong({"Four", "", "", "", "128", "", "", "0", "0", "", ""});
    const QString note = QString(80, QLatin1Char('n'));
    qint64 bytes = 0;
    for (*lines = 0; bytes < kFourMB - 400; ++*lines) {
        const QStringList row = {QString::number(*lines + 1), QString::number(0.47 * *lines, 'f', 2), "1", "128.0",
                                 note, "", ""};
        writer.writeTrackRow(row);
        bytes += row.join(QLatin1Char('\t')).size() + 2;
    }
    writer.close();
    return path;
}

// The largest song-script: the most counts the track editor keeps, each
// with a note, and the song's notes filling it to the largest size.
QString writeLargestScript(const testing::AppHarness& h, int* lines)
{
    const QString path = h.env.root() + QStringLiteral("/Largest.txt");
    const QString note = QStringLiteral("Break forward on the left foot, keep the frame, and let the lady turn under "
                                        "your arm");
    const auto row = [&](int k) -> QStringList {
        return {QString::number(k + 1), QString::number(0.0864 * k, 'f', 2), QString::number(k % 8 + 1), "128.0",
                note, "", ""};
    };
    *lines = CountLimits::kHighestCount;
    qint64 bytes = 0;
    for (int k = 0; k < *lines; ++k)
        bytes += SongScript::Writer::trackRowBytes(row(k));
    QStringList song = {"Largest", "", "", "", "128", "", "", "0", "0", "", ""};
    song[6] = QString(SongScript::kMaxFileBytes - bytes - SongScript::Writer::songBytes(song), QLatin1Char('n'));
    SongScript::Writer writer;
    writer.create(path);
    writer.writeSong(song);
    for (int k = 0; k < *lines; ++k)
        writer.writeTrackRow(row(k));
    writer.close();
    return path;
}

// A file of 4 MB, as an older copy wrote it in 8-bit text but with lines
// ending in LF alone, so that its letters decide its encoding: every value
// and line reads through that judgement.
QByteArray eightBitScript()
{
    QByteArray content = "Caf\xE9\nSe\xF1or\nD\xE9j\xE0 vu\n\n128\n\nNotes\n1.5\n9.0\n\n\n";
    for (int k = 1; content.size() < kFourMB - 200; ++k)
        content += QByteArray::number(k) + "\t" + QByteArray::number(0.47 * k, 'f', 2)
            + "\t1\t128.0\tT\xEAte \xE0 t\xEAte, na\xEFve et d\xE9j\xE0 vu, \x93" "doucement\x94\t\t\t\n";
    return content;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    {
        // First, while the process's peak memory is still the start-up's.
        testing::AppHarness h;
        h.startWithoutWindows();
        int lines = 0;
        const QString four = writeFourMBScript(h, &lines);
        SetupSongs& setup = SetupSongs::instance();
        double before = peakMemoryMB();
        QElapsedTimer clock;
        clock.start();
        setup.ImportFile(fw::FolderItem::fromPosixPath(four));
        double importMs = msSince(clock);
        std::printf("a file of %.1f MB, %d track lines: import %.0f ms (%s), peak memory grew %.0f MB\n",
                    QFile(four).size() / 1048576.0, lines, importMs, qPrintable(h.fake->lastMessage()),
                    peakMemoryMB() - before);
        const QString largest = writeLargestScript(h, &lines);
        before = peakMemoryMB();
        clock.start();
        const QString readWhole = [&] {
            const SongScript::Reading reading = SongScript::read(largest);
            return reading.script ? QStringLiteral("read whole") : reading.problem;
        }();
        const double readMs = msSince(clock);
        const double readMB = peakMemoryMB() - before;
        clock.start();
        setup.ImportFile(fw::FolderItem::fromPosixPath(largest));
        importMs = msSince(clock);
        std::printf("largest file, %.1f MB, %d track lines: read %.0f ms (%s), peak memory grew %.0f MB; "
                    "import %.0f ms (%s), peak memory grew %.0f MB in all\n",
                    QFile(largest).size() / 1048576.0, lines, readMs, qPrintable(readWhole), readMB, importMs,
                    qPrintable(h.fake->lastMessage()), peakMemoryMB() - before);
        setup.List->setListIndex(setup.List->LastIndex());
        std::vector<double> exportMs;
        before = peakMemoryMB();
        for (int run = 0; run < 2; ++run) {
            clock.start();
            setup.pbExport_Action();
            exportMs.push_back(msSince(clock));
        }
        std::printf("largest file exported in %.0f ms, and again over its own file in %.0f ms (%s), peak memory "
                    "grew %.0f MB\n",
                    exportMs[0], exportMs[1], qPrintable(h.fake->lastMessage()), peakMemoryMB() - before);
        QFile huge(h.env.root() + QStringLiteral("/Huge.txt"));
        huge.open(QIODevice::WriteOnly);
        huge.resize(qint64(4) << 30);   // sparse
        huge.close();
        clock.start();
        setup.ImportFile(fw::FolderItem::fromPosixPath(huge.fileName()));
        std::printf("a 4096 MB file refused in %.2f ms: %s\n", msSince(clock), qPrintable(h.fake->lastMessage()));
        testing::closeAllWindows();
    }
    {
        const QByteArray eightBit = eightBitScript();
        const SongScript::Reading reading = SongScript::parse(eightBit);
        const std::vector<double> ms = bench::timed(5, [&] { SongScript::parse(eightBit); });
        const QByteArray utf8 = QString::fromLatin1(eightBit).toUtf8();   // the same letters (but the quotes)
        const std::vector<double> utf8Ms = bench::timed(5, [&] { SongScript::parse(utf8); });
        std::printf("reading %.1f MB of 8-bit text with LF line ends (5 runs): median %.0f ms, worst %.0f ms, "
                    "title read as \"%s\"; the same text in UTF-8: median %.0f ms, worst %.0f ms\n",
                    eightBit.size() / 1048576.0, median(ms), percentile(ms, 1.0),
                    reading.script ? qPrintable(reading.script->song.at(0)) : qPrintable(reading.problem),
                    median(utf8Ms), percentile(utf8Ms, 1.0));
        // UTF-8 with letters of other scripts on every line, standing as
        // words; with one glued inside a Latin word, which the reader weighs
        // as possible 8-bit bytes, in the title; and, at worst, on every line.
        struct Foreign {
            const char* what;
            QByteArray from;
            QByteArray to;
        };
        for (const Foreign& form : {Foreign{"words of other scripts", "doucement", "Καλημέρα, Тёте а тёте, 愛 Trương"},
                                    Foreign{"a character inside a word in the title", "Café", "H₂O Тёте"},
                                    Foreign{"a character inside a word on every line", "doucement", "H₂O Тёте"}}) {
            QByteArray foreign = utf8;
            foreign.replace(form.from, form.to);
            const std::vector<double> foreignMs = bench::timed(5, [&] { SongScript::parse(foreign); });
            std::printf("the same in UTF-8 with %s: median %.0f ms, worst %.0f ms\n", form.what, median(foreignMs),
                        percentile(foreignMs, 1.0));
        }
    }
    std::vector<double> imports;
    std::vector<double> exports;
    std::vector<double> reexports;
    std::vector<double> opens;
    for (int run = 0; run < 5; ++run) {
        testing::AppHarness h;
        h.startWithoutWindows();
        const QString script = writeScript(h);
        SetupSongs& setup = SetupSongs::instance();
        QElapsedTimer clock;
        clock.start();
        setup.ImportFile(fw::FolderItem::fromPosixPath(script));
        imports.push_back(msSince(clock));
        const QString id = setup.List->Cell(setup.List->ListCount() - 1, ListCells::IDCell);
        if (h.queryValue(QStringLiteral("Select count(*) from Track where SongsID=") + id) != QString::number(kLines))
            std::printf("the import did not store %d track rows: %s\n", kLines, qPrintable(h.fake->lastMessage()));
        setup.List->setListIndex(setup.List->ListCount() - 1);
        clock.start();
        setup.pbExport_Action();
        exports.push_back(msSince(clock));
        if (!h.fake->lastMessage().startsWith(QStringLiteral("File created on desktop")))
            std::printf("the export failed: %s\n", qPrintable(h.fake->lastMessage()));
        // Again: the earlier file is read to know it as the song's own.
        clock.start();
        setup.pbExport_Action();
        reexports.push_back(msSince(clock));
        if (h.fake->lastMessage() != QStringLiteral("File created on desktop: Bench Song.txt"))
            std::printf("the export again did not replace its own file: %s\n", qPrintable(h.fake->lastMessage()));
        testing::closeAllWindows();

        addSongs(h);
        clock.start();
        SetupSongs& full = SetupSongs::instance();
        opens.push_back(msSince(clock));
        if (full.List->ListCount() < kSongs)
            std::printf("the list holds %d rows, not %d or more\n", full.List->ListCount(), kSongs);
        testing::closeAllWindows();
    }
    std::printf("song-script, %d track lines (median of 5 runs): import %.1f ms, export %.1f ms, "
                "export again over its own file %.1f ms (worst %.1f ms)\n",
                kLines, median(imports), median(exports), median(reexports), percentile(reexports, 1.0));
    std::printf("song set-up opening with %d songs (median of 5 runs): %.1f ms\n", kSongs, median(opens));
    return 0;
}
