#include "tracks/Track.h"

#include "core/Code.h"
#include "core/SongRow.h"
#include "core/WindowPlace.h"
#include "library/ListCells.h"
#include "player/TheCount.h"
#include "tracks/NewTrack.h"

#include "framework/Application.h"
#include "framework/Database.h"
#include "framework/Format.h"
#include "framework/Platform.h"

#include <QHash>
#include <QPointer>
#include <algorithm>
#include <cmath>

using ListCells::IDCell;

namespace {

enum Column {
    CountColumn, TimeColumn, IntervalColumn, BeatColumn, SpeedColumn, NoteColumn, AdviceColumn, CommentColumn
};

const QString kPlaceKey = QStringLiteral("Track");
const QString kPlay = QStringLiteral("Play");
const QString kStop = QStringLiteral("Stop");
const QString kTimePicture = QStringLiteral("###.00");
const QString kPickLine = QStringLiteral("Please click on a line first.");
const QString kFailed = QStringLiteral("Something went wrong. Error: ");
const QString kNoSong = QStringLiteral("The track editor holds no song. Open a song's track with \"Edit Song Track\" "
                                       "in Setup Songs first.");
const QString kNoSongRecord = QStringLiteral("Couldn't find song record.");
const QString kCountGone = QStringLiteral("This count is no longer in the database, so the change could not be saved.");
const QString kBeforeStart = QStringLiteral("You cannot create counts before the beginning of the song.");
const QString kNoGap = QStringLiteral("You can only add counts where there is a gap.");
const QString kCountsToAdd = QStringLiteral("Please enter the number of counts to add.");
const QString kSpeedToUse = QStringLiteral("Please enter a speed above 0 beats per minute.");
const QString kRowSpeed = QStringLiteral("Please fill in a speed for the count you clicked on.");
const QString kFillSpeed = QStringLiteral("Please fill in a speed for each count to be changed.");
const QString kShiftBy = QStringLiteral("Please enter the number of counts to shift by.");
const QString kTrackExists = QStringLiteral("To create a new track, you must first delete the existing one on the "
                                            "Song Track window.");
// More counts than any song holds: a tempo or a length typed wrongly.
constexpr int kMostCounts = 100000;

const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

// A tool writes the track in a transaction of its own and yields while it
// does; nothing else may change the list or the track until it has ended.
bool s_writing = false;

// The length of one count at a speed in beats per minute, with the three
// decimals the track's times are worked out with.
double BeatInterval(double speed)
{
    return fw::CDbl(fw::Format(1.0 / (speed / 60.0), QStringLiteral("###.###")));
}

QString timeStatement(const QString& time, qint64 id)
{
    return QStringLiteral("Update Track Set TheTime=%1 where ID = %2").arg(fw::decimalPoint(time)).arg(id);
}

// A speed the tools can work with: a number above 0.
bool isSpeed(const QString& text)
{
    const std::optional<double> speed = fw::numberOf(text);
    return speed && *speed > 0.0;
}

// A count's cells as the list shows them, from its row in the table.
struct CountCells {
    QString count, time, beat, speed, note, advice, comment, id;
};

CountCells cellsOf(fw::RecordSet& row)
{
    return {row.Field(QStringLiteral("TheCount")).StringValue(),
            fw::Format(row.Field(QStringLiteral("TheTime")).DoubleValue(), kTimePicture),
            row.Field(QStringLiteral("Beat")).StringValue(),
            fw::Format(row.Field(QStringLiteral("Speed")).DoubleValue(), kTimePicture),
            row.Field(QStringLiteral("Note")).StringValue(),
            row.Field(QStringLiteral("Advice")).StringValue(),
            row.Field(QStringLiteral("Comment")).StringValue(),
            row.Field(QStringLiteral("ID")).StringValue()};
}

void showCells(fw::ListBox& list, int row, const CountCells& cells)
{
    list.setCell(row, TimeColumn, cells.time);
    list.setCell(row, BeatColumn, cells.beat);
    list.setCell(row, SpeedColumn, cells.speed);
    list.setCell(row, NoteColumn, cells.note);
    list.setCell(row, AdviceColumn, cells.advice);
    list.setCell(row, CommentColumn, cells.comment);
    list.setCell(row, IDCell, cells.id);
}

void appendCount(fw::ListBox& list, const CountCells& cells)
{
    list.AddRow(cells.count);
    showCells(list, list.LastIndex(), cells);
}

// Runs steps 0 .. count-1 in one transaction, yielding to the event loop
// after each, and commits. A step answers false, or leaves the connection's
// error set, when the database refused it: the whole transaction is then
// rolled back, the user is told the database's text, and the answer is false.
// The steps work on the database alone, because the window may close while
// the loop yields.
bool writeInOneTransaction(int count, const std::function<bool(int)>& step)
{
    s_writing = true;
    const bool ok = Code::db->transaction([&] {
        for (int i = 0; i < count; ++i) {
            // Yields come between the steps only: each step's outcome is read
            // before anything else runs on the connection.
            if (i > 0)
                fw::YieldToEventLoop();
            if (!step(i) || Code::db->Error())
                return false;
        }
        return true;
    });
    s_writing = false;
    if (!ok)
        fw::MsgBox(kFailed + Code::db->ErrorMessage());
    return ok;
}

} // namespace

