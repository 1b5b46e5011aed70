#include "generator/StarterLibrary.h"

#include <array>
#include <cmath>

namespace starter {

namespace {

// Everything that tells one demo song from another. Tempos are chosen so that
// the beat interval is a whole number of hundredths of a second: the stored
// times (two decimals) then lie exactly on the audible beats.
struct SongPlan {
    const char* title;
    const char* artist;
    const char* cd;
    const char* slug;
    int bpm;
    int fullLengthSeconds;
    int tonic;
    bool minorKey;
    bool audioShipped;
    bool testSection;
    std::array<const char*, 2> figures;   // notes on beats 1 and 5
    const char* notes;
};

constexpr int firstBeatCentis = 100;   // count 1 at 1.00 s, not at the very start

constexpr std::array<SongPlan, 4> plans{{
    {"Dancer's Lantern", "Orla Venn and the Quayside Four", "Lamps Along the Harbour",
     "orla-venn", 120, 66, 45, false, true, true, {"Break forward", "Back"},
     "A steady, friendly tempo for first steps. Let the deep drum on 1 tell you "
     "where each eight begins, and keep your steps small."},
    {"Copper Rooftops", "The Marrowfield Quintet", "Night Market Steps",
     "marrowfield-quintet", 150, 72, 50, true, true, false, {"Turn", "Face partner"},
     "Brisker than it sounds: stay on the balls of your feet. Practise the turn "
     "on 1 until you finish it facing your partner by 5."},
    {"Low Tide Promenade", "Ysolde Carrick", "Salt and Cedar",
     "ysolde-carrick", 100, 80, 43, false, true, false, {"Side step", "Together"},
     "A slow song for smooth weight changes. Arrive on each beat with your whole "
     "weight rather than rushing ahead of the music."},
    {"Midnight at the Velmora", "Tamsin Ordell Orchestra", "Ballroom After Hours",
     "tamsin-ordell", 200, 84, 48, true, false, false, {"Break forward", "Back"},
     "A fast one for when the others feel easy. Mark the steps small at first "
     "and listen for the accent on 1."},
}};

static_assert([] {
    for (const SongPlan& plan : plans)
        if (6000 % plan.bpm != 0)
            return false;
    return true;
}(), "every demo tempo needs a beat interval in whole hundredths of a second");

// Advice shows until the next advice replaces it, so each advice is followed
// by a "clear" a few counts later.
QString adviceFor(int count)
{
    switch (count) {
    case 1: return QStringLiteral("Wait for the deep drum, then start on 1");
    case 5: return QStringLiteral("clear");
    case 17: return QStringLiteral("Keep your frame: elbows soft, shoulders down");
    case 21: return QStringLiteral("clear");
    case 41: return QStringLiteral("Count out loud with the display");
    case 49: return QStringLiteral("clear");
    default: return {};
    }
}

std::vector<Count> buildTrack(const SongPlan& plan, int lengthCentis)
{
    const int intervalCentis = 6000 / plan.bpm;
    const int lastCentis = lengthCentis - 100;   // counts stop about a second before the end
    std::vector<Count> track;
    for (int k = 1;; ++k) {
        const int timeCentis = firstBeatCentis + (k - 1) * intervalCentis;
        if (timeCentis > lastCentis)
            break;
        Count count;
        count.theCount = k;
        count.theTime = timeCentis / 100.0;
        count.beat = (k - 1) % 8 + 1;
        count.speed = plan.bpm;
        const int eight = (k - 1) / 8;
        if (eight % 2 == 1 && count.beat == 1)
            count.note = QString::fromUtf8(plan.figures[0]);
        else if (eight % 2 == 1 && count.beat == 5)
            count.note = QString::fromUtf8(plan.figures[1]);
        count.advice = adviceFor(k);
        if (count.beat == 1 && eight > 0 && eight % 4 == 0)
            count.comment = QStringLiteral("Phrase %1").arg(eight / 4 + 1);
        track.push_back(count);
    }
    return track;
}

// The timing test runs from the third eight's 1 for four eights more;
// shorter songs get the first two 1s they have. The test arms up to a second
// before the section starts, so the section starts half a second before its
// first 1: the first 1 the dancer hears once told to press is the first one
// scored. It ends half a second after its last 1, so the last press still
// falls in the music.
void setTestSection(DemoSong& song)
{
    std::vector<double> ones;
    for (const Count& count : song.track)
        if (count.beat == 1)
            ones.push_back(count.theTime);
    if (ones.size() < 2)
        return;
    const size_t start = std::min<size_t>(2, ones.size() - 2);
    const size_t end = std::min(start + 4, ones.size() - 1);
    song.testStart = ones[start] - 0.5;
    song.testEnd = ones[end] + 0.5;
}

QString installText(const SongPlan& plan)
{
    return QStringLiteral(
               "The audio for \"%1\" is not included with Corvantis. Buy or download "
               "the track from %2 (the link below tells you where), and save it "
               "anywhere on your computer. Then open the Song Locations window and "
               "drop the audio file on this song's row.")
        .arg(QString::fromUtf8(plan.title), QString::fromUtf8(plan.artist));
}

} // namespace

std::vector<DemoSong> demoSongs(double lengthScale)
{
    const QString site = QStringLiteral("https://corvantis.example.org/melvaro/");
    std::vector<DemoSong> songs;
    for (const SongPlan& plan : plans) {
        DemoSong song;
        song.title = QString::fromUtf8(plan.title);
        song.artist = QString::fromUtf8(plan.artist);
        song.cd = QString::fromUtf8(plan.cd);
        song.link = site + QStringLiteral("artists/") + QString::fromUtf8(plan.slug);
        song.bpm = QString::number(plan.bpm);
        song.bpmValue = plan.bpm;
        song.fileName = song.title + QStringLiteral(".wav");
        song.notes = QString::fromUtf8(plan.notes);
        song.audioShipped = plan.audioShipped;
        song.tonic = plan.tonic;
        song.minorKey = plan.minorKey;
        song.firstBeat = firstBeatCentis / 100.0;
        const int lengthCentis = int(std::lround(plan.fullLengthSeconds * lengthScale * 100));
        song.lengthSeconds = lengthCentis / 100.0;
        song.track = buildTrack(plan, lengthCentis);
        if (plan.testSection)
            setTestSection(song);
        if (!plan.audioShipped) {
            song.install = installText(plan);
            song.installLink = site + QStringLiteral("install/") + QString::fromUtf8(plan.slug);
        }
        songs.push_back(song);
    }
    return songs;
}

} // namespace starter
