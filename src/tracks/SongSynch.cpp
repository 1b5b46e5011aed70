#include "tracks/SongSynch.h"

#include "core/Code.h"
#include "core/SongRow.h"
#include "library/ListCells.h"
#include "tracks/CountLimits.h"
#include "tracks/Track.h"

#include "framework/Application.h"
#include "framework/Database.h"
#include "framework/Format.h"
#include "framework/Platform.h"

#include <QPointer>
#include <initializer_list>

namespace {
const QString kLaidOutInstructions = QStringLiteral("Synchronization instructions.");
const QString kNoInstructions = QStringLiteral("No synchronization instructions found for this song.");
const QString kWentWrong = QStringLiteral("Something went wrong.");
const QString kError = QStringLiteral("Something went wrong. Error: ");

// What the user is told when a read fails or finds nothing.
void tellReadFailure()
{
    fw::MsgBox(Code::withDatabaseError(kWentWrong));
}

// Runs the statements as one transaction: all of them are kept, or, at the
// first that fails, none of them, and the user is told the failed
// statement's error. Nor are they kept when they would leave the song a time
// or a history that no song has.
bool runTogether(int songID, std::initializer_list<QString> statements)
{
    // An edit open in the track editor is stored first: its row written back
    // after the shift would take the old time back.
    if (Track* editor = Code::TrackOpen ? Track::ifOpen() : nullptr)
        editor->TrackList->finishEdit();
    bool beyond = false;
    const bool done = Code::db->transaction([&] {
        for (const QString& statement : statements) {
            Code::db->SQLExecute(statement);
            if (Code::db->Error())
                return false;
        }
        const std::unique_ptr<fw::RecordSet> check = Code::db->SQLSelect(
            QStringLiteral("Select (Select count(*) from Track where SongsID=%1 and abs(TheTime) > %2) + (Select "
                           "count(*) from Songs where ID=%1 and abs(IfNull(SynchHist,0)) > %2) as Beyond")
                .arg(songID)
                .arg(CountLimits::kLongestSong));
        if (!check)
            return false;
        beyond = check->Field(QStringLiteral("Beyond")).IntegerValue() > 0;
        return !beyond;
    });
    if (!done)
        fw::MsgBox(beyond ? CountLimits::kBeyondSong : kError + Code::db->ErrorMessage());
    return done;
}

// After a change: an open track editor shows the changed song. Nothing of
// the window is touched here, since it may close while the editor loads.
void changeDone(int songID)
{
    if (Code::TrackOpen)
        Track::instance().LoadTrack(songID);
    fw::MsgBox(QStringLiteral("All done."));
}
} // namespace

SongSynch::SongSynch()
    : SharedWindow(QStringLiteral("SongSynch"))
{
}

void SongSynch::CreateControls()
{
    List = control<fw::ListBox>(QStringLiteral("List"));
    pbForward = control<fw::PushButton>(QStringLiteral("pbForward"));
    efOffset = control<fw::EditField>(QStringLiteral("efOffset"));
    pbBackward = control<fw::PushButton>(QStringLiteral("pbBackward"));
    pbRestore = control<fw::PushButton>(QStringLiteral("pbRestore"));
    pbHelp = control<fw::PushButton>(QStringLiteral("pbHelp"));
    st1 = control<fw::StaticText>(QStringLiteral("st1"));
    stInstructions = control<fw::StaticText>(QStringLiteral("stInstructions"));
    st2 = control<fw::StaticText>(QStringLiteral("st2"));
    st3 = control<fw::StaticText>(QStringLiteral("st3"));
    ListCells::dropDeletedSongs(*List);
    connect(List, &fw::ListBox::change, this, &SongSynch::List_Change);
    connect(pbForward, &fw::PushButton::action, this, &SongSynch::pbForward_Action);
    connect(pbBackward, &fw::PushButton::action, this, &SongSynch::pbBackward_Action);
    connect(pbRestore, &fw::PushButton::action, this, &SongSynch::pbRestore_Action);
    connect(pbHelp, &fw::PushButton::action, this, &SongSynch::pbHelp_Action);
}

void SongSynch::List_Change()
{
    if (!DoneLoading)
        return;
    const int row = List->ListIndex();
    if (row < 0) {
        stInstructions->setText(kLaidOutInstructions);   // no song, no instructions of one
        return;
    }
    const std::optional<int> id = ListCells::idOf(*List, row);
    const std::unique_ptr<fw::RecordSet> song = id ? SongRow::select(*id, QStringLiteral("Select Synch From Songs Where ID=")) : nullptr;
    if (!song) {
        stInstructions->setText(kNoInstructions);
        if (Code::db->Error())
            fw::MsgBox(kError + Code::db->ErrorMessage());
        return;
    }
    stInstructions->setText(song->Field(QStringLiteral("Synch")).StringValue());
}