const QString Track::kNoCountsToMake = QStringLiteral(
    "Please enter the song's speed in beats per minute (above 0) and its length in minutes and seconds.");

Track::Track()
    : SharedWindow(QStringLiteral("Track"))
{
}

void Track::CreateControls()
{
    TrackList = control<fw::ListBox>(QStringLiteral("TrackList"));
    stStatus = control<fw::StaticText>(QStringLiteral("stStatus"));
    pbPlayFrom = control<fw::PushButton>(QStringLiteral("pbPlayFrom"));
    pbHelp = control<fw::PushButton>(QStringLiteral("pbHelp"));
    TabPanel1 = control<fw::TabPanel>(QStringLiteral("TabPanel1"));
    rbForward = control<fw::RadioButton>(QStringLiteral("rbForward"));
    rbBackward = control<fw::RadioButton>(QStringLiteral("rbBackward"));
    pbShift = control<fw::PushButton>(QStringLiteral("pbShift"));
    efShift = control<fw::EditField>(QStringLiteral("efShift"));
    pbAdd = control<fw::PushButton>(QStringLiteral("pbAdd"));
    efCounts = control<fw::EditField>(QStringLiteral("efCounts"));
    pbDeleteBeats = control<fw::PushButton>(QStringLiteral("pbDeleteBeats"));
    pbChangeSpeed = control<fw::PushButton>(QStringLiteral("pbChangeSpeed"));
    efSpeed = control<fw::EditField>(QStringLiteral("efSpeed"));
    pbReduceBeats = control<fw::PushButton>(QStringLiteral("pbReduceBeats"));
    st1 = control<fw::StaticText>(QStringLiteral("st1"));
    st2 = control<fw::StaticText>(QStringLiteral("st2"));
    st3 = control<fw::StaticText>(QStringLiteral("st3"));
    st4 = control<fw::StaticText>(QStringLiteral("st4"));
    st5 = control<fw::StaticText>(QStringLiteral("st5"));
    st6 = control<fw::StaticText>(QStringLiteral("st6"));
    st7 = control<fw::StaticText>(QStringLiteral("st7"));
    st8 = control<fw::StaticText>(QStringLiteral("st8"));
    st9 = control<fw::StaticText>(QStringLiteral("st9"));
    st10 = control<fw::StaticText>(QStringLiteral("st10"));
    connect(TrackList, &fw::ListBox::doubleClick, this, &Track::TrackList_DoubleClick);
    TrackList->CompareRows = [this](int row1, int row2, int column, int& result) {
        return TrackList_CompareRows(row1, row2, column, result);
    };
    TrackList->CellTextPaint = [this](fw::Graphics& g, int row, int column, int x, int y) {
        return TrackList_CellTextPaint(g, row, column, x, y);
    };
    connect(TrackList, &fw::ListBox::cellTextChange, this, &Track::TrackList_CellTextChange);
    connect(TrackList, &fw::ListBox::cellAction, this, &Track::TrackList_CellAction);
    TrackList->CellKeyDown = [this](int row, int column, const QString& key) {
        return TrackList_CellKeyDown(row, column, key);
    };
    connect(TrackList, &fw::ListBox::cellGotFocus, this, &Track::TrackList_CellGotFocus);
    connect(pbPlayFrom, &fw::PushButton::action, this, &Track::pbPlayFrom_Action);
    connect(pbHelp, &fw::PushButton::action, this, &Track::pbHelp_Action);
    connect(pbShift, &fw::PushButton::action, this, &Track::pbShift_Action);
    connect(pbAdd, &fw::PushButton::action, this, &Track::pbAdd_Action);
    connect(pbDeleteBeats, &fw::PushButton::action, this, &Track::pbDeleteBeats_Action);
    connect(pbChangeSpeed, &fw::PushButton::action, this, &Track::pbChangeSpeed_Action);
    connect(pbReduceBeats, &fw::PushButton::action, this, &Track::pbReduceBeats_Action);
}

