#include "player/TheCount.h"

#include "core/Code.h"
#include "core/SongRow.h"
#include "core/WindowPlace.h"
#include "library/Songs.h"
#include "practice/Feet.h"
#include "tracks/Track.h"

#include "framework/Application.h"
#include "framework/FolderItem.h"
#include "framework/Platform.h"

#include <cmath>

namespace {
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

// The open track editor's Play button reads "Play" again; an editor the user
// closed is never brought back.
void resetTrackButton()
{
    if (Track* track = Code::TrackOpen ? Track::ifOpen() : nullptr)
        track->pbPlayFrom->setCaption(QStringLiteral("Play"));
}
} // namespace

QString cannotCopySongFile(const fw::MoviePlayer& player)
{
    return QStringLiteral("Can't play this song: its temporary copy couldn't be made in ")
        + fw::MoviePlayer::copyFolder().posixPath() + QStringLiteral(". Error: ") + player.copyProblem();
}

TheCount::TheCount()
    : SharedWindow(QStringLiteral("TheCount"))
{
}

void TheCount::CreateControls()
{
    GroupBox1 = control<fw::GroupBox>(QStringLiteral("GroupBox1"));
    GroupBox2 = control<fw::GroupBox>(QStringLiteral("GroupBox2"));
    BeatTimer = control<fw::Timer>(QStringLiteral("BeatTimer"));
    qtPlayer = control<fw::MoviePlayer>(QStringLiteral("qtPlayer"));
    for (int k = 0; k < 8; ++k) {
        stCount[k] = control<fw::StaticText>(QStringLiteral("stCount"), k);
        stNote[k] = control<fw::StaticText>(QStringLiteral("stNote"), k);
    }
    stAdvice = control<fw::StaticText>(QStringLiteral("stAdvice"));
    stTime = control<fw::StaticText>(QStringLiteral("stTime"));
    connect(BeatTimer, &fw::Timer::action, this, &TheCount::BeatTimer_Action);
    connect(&Code::notices(), &Code::Notices::songDeleted, this, &TheCount::songDeleted);
    stAdvice->mouseDown = [this](int x, int y) { return stAdvice_MouseDown(x, y); };
    stAdvice->mouseUp = [this](int x, int y) { stAdvice_MouseUp(x, y); };
}

void TheCount::Event_Open()
{
    ClearNotes();
    ResetBeats();
    if (!WindowPlace::restore(*this, QStringLiteral("TheCount")))
        return;   // no settings row: laid-out place and text sizes
    stTime->setTop(stTime->top() + 4);
    fw::lowerTextSize({stAdvice});
    for (fw::StaticText* count : stCount)
        fw::lowerTextSize({count});
    for (fw::StaticText* note : stNote)
        fw::lowerTextSize({note});
    fw::lowerTextSize({GroupBox1, GroupBox2, stTime});
}

void TheCount::Event_Close()
{
    // The play ends with the window: its movie player and timer go with it.
    resetPlayButtons();
    SaveSettings();
}

void TheCount::resetPlayButtons()
{
    // Only an open song list is told: a list the user closed stays closed.
    if (Songs* songs = Songs::ifOpen())
        songs->pbPlay->setCaption(QStringLiteral("Play"));
    resetTrackButton();
}

// ---- starting and stopping ----------------------------------------------

void TheCount::StartCounting(double start, double lastDone)
{
    // The caller has set TheSongID to the song to start. Until that song's
    // file is found, the player's song stays the running play's, with the
    // last count it showed: the open track editor and song set-up's deletion
    // go by it, also while a refusal is told.
    const int wanted = TheSongID;
    TheSongID = m_loadedSongID;
    // A library that cannot be read is told as such, not as a missing song.
    const std::unique_ptr<fw::RecordSet> song = SongRow::select(wanted);
    if (!song && Code::toldDatabaseFailure(Code::kReadFailed))
        return;
    std::unique_ptr<fw::RecordSet> track = Code::db->SQLSelect(
        QStringLiteral("Select * From Track where SongsID=%1 Order By TheCount").arg(wanted));
    if (!track || track->eof()) {
        if (!Code::toldDatabaseFailure(Code::kReadFailed))
            fw::MsgBox(QStringLiteral("No song track found."));
        return;
    }
    // A song row gone while its track remains counts as a missing file.
    const QString path = song ? song->Field(QStringLiteral("Path")).StringValue() : QString();
    const fw::FolderItem file = fw::FolderItem::fromAbsolutePath(path);
    if (!file.valid() || !file.exists()) {
        fw::MsgBox(QStringLiteral("Can't find song file. Please check the location setting."));
        return;
    }
    TheSongID = m_loadedSongID = wanted;
    LastTimeDone = lastDone;
    StopNow = false;
    // The old song's audio ends as the new file opens, and its count with it.
    BeatTimer->setMode(fw::Timer::ModeOff);
    // A Stop, another start or the window's closing while the file loads
    // takes the player over: this start then leaves everything to it.
    if (!qtPlayer->open(file) || isClosed())
        return;
    if (!qtPlayer->copyProblem().isEmpty()) {
        // Played without its copy the song would stop early without a word.
        fw::MsgBox(cannotCopySongFile(*qtPlayer));
        resetPlayButtons();
        return;
    }
    if (qtPlayer->duration() == 0.0) {
        fw::MsgBox(kCannotOpenSongFile);
        return;
    }

    Times.clear();
    Counts.clear();
    Beats.clear();
    Notes.clear();
    Advice.clear();
    const int rows = track->RecordCount();
    Times.reserve(rows);
    Counts.reserve(rows);
    Beats.reserve(rows);
    Notes.reserve(rows);
    Advice.reserve(rows);
    while (!track->eof()) {
        Times.push_back(track->Field(QStringLiteral("TheTime")).DoubleValue());
        Counts.push_back(track->Field(QStringLiteral("TheCount")).StringValue());
        Beats.push_back(static_cast<int>(track->Field(QStringLiteral("Beat")).IntegerValue()));
        Notes.push_back(track->Field(QStringLiteral("Note")).StringValue());
        Advice.push_back(track->Field(QStringLiteral("Advice")).StringValue());
        track->MoveNext();
    }
    TimesIndex = 0;

    qtPlayer->setPosition(start > 0.0 ? start - 1.0 : 0.0);
    qtPlayer->play();
    ResetBeats();
    ClearNotes();
    stAdvice->setText(QString());
    static quint64 runs = 0;
    m_run = ++runs;
    BeatTimer->setMode(fw::Timer::ModeMultiple);
}