void SongSynch::pbForward_Action()
{
    shift(QStringLiteral("+"));
}

void SongSynch::pbBackward_Action()
{
    shift(QStringLiteral("-"));
}

// The history and the counts move by the same two-decimal text in one
// transaction, so the history always says how far the counts have moved.
void SongSynch::shift(const QString& sign)
{
    const std::optional<int> id = selectedSong();
    if (!id)
        return;
    const std::optional<QString> offset = offsetText();
    if (!offset)
        return;
    // The list is filled once: the song may have been deleted since.
    if (!SongRow::select(*id, QStringLiteral("Select ID From Songs where ID="))) {
        tellReadFailure();
        return;
    }
    const QString songID = QString::number(*id);
    // A history left empty counts as 0 (in SQL an empty value plus a number stays empty).
    if (runTogether(*id, {QStringLiteral("Update Songs Set SynchHist=(IfNull(SynchHist,0)") + sign + *offset
                         + QStringLiteral(") Where ID=") + songID,
                     QStringLiteral("Update Track Set TheTime=(TheTime") + sign + *offset
                         + QStringLiteral(") Where SongsID=") + songID}))
        changeDone(*id);
}

void SongSynch::pbRestore_Action()
{
    const std::optional<int> id = selectedSong();
    if (!id)
        return;
    const std::unique_ptr<fw::RecordSet> song = SongRow::select(*id, QStringLiteral("Select SynchHist From Songs where ID="));
    if (!song) {
        tellReadFailure();
        return;
    }
    const double history = song->Field(QStringLiteral("SynchHist")).DoubleValue();
    const QString songID = QString::number(*id);
    // The spaces around the statement's own minus keep a negative history's
    // sign from making "--", which SQL reads as the start of a comment.
    if (runTogether(*id, {QStringLiteral("Update Songs Set SynchHist=0.0 Where ID=") + songID,
                     QStringLiteral("Update Track Set TheTime=(TheTime - ")
                         + fw::decimalPoint(fw::Format(history, QStringLiteral("-000.00")))
                         + QStringLiteral(") Where SongsID=") + songID}))
        changeDone(*id);
}

void SongSynch::pbHelp_Action()
{
    fw::ShowURL(Code::sitePage(QStringLiteral("/melvaro/docs/song-sync")));
}

void SongSynch::Event_Open()
{
    fw::lowerTextSize({stInstructions, efOffset, List, pbBackward, pbForward, pbHelp, pbRestore, st1, st2, st3});
    efOffset->setText(fw::Format(0.1, QStringLiteral("0.00")));
    const QPointer<SongSynch> alive(this);
    DoneLoading = false;
    LoadList();
    if (!alive || isClosed())
        return;   // the user closed the window while it filled
    DoneLoading = true;
    if (List->ListCount() == 0)
        fw::Beep();
    else
        List->setListIndex(0);
}

void SongSynch::LoadList()
{
    const QPointer<SongSynch> alive(this);
    const ListCells::Filling filling(*List);
    const std::unique_ptr<fw::RecordSet> songs
        = Code::db->SQLSelect(QStringLiteral("Select * from Songs Order by Title ASC"));
    if (!songs) {
        fw::MsgBox(kError + Code::db->ErrorMessage());
        return;
    }
    for (int row = 0; !songs->eof(); ++row) {
        List->AddRow(songs->Field(QStringLiteral("Title")).StringValue());
        List->setCell(row, ListCells::IDCell, songs->Field(QStringLiteral("ID")).StringValue());
        songs->MoveNext();
        fw::YieldToEventLoop();
        if (!alive || isClosed())
            return;
    }
}

std::optional<int> SongSynch::selectedSong() const
{
    const int row = ListCells::selectedSongRow(*List);
    if (row < 0)
        return std::nullopt;
    return ListCells::idOf(*List, row);
}

// The offset is an amount: the button gives the direction. A minus sign
// would turn Shift Track Forward around, and in Shift Track Backward make
// "--", which SQL reads as the start of a comment.
std::optional<QString> SongSynch::offsetText() const
{
    const std::optional<double> seconds = fw::numberOf(efOffset->text());
    if (!seconds) {
        fw::MsgBox(QStringLiteral("Please fill in the number of seconds to shift by, such as 0.10."));
        return std::nullopt;
    }
    if (*seconds < 0) {
        fw::MsgBox(QStringLiteral("Please fill in the seconds without a minus sign: Shift Track Backward moves the "
                                  "counts earlier."));
        return std::nullopt;
    }
    if (*seconds > CountLimits::kLongestSong) {
        fw::MsgBox(QStringLiteral("Please fill in a shift of 24 hours or less: no song lasts longer."));
        return std::nullopt;
    }
    // Only the number gets the decimal point guard: the statements hold commas of their own.
    return fw::decimalPoint(fw::Format(*seconds, QStringLiteral("000.00")));
}