// ---- the list's cells ----------------------------------------------------------

void Track::TrackList_DoubleClick()
{
    pbPlayFrom->push();
}

// Every column compares as numbers; equal values answer 0, so a sort keeps
// their order.
bool Track::TrackList_CompareRows(int row1, int row2, int column, int& result)
{
    const double a = fw::CDbl(TrackList->Cell(row2, column));
    const double b = fw::CDbl(TrackList->Cell(row1, column));
    result = b > a ? 1 : (b < a ? -1 : 0);
    return true;
}

// Speeds show in runs, black and blue by turns from the top; an interval
// more than 0.1 s off the count's own speed shows red. Both are worked out
// from the cells themselves, whatever part of the list paints and in
// whichever order, so a partly repainted list shows what a full one does.
bool Track::TrackList_CellTextPaint(fw::Graphics& g, int row, int column, int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    if (column == SpeedColumn)
        g.ForeColor = speedRunIsBlue(row) ? kBlue : kBlack;
    if (column == IntervalColumn && row > 0) {
        const double before = fw::CDbl(TrackList->Cell(row - 1, TimeColumn));
        const double time = fw::CDbl(TrackList->Cell(row, TimeColumn));
        // Setting the text it already holds changes nothing, so the list
        // does not paint again because of it.
        TrackList->setCell(row, IntervalColumn, fw::Format(time - before, kTimePicture));
        // A count without a speed cannot be checked: it shows as off.
        const QString speed = TrackList->Cell(row, SpeedColumn);
        const bool off = !isSpeed(speed) || std::fabs(before + BeatInterval(fw::CDbl(speed)) - time) > 0.1 + 1e-9;
        if (off)
            g.ForeColor = kRed;
    }
    return false;
}

bool Track::speedRunIsBlue(int row)
{
    if (TrackList->Revision() != m_runRevision) {
        m_runBlue.clear();
        m_runRevision = TrackList->Revision();
    }
    for (int r = static_cast<int>(m_runBlue.size()); r <= row; ++r) {
        const bool sameRun = r > 0 && TrackList->Cell(r, SpeedColumn) == TrackList->Cell(r - 1, SpeedColumn);
        m_runBlue.push_back(r > 0 && (sameRun ? m_runBlue[r - 1] : !m_runBlue[r - 1]));
    }
    return row >= 0 && m_runBlue[row];
}

void Track::TrackList_CellGotFocus(int row, int column)
{
    Q_UNUSED(row);
    Q_UNUSED(column);
    SaveCell = false;
    if (fw::CellEditor* editor = TrackList->ActiveCell()) {
        editor->setSelStart(0);
        editor->setSelLength(999999);
    }
}

void Track::TrackList_CellTextChange(int row, int column)
{
    Q_UNUSED(row);
    Q_UNUSED(column);
    SaveCell = true;
}