// Its ID goes to the next new song, and an editor opened on that song would
// follow the counts of this one.
void TheCount::songDeleted(int songID)
{
    if (songID == TheSongID)
        StopCounting();
}

void TheCount::StopCounting()
{
    StopNow = true;
    BeatTimer->setMode(fw::Timer::ModeOff);
    qtPlayer->stop();
    resetPlayButtons();
}

bool TheCount::isCounting() const
{
    return !StopNow && BeatTimer->mode() != fw::Timer::ModeOff;
}

// ---- the beat timer ------------------------------------------------------

void TheCount::BeatTimer_Action()
{
    // Nothing is read while a new song's file loads: the rows are still the
    // old song's and the audio is already the new one's.
    if (StopNow || Times.empty() || qtPlayer->isOpening())
        return;
    CurrentPosition = qtPlayer->position();
    if (CurrentPosition < Times[0])
        return;

    // The first row whose time is at or after the position.
    const int last = static_cast<int>(Times.size()) - 1;
    int i = 0;
    while (i <= last && Times[i] < CurrentPosition)
        ++i;
    if (i > last) {
        // Past the last row: the timer stops, the audio plays on, and a last
        // row not yet shown is shown now.
        TimesIndex = last;
        BeatTimer->setMode(fw::Timer::ModeOff);
        resetTrackButton();
    } else {
        TimesIndex = Times[i] == CurrentPosition ? i : i - 1;
    }

    if (!(Times[TimesIndex] > LastTimeDone))
        return;
    LastTimeDone = Times[TimesIndex];

    // The open track editor follows the count, when it shows the song playing.
    if (Track* track = Code::TrackOpen ? Track::ifOpen() : nullptr) {
        if (track->TheSongID == TheSongID)
            track->ScrollToCount(Counts[TimesIndex]);
    }
    UpdateTime(CurrentPosition);
    Beat = Beats[TimesIndex];
    BeatIndex = Beat - 1;
    if (Beat < 1 || Beat > 8)
        return;

    ResetBeats();
    const bool odd = Beat % 2 == 1;
    if (!Code::BeatOn1357 || odd)
        stCount[BeatIndex]->setTextColor(kRed);
    stNote[BeatIndex]->setText(Notes[TimesIndex]);

    const QString& advice = Advice[TimesIndex];
    if (advice.compare(QLatin1String("clear"), Qt::CaseInsensitive) == 0)
        stAdvice->setText(QString());
    else if (!advice.isEmpty())
        stAdvice->setText(advice);

    // Of the eight notes, the count shown and the three before it stay.
    stNote[BeatIndex > 3 ? BeatIndex - 4 : BeatIndex + 4]->setText(QString());

    if (Code::FeetOn)
        Feet::instance().SetFeetTo(Beat);
}

void TheCount::UpdateTime(double t)
{
    // Whole seconds, the fraction dropped, as a clock shows them.
    const int n = static_cast<int>(t);
    const int minutes = static_cast<int>(std::floor((n % 3600) / 60.0));
    const int seconds = n % 60;
    if (minutes < 0 || seconds < 0)
        return;
    stTime->setText(QStringLiteral("%1:%2").arg(minutes).arg(seconds, 2, 10, QLatin1Char('0')));
}

void TheCount::ResetBeats()
{
    for (fw::StaticText* count : stCount)
        count->setTextColor(kBlack);
}

void TheCount::ClearNotes()
{
    for (fw::StaticText* note : stNote)
        note->setText(QString());
}

bool TheCount::stAdvice_MouseDown(int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    return true;   // so that the label also gets the release
}

void TheCount::stAdvice_MouseUp(int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    fw::ShowURL(Code::sitePage(QStringLiteral("/melvaro/learn")));
}

void TheCount::SaveSettings()
{
    WindowPlace::save(*this, QStringLiteral("TheCount"), false);
}