// The whole row is written back, in one transaction, when an edit that
// changed its text ends. A time, beat or speed that does not read as a
// number is refused and the cell shows what the table holds.
void Track::TrackList_CellAction(int row, int column)
{
    Q_UNUSED(column);
    if (!SaveCell)
        return;
    const std::optional<int> id = ListCells::idOf(*TrackList, row);
    if (!id)
        return;
    const bool numbers = fw::numberOf(TrackList->Cell(row, TimeColumn)) && fw::numberOf(TrackList->Cell(row, BeatColumn))
        && fw::numberOf(TrackList->Cell(row, SpeedColumn));
    if (s_writing || !numbers) {
        fw::Beep();
        showStoredCount(row, *id);
        return;
    }
    const std::unique_ptr<fw::RecordSet> stored
        = Code::db->SQLSelect(QStringLiteral("Select * from Track where ID=%1").arg(*id));
    if (!stored) {
        fw::MsgBox(kFailed + Code::db->ErrorMessage());
        return;
    }
    if (stored->eof()) {
        fw::MsgBox(kCountGone);
        return;
    }
    const double time = fw::CDbl(TrackList->Cell(row, TimeColumn));
    const int beat = fw::CInt(fw::CDbl(TrackList->Cell(row, BeatColumn)));
    const double speed = fw::CDbl(TrackList->Cell(row, SpeedColumn));
    const QString note = TrackList->Cell(row, NoteColumn);
    const QString advice = TrackList->Cell(row, AdviceColumn);
    const QString comment = TrackList->Cell(row, CommentColumn);
    const bool written = stored->editInTransaction([&] {
        stored->Field(QStringLiteral("TheTime")).setDoubleValue(time);
        stored->Field(QStringLiteral("Beat")).setIntegerValue(beat);
        stored->Field(QStringLiteral("Speed")).setDoubleValue(speed);
        stored->Field(QStringLiteral("Note")).setStringValue(note);
        stored->Field(QStringLiteral("Advice")).setStringValue(advice);
        stored->Field(QStringLiteral("Comment")).setStringValue(comment);
    });
    if (!written) {
        fw::MsgBox(kFailed + Code::db->ErrorMessage());
        showStoredCount(row, *id);
    }
}

void Track::showStoredCount(int row, qint64 id)
{
    const std::unique_ptr<fw::RecordSet> stored
        = Code::db->SQLSelect(QStringLiteral("Select * from Track where ID=%1").arg(id));
    if (stored && !stored->eof())
        showCells(*TrackList, row, cellsOf(*stored));
}

// Up and down move the editor a row, Tab and Shift-Tab a column; the Count
// and Interval columns are never reached.
bool Track::TrackList_CellKeyDown(int row, int column, const QString& key)
{
    if (key.size() != 1)
        return false;
    const int lastColumn = TrackList->ColumnCount() - 1;
    switch (key.at(0).unicode()) {
    case 30:
        --row;
        break;
    case 31:
        ++row;
        break;
    case 9:
        if (fw::ShiftKey()) {
            --column;
            if (column == IntervalColumn)
                column = TimeColumn;
            if (column == CountColumn)
                column = lastColumn;
        } else {
            ++column;
            if (column == IntervalColumn)
                column = BeatColumn;
            if (column > lastColumn)
                column = TimeColumn;
        }
        break;
    default:
        return false;
    }
    const int rows = TrackList->ListCount();
    row = std::min(std::max(row, 0), rows - 1);
    if (row >= 0 && row < rows)
        TrackList->EditCell(row, column);
    return true;
}

// ---- playing from a count -------------------------------------------------------

void Track::pbPlayFrom_Action()
{
    if (pbPlayFrom->caption() != kPlay) {
        TheCount::instance().StopCounting();
        return;
    }
    const int row = TrackList->ListIndex();
    if (row < 0) {
        if (TrackList->ListCount() == 0)
            fw::Beep();
        else
            fw::MsgBox(kPickLine);
        return;
    }
    const double start = fw::CDbl(TrackList->Cell(row, TimeColumn));
    const double lastShown = row > 0 ? fw::CDbl(TrackList->Cell(row - 1, TimeColumn)) : -1.0;
    const QPointer<Track> alive(this);
    TheCount& player = TheCount::instance();
    player.Show();
    player.TheSongID = TheSongID;
    player.StartCounting(start, lastShown);
    if (alive && !isClosed())
        pbPlayFrom->setCaption(kStop);
}

void Track::pbHelp_Action()
{
    fw::ShowURL(Code::sitePage(QStringLiteral("/melvaro/docs/song-track")));
}

// ---- the tools ------------------------------------------------------------------

bool Track::busy() const
{
    if (!s_writing && !m_filling)
        return false;
    fw::Beep();
    return true;
}

std::vector<Track::PickedCount> Track::pickedCounts() const
{
    std::vector<PickedCount> picked;
    for (const int row : TrackList->SelectedRows())
        picked.push_back({row, ListCells::idOf(*TrackList, row).value_or(0)});
    return picked;
}

QHash<qint64, int> Track::rowsByID() const
{
    QHash<qint64, int> rows;
    const int count = TrackList->ListCount();
    rows.reserve(count);
    for (int row = 0; row < count; ++row)
        rows.insert(ListCells::idOf(*TrackList, row).value_or(0), row);
    return rows;
}

bool Track::writeCells(const std::vector<CellChange>& changes)
{
    const QPointer<Track> alive(this);
    const bool stored = writeInOneTransaction(static_cast<int>(changes.size()), [&](int i) {
        Code::db->SQLExecute(changes[static_cast<size_t>(i)].statement);
        return true;
    });
    if (stored && alive && !isClosed()) {
        // Rows are found again by their IDs: the list may have been sorted meanwhile.
        const QHash<qint64, int> rows = rowsByID();
        for (const CellChange& change : changes) {
            const int row = rows.value(change.id, -1);
            if (row >= 0)
                TrackList->setCell(row, change.column, change.text);
        }
    }
    afterWriting();
    return stored;
}

// Each selected count moves by a number of counts at its own speed.
void Track::pbShift_Action()
{
    if (busy())
        return;
    const std::vector<PickedCount> picked = pickedCounts();
    for (const PickedCount& count : picked) {
        if (!isSpeed(TrackList->Cell(count.row, SpeedColumn))) {
            fw::MsgBox(kFillSpeed);
            return;
        }
    }
    if (!fw::numberOf(efShift->text())) {
        fw::MsgBox(kShiftBy);
        return;
    }
    const double by = fw::CDbl(efShift->text()) * (rbBackward->value() ? -1.0 : 1.0);
    std::vector<CellChange> changes;
    changes.reserve(picked.size());
    for (const PickedCount& count : picked) {
        const double shift = BeatInterval(fw::CDbl(TrackList->Cell(count.row, SpeedColumn))) * by;
        const QString time = fw::Format(fw::CDbl(TrackList->Cell(count.row, TimeColumn)) + shift, kTimePicture);
        changes.push_back({count.id, TimeColumn, time, timeStatement(time, count.id)});
    }
    writeCells(changes);
}

void Track::pbAdd_Action()
{
    if (busy())
        return;
    const int rows = TrackList->ListCount();
    const int current = TrackList->ListIndex();
    if (rows > 0 && current < 0) {
        fw::MsgBox(kPickLine);
        return;
    }
    if (TheSongID == 0) {
        fw::MsgBox(kNoSong);
        return;
    }
    const QString speedText = rows == 0 ? efSpeed->text() : TrackList->Cell(current, SpeedColumn);
    if (!isSpeed(speedText)) {
        fw::MsgBox(rows == 0 ? kSpeedToUse : kRowSpeed);
        return;
    }
    const double speed = fw::CDbl(speedText);
    const double interval = BeatInterval(speed);
    const auto cell = [this](int row, int column) { return fw::CDbl(TrackList->Cell(row, column)); };
    if (rows > 0 && current == 0 && cell(0, CountColumn) <= 1.0) {
        fw::MsgBox(kBeforeStart);
        return;
    }
    // Before the first count, after the last and on an empty list, efCounts
    // says how many.
    const bool intoGap = current > 0 && current < rows - 1;
    const double wanted = fw::numberOf(efCounts->text()).value_or(0.0);
    if (!intoGap && (fw::CInt(wanted) < 1 || wanted > kMostCounts)) {
        fw::MsgBox(kCountsToAdd);
        return;
    }
    int first = 1;
    int last = fw::CInt(wanted);
    int beat = 1;
    double start = 0.0;
    if (rows == 0) {
        // An empty track gets its first counts from 1, at 0.00, beat 1.
    } else if (current == 0) {
        last = fw::CInt(cell(0, CountColumn) - 1.0);
        first = std::max(1, fw::CInt(last - wanted + 1.0));
        beat = fw::CInt(cell(0, BeatColumn));
        start = cell(0, TimeColumn);
        for (int k = last; k >= first; --k) {
            beat = beat - 1 == 0 ? 8 : beat - 1;
            start = std::max(0.0, start - interval);
        }
    } else {
        if (current == rows - 1) {
            first = fw::CInt(cell(current, CountColumn) + 1.0);
            last = fw::CInt(first + wanted - 1.0);
        } else {
            const int gap = fw::CInt(cell(current + 1, CountColumn) - cell(current, CountColumn) - 1.0);
            if (gap <= 0) {
                fw::MsgBox(kNoGap);
                return;
            }
            first = fw::CInt(cell(current, CountColumn) + 1.0);
            last = fw::CInt(cell(current + 1, CountColumn) - 1.0);
        }
        beat = fw::CInt(cell(current, BeatColumn) + 1.0);
        if (beat > 8)
            beat = 1;
        start = cell(current, TimeColumn) + interval;
    }
    const int n = last - first + 1;
    const QString question = n > 1 ? QStringLiteral("Ready to create counts %1 thru %2 Continue?").arg(first).arg(last)
                                   : QStringLiteral("Ready to create count %1 Continue?").arg(first);
    const int songID = TheSongID;
    const QPointer<Track> alive(this);
    if (fw::Ask(question, QString(), fw::MsgButtons::YesNo, fw::MsgIcon::Question) != fw::MsgAnswer::Yes)
        return;
    // While the question stood, another song may have been loaded.
    if (!alive || isClosed() || TheSongID != songID)
        return;
    AddCounts(beat, first, n, start, interval, speed);
}

// The selected counts are deleted; the others keep their numbers.
void Track::pbDeleteBeats_Action()
{
    if (busy())
        return;
    // Taken before the question: the player may move the selection meanwhile.
    const std::vector<PickedCount> picked = pickedCounts();
    const int songID = TheSongID;
    const QPointer<Track> alive(this);
    if (fw::Ask(QStringLiteral("Delete the selected Counts?"), QString(), fw::MsgButtons::YesNo, fw::MsgIcon::Question)
        != fw::MsgAnswer::Yes)
        return;
    if (!alive || isClosed() || TheSongID != songID || busy())
        return;
    const bool deleted = writeInOneTransaction(static_cast<int>(picked.size()), [&](int i) {
        Code::db->SQLExecute(QStringLiteral("Delete from Track where ID = %1").arg(picked[static_cast<size_t>(i)].id));
        return true;
    });
    if (deleted && alive && !isClosed()) {
        const QHash<qint64, int> rows = rowsByID();
        std::vector<int> gone;
        for (const PickedCount& count : picked)
            gone.push_back(rows.value(count.id, -1));
        TrackList->RemoveRows(gone);
        TrackList->setListIndex(-1);
    }
    afterWriting();
}

// The selected counts take the typed speed and lie one count apart from the
// first of them, which keeps its time.
void Track::pbChangeSpeed_Action()
{
    if (busy())
        return;
    const QString speed = efSpeed->text();
    if (!isSpeed(speed)) {
        fw::MsgBox(kSpeedToUse);
        return;
    }
    const double interval = BeatInterval(fw::CDbl(speed));
    const QString speedStatement
        = QStringLiteral("Update Track Set Speed=%1 where ID = %2").arg(fw::decimalPoint(speed.trimmed()));
    std::vector<CellChange> changes;
    std::optional<double> time;
    for (const PickedCount& count : pickedCounts()) {
        if (!time) {
            time = fw::CDbl(TrackList->Cell(count.row, TimeColumn));
        } else {
            *time += interval;
            const QString text = fw::Format(*time, kTimePicture);
            changes.push_back({count.id, TimeColumn, text, timeStatement(text, count.id)});
        }
        changes.push_back({count.id, SpeedColumn, speed, speedStatement.arg(count.id)});
    }
    writeCells(changes);
}

// Each selected beat goes one lower, 1 becoming 8.
void Track::pbReduceBeats_Action()
{
    if (busy())
        return;
    std::vector<CellChange> changes;
    for (const PickedCount& count : pickedCounts()) {
        int beat = fw::CInt(fw::CDbl(TrackList->Cell(count.row, BeatColumn)) - 1.0);
        if (beat == 0)
            beat = 8;
        const QString text = QString::number(beat);
        const QString statement = QStringLiteral("Update Track Set Beat=%1 where ID = %2").arg(text).arg(count.id);
        changes.push_back({count.id, BeatColumn, text, statement});
    }
    writeCells(changes);
}

// The new counts are stored in one transaction; the list shows them once
// they are, sorted by count. A refused insert stores none of them.
void Track::AddCounts(int firstBeat, int firstCount, int n, double startTime, double interval, double speed)
{
    if (busy())
        return;
    if (TheSongID == 0) {
        fw::MsgBox(kNoSong);
        return;
    }
    const int songID = TheSongID;
    std::vector<CountCells> added;
    added.reserve(static_cast<size_t>(std::max(n, 0)));
    int beat = firstBeat;
    const QPointer<Track> alive(this);
    const bool stored = writeInOneTransaction(std::max(n, 0), [&](int i) {
        fw::DatabaseRecord record;
        record.IntegerColumn(QStringLiteral("TheCount"), firstCount + i);
        record.DoubleColumn(QStringLiteral("TheTime"), fw::CDbl(fw::Format(startTime + i * interval, kTimePicture)));
        record.IntegerColumn(QStringLiteral("Beat"), beat);
        record.DoubleColumn(QStringLiteral("Speed"), speed);
        record.IntegerColumn(QStringLiteral("SongsID"), songID);
        Code::db->InsertRecord(QStringLiteral("Track"), record);
        if (Code::db->Error())
            return false;
        const std::unique_ptr<fw::RecordSet> row
            = Code::db->SQLSelect(QStringLiteral("Select * from Track where ID=%1").arg(Code::db->LastRowID()));
        if (!row || row->eof())
            return false;
        added.push_back(cellsOf(*row));
        beat = beat + 1 > 8 ? 1 : beat + 1;
        return true;
    });
    if (stored && alive && !isClosed()) {
        for (const CountCells& cells : added)
            appendCount(*TrackList, cells);
        TrackList->setColumnSortDirection(CountColumn, 1);
        TrackList->setSortedColumn(CountColumn);
        TrackList->Sort();
    }
    afterWriting();
}

void Track::MakeFirstTrack(double bpm, int minutes, int seconds)
{
    if (busy())
        return;
    if (TheSongID == 0) {
        fw::MsgBox(kNoSong);
        return;
    }
    const std::unique_ptr<fw::RecordSet> existing
        = Code::db->SQLSelect(QStringLiteral("Select * from Track where SongsID=%1").arg(TheSongID));
    if (!existing) {
        // A select that fails is not an empty track.
        fw::MsgBox(kFailed + Code::db->ErrorMessage());
        return;
    }
    if (!existing->eof()) {
        fw::MsgBox(kTrackExists);
        return;
    }
    const double beatsPerSecond = bpm / 60.0;
    const double counts = (static_cast<double>(minutes) * 60.0 + seconds) * beatsPerSecond;
    if (!(bpm > 0.0) || !(counts >= 0.5) || counts > kMostCounts) {
        fw::MsgBox(kNoCountsToMake);
        return;
    }
    AddCounts(1, 1, fw::CInt(counts), 0.0, BeatInterval(bpm), bpm);
}

// ---- loading a track ------------------------------------------------------------

void Track::LoadTrack(int songID)
{
    m_songAskedFor = songID;
    m_loadAsked = true;
    loadAskedFor();
}

void Track::afterWriting()
{
    // The tool's own editor may have closed while it wrote: the open one loads.
    if (Track* open = ifOpen())
        open->loadAskedFor();
}

void Track::loadAskedFor()
{
    // A fill under way stops and the load asked for takes its place; a tool
    // that writes loads it when it has ended.
    if (m_filling || s_writing)
        return;
    const QPointer<Track> alive(this);
    while (alive && !isClosed() && m_loadAsked) {
        m_loadAsked = false;
        loadSong(m_songAskedFor);
    }
}

void Track::loadSong(int songID)
{
    const std::unique_ptr<fw::RecordSet> song = SongRow::select(songID, QStringLiteral("ID, Title"));
    if (!song) {
        const QString told = Code::db->Error() ? kFailed + Code::db->ErrorMessage() : kNoSongRecord;
        TrackList->DeleteAllRows();
        TheSongID = 0;
        TheSongTitle.clear();
        setTitle(windowRecord().title);
        fw::MsgBox(told);
        return;
    }
    TheSongID = static_cast<int>(song->Field(QStringLiteral("ID")).IntegerValue());
    TheSongTitle = song->Field(QStringLiteral("Title")).StringValue();
    if (!LoadList())
        return;
    if (Code::UseQuickTime)
        stStatus->setText(QStringLiteral("Ready."));
    setTitle(QStringLiteral("Song Track for: ") + TheSongTitle);
}

bool Track::LoadList()
{
    TrackList->DeleteAllRows();
    const std::unique_ptr<fw::RecordSet> counts = Code::db->SQLSelect(
        QStringLiteral("Select * from Track where SongsID=%1 Order by TheCount").arg(TheSongID));
    if (!counts) {
        // A select that fails is not an empty track: no first track is offered.
        fw::MsgBox(kFailed + Code::db->ErrorMessage());
        return true;
    }
    const QPointer<Track> alive(this);
    const auto stopped = [&] { return !alive || isClosed() || m_loadAsked; };
    m_filling = true;
    int loaded = 0;
    int tick = 0;
    for (; !counts->eof(); counts->MoveNext()) {
        if (++tick == 100) {
            tick = 1;
            stStatus->setText(QStringLiteral("Loading song track for ") + TheSongTitle + QStringLiteral(": ")
                              + fw::Format(loaded, QStringLiteral("###,###")));
            fw::DoEvents();
            if (stopped())
                break;
        }
        appendCount(*TrackList, cellsOf(*counts));
        ++loaded;
        fw::YieldToEventLoop();
        if (stopped())
            break;
    }
    if (!alive || isClosed())
        return false;
    m_filling = false;
    if (m_loadAsked)
        return false;
    if (TrackList->ListCount() == 0)
        NewTrack::instance().Show();
    else
        TrackList->setListIndex(0);
    return true;
}

// The player's count: no yield, so a tick that follows the music is over at
// once and never meets a second one half-way.
void Track::ScrollToCount(const QString& count)
{
    const int rows = TrackList->ListCount();
    for (int row = 0; row < rows; ++row) {
        if (TrackList->Cell(row, CountColumn) == count) {
            TrackList->setListIndex(row);
            TrackList->setScrollPosition(row);
            return;
        }
    }
}

// ---- opening and closing --------------------------------------------------------

void Track::Event_Open()
{
    Code::TrackOpen = true;
    fw::lowerTextSize({rbBackward, rbForward, stStatus, st1, st2, st3, st4, st5, st6, st7, st8, st9, st10, TrackList,
                       TabPanel1, efCounts, efShift, efSpeed, pbAdd, pbChangeSpeed, pbDeleteBeats, pbPlayFrom, pbHelp,
                       pbReduceBeats, pbShift});
    efSpeed->setText(fw::Format(180, QStringLiteral("###.0")));
    efShift->setText(fw::Format(1, QStringLiteral("###.0")));
    TrackList->setHeadings(QStringLiteral("Count\tTime\tInterval\tBeat\tSpeed\tNote\tAdvice\tComment\t"));
    TrackList->setColumnWidths(QStringLiteral("45,40,50,37,45,150,208,200"));
    TrackList->setColumnAlignment(CountColumn, fw::Alignment::Left);
    TrackList->setColumnAlignment(TimeColumn, fw::Alignment::Right);
    TrackList->setColumnAlignment(IntervalColumn, fw::Alignment::Center);
    TrackList->setColumnAlignment(BeatColumn, fw::Alignment::Center);
    TrackList->setColumnAlignment(SpeedColumn, fw::Alignment::Left);
    TrackList->setColumnAlignment(NoteColumn, fw::Alignment::Left);
    TrackList->setColumnAlignment(AdviceColumn, fw::Alignment::Left);
    for (int column = TimeColumn; column <= CommentColumn; ++column)
        TrackList->setColumnEditable(column, true);
    WindowPlace::restore(*this, kPlaceKey);
}

void Track::Event_Close()
{
    Code::TrackOpen = false;
    SaveSettings();
}

void Track::SaveSettings()
{
    WindowPlace::save(*this, kPlaceKey, false);
}
