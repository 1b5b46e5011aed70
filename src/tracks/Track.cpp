#include "tracks/Track.h"

#include "core/Code.h"
#include "core/SongRow.h"
#include "core/WindowPlace.h"
#include "library/ListCells.h"
#include "player/TheCount.h"
#include "tracks/CountLimits.h"
#include "tracks/NewTrack.h"

#include "framework/Application.h"
#include "framework/Database.h"
#include "framework/Format.h"
#include "framework/Platform.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <functional>

using ListCells::IDCell;

namespace {

enum Column {
    CountColumn, TimeColumn, IntervalColumn, BeatColumn, SpeedColumn, NoteColumn, AdviceColumn, CommentColumn
};

// More counts than one press adds: a number or a gap typed or stored wrongly.
constexpr int kMostCounts = 100000;

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
const QString kCountsGone = QStringLiteral("Some of the selected counts are no longer in the database, so the change "
                                           "could not be saved.");
const QString kChosenCountGone = QStringLiteral("The count you clicked on is no longer in the database, so no counts "
                                                "were added next to it.");
const QString kSongGone = QStringLiteral("This song is no longer in the database, so no counts were added to it.");
const QString kCountsExist = QStringLiteral("The song already has some of these counts, so none were added.");
const QString kBeforeStart = QStringLiteral("You cannot create counts before the beginning of the song.");
const QString kBeyondLastCount = QStringLiteral("You cannot create counts beyond count %1.")
                                     .arg(fw::Format(CountLimits::kHighestCount, QStringLiteral("###,###")));
const QString kNoCountNumber = QStringLiteral("The count you clicked on has no number from 1 to %1, so no counts can "
                                              "be added next to it.")
                                   .arg(fw::Format(CountLimits::kHighestCount, QStringLiteral("###,###")));
const QString kNoGap = QStringLiteral("You can only add counts where there is a gap.");
const QString kTooManyAtOnce = QStringLiteral("You can add up to %1 counts at a time.")
                                   .arg(fw::Format(kMostCounts, QStringLiteral("###,###")));
const QString kCountsToAdd = QStringLiteral("Please fill in the number of counts to add.");
const QString kSpeedToUse = QStringLiteral("Please fill in a speed from 0.01 to %1 beats per minute.")
                                .arg(fw::Format(CountLimits::kFastestSpeed, QStringLiteral("###,###")));
const QString kRowSpeed = QStringLiteral("Please fill in a speed for the count you clicked on.");
const QString kRowBeat = QStringLiteral("Please fill in a beat of 1 to 8 for the count you clicked on.");
const QString kFillSpeed = QStringLiteral("Please fill in a speed for each count to be changed.");
const QString kFillBeat = QStringLiteral("Please fill in a beat of 1 to 8 for each count to be changed.");
const QString kShiftBy = QStringLiteral("Please fill in the number of counts to shift by.");
const QString kTrackExists = QStringLiteral("To create a new track, you must first delete the existing one on the "
                                            "Song Track window.");

const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

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

// A number as its cell shows it: times and speeds show to the hundredth,
// and what is stored is what the list shows. Numbers far beyond any time or
// speed need no showing to be refused.
double asShown(double number)
{
    return std::isfinite(number) && std::fabs(number) <= 1e9 ? fw::CDbl(fw::Format(number, kTimePicture)) : number;
}

// A speed the tools can work with, as its cell shows it.
std::optional<double> speedOf(double beatsPerMinute)
{
    const double speed = asShown(beatsPerMinute);
    return CountLimits::isSpeed(speed) ? std::optional(speed) : std::nullopt;
}
std::optional<double> speedOf(const QString& text)
{
    const std::optional<double> number = fw::numberOf(text);
    return number ? speedOf(*number) : std::nullopt;
}

// A time a song can have, as its cell shows it.
std::optional<double> timeOf(const QString& text)
{
    const std::optional<double> number = fw::numberOf(text);
    const double time = number ? asShown(*number) : 0.0;
    return number && CountLimits::isTime(time) ? std::optional(time) : std::nullopt;
}

// A beat of 1 to 8; a fraction is taken as the nearest whole beat.
std::optional<int> beatOf(const QString& text)
{
    const std::optional<double> beat = fw::numberOf(text);
    if (!beat || !(*beat >= 0.5 && *beat < 8.5))
        return std::nullopt;
    return fw::CInt(*beat);
}

// Runs work in one transaction: the whole change is stored, or nothing of
// it. Work answers false when the database refused a statement, whose text
// the user is then told, or sets refusal to what the user is told instead.
bool writeTrack(const std::function<bool(QString& refusal)>& work)
{
    QString refusal;
    const bool stored = Code::db->transaction([&] { return work(refusal) && refusal.isEmpty(); });
    if (!stored)
        fw::MsgBox(refusal.isEmpty() ? kFailed + Code::db->ErrorMessage() : refusal);
    return stored;
}

} // namespace

const QString Track::kNoCountsToMake = QStringLiteral(
    "Please fill in the song's speed in beats per minute (0.01 to 1,000) and its length in minutes and seconds.");

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
    // The Interval column is worked out from the times, so it always follows them.
    TrackList->CellText = [this](int row, int column, QString& text) {
        if (column != IntervalColumn)
            return false;
        text = intervalText(row);
        return true;
    };
    TrackList->SelectionGesture = [this] { return userSelects(); };
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
    connect(&Code::notices(), &Code::Notices::songDeleted, this, &Track::songDeleted);
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
        // A count without a speed cannot be checked: it shows as off.
        const std::optional<double> interval = intervalOfSpeed(TrackList->Cell(row, SpeedColumn));
        if (!interval || std::fabs(before + *interval - time) > 0.1 + 1e-9)
            g.ForeColor = kRed;
    }
    return false;
}

// Speeds come in runs: the last one asked for is kept.
std::optional<double> Track::intervalOfSpeed(const QString& speed)
{
    if (speed != m_lastSpeed) {
        m_lastSpeed = speed;
        const std::optional<double> beatsPerMinute = speedOf(speed);
        m_lastInterval = beatsPerMinute ? std::optional(BeatInterval(*beatsPerMinute)) : std::nullopt;
    }
    return m_lastInterval;
}

// The time from the row above; the first row has none.
QString Track::intervalText(int row) const
{
    if (row <= 0)
        return QString();
    const double before = fw::CDbl(TrackList->Cell(row - 1, TimeColumn));
    return fw::Format(fw::CDbl(TrackList->Cell(row, TimeColumn)) - before, kTimePicture);
}

bool Track::speedRunIsBlue(int row)
{
    if (TrackList->Revision() != m_runRevision) {
        m_runBlue.clear();
        m_runRevision = TrackList->Revision();
    }
    for (int r = static_cast<int>(m_runBlue.size()); r <= row; ++r) {
        const bool sameRun = r > 0 && TrackList->SameText(r, r - 1, SpeedColumn);
        m_runBlue.push_back(r > 0 && (sameRun ? m_runBlue[r - 1] : !m_runBlue[r - 1]));
    }
    return row >= 0 && m_runBlue[row];
}

void Track::TrackList_CellGotFocus(int row, int column)
{
    Q_UNUSED(column);
    SaveCell = false;
    m_editStart = cellsShown(row);
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

// When an edit that changed its text ends, the cells of the row that differ
// from what they held when the edit began are written back, in one
// transaction. Times and speeds are stored as their cells show them, to the
// hundredth; a time, beat or speed that a count cannot hold is refused as a
// text that is no number is. Cells the edit left alone are neither checked
// nor written: a row holding an older value outside the bounds stays
// editable, and a stored value keeps the decimals its cell does not show.
// Afterwards the row shows what the table holds: a time typed as 12.3 shows
// as 12.30, a beat of 2.6 as 3.
void Track::TrackList_CellAction(int row, int column)
{
    Q_UNUSED(column);
    if (!SaveCell)
        return;
    const std::optional<int> id = ListCells::idOf(*TrackList, row);
    if (!id)
        return;
    const CountCells now = cellsShown(row);
    const bool began = m_editStart && m_editStart->id == now.id;
    const auto changed = [&](QString CountCells::*cell) { return !began || now.*cell != (*m_editStart).*cell; };
    const std::optional<double> time = timeOf(now.time);
    const std::optional<int> beat = beatOf(now.beat);
    const std::optional<double> speed = speedOf(now.speed);
    if ((changed(&CountCells::time) && !time) || (changed(&CountCells::beat) && !beat)
        || (changed(&CountCells::speed) && !speed)) {
        fw::Beep();
        restoreCount(row, *id);
        return;
    }
    const std::unique_ptr<fw::RecordSet> stored
        = Code::db->SQLSelect(QStringLiteral("Select * from Track where ID=%1").arg(*id));
    if (!stored) {
        fw::MsgBox(kFailed + Code::db->ErrorMessage());
        restoreCount(row, *id);
        return;
    }
    if (stored->eof()) {
        // The list then shows what a freshly opened editor would.
        TrackList->RemoveRow(row);
        fw::MsgBox(kCountGone);
        return;
    }
    const bool written = stored->editInTransaction([&] {
        if (changed(&CountCells::time))
            stored->Field(QStringLiteral("TheTime")).setDoubleValue(*time);
        if (changed(&CountCells::beat))
            stored->Field(QStringLiteral("Beat")).setIntegerValue(*beat);
        if (changed(&CountCells::speed))
            stored->Field(QStringLiteral("Speed")).setDoubleValue(*speed);
        if (changed(&CountCells::note))
            stored->Field(QStringLiteral("Note")).setStringValue(now.note);
        if (changed(&CountCells::advice))
            stored->Field(QStringLiteral("Advice")).setStringValue(now.advice);
        if (changed(&CountCells::comment))
            stored->Field(QStringLiteral("Comment")).setStringValue(now.comment);
    });
    if (!written) {
        fw::MsgBox(kFailed + Code::db->ErrorMessage());
        restoreCount(row, *id);
        return;
    }
    showCells(row, cellsOf(*stored));
}

void Track::restoreCount(int row, qint64 id)
{
    const std::unique_ptr<fw::RecordSet> stored
        = Code::db->SQLSelect(QStringLiteral("Select * from Track where ID=%1").arg(id));
    if (stored && !stored->eof())
        showCells(row, cellsOf(*stored));
    else if (m_editStart && m_editStart->id == QString::number(id))
        showCells(row, *m_editStart);
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

// ---- the count cells ------------------------------------------------------------

Track::CountCells Track::cellsOf(fw::RecordSet& stored)
{
    return {stored.Field(QStringLiteral("TheCount")).StringValue(),
            fw::Format(stored.Field(QStringLiteral("TheTime")).DoubleValue(), kTimePicture),
            stored.Field(QStringLiteral("Beat")).StringValue(),
            fw::Format(stored.Field(QStringLiteral("Speed")).DoubleValue(), kTimePicture),
            stored.Field(QStringLiteral("Note")).StringValue(),
            stored.Field(QStringLiteral("Advice")).StringValue(),
            stored.Field(QStringLiteral("Comment")).StringValue(),
            stored.Field(QStringLiteral("ID")).StringValue()};
}

Track::CountCells Track::cellsShown(int row) const
{
    return {TrackList->Cell(row, CountColumn),   TrackList->Cell(row, TimeColumn),
            TrackList->Cell(row, BeatColumn),    TrackList->Cell(row, SpeedColumn),
            TrackList->Cell(row, NoteColumn),    TrackList->Cell(row, AdviceColumn),
            TrackList->Cell(row, CommentColumn), TrackList->Cell(row, IDCell)};
}

void Track::showCells(int row, const CountCells& cells)
{
    TrackList->setCell(row, TimeColumn, cells.time);
    TrackList->setCell(row, BeatColumn, cells.beat);
    TrackList->setCell(row, SpeedColumn, cells.speed);
    TrackList->setCell(row, NoteColumn, cells.note);
    TrackList->setCell(row, AdviceColumn, cells.advice);
    TrackList->setCell(row, CommentColumn, cells.comment);
    TrackList->setCell(row, IDCell, cells.id);
}

void Track::appendCount(const CountCells& cells)
{
    TrackList->AddRow(cells.count);
    showCells(TrackList->LastIndex(), cells);
}

// ---- playing from a count -------------------------------------------------------

void Track::pbPlayFrom_Action()
{
    if (pbPlayFrom->caption() != kPlay) {
        TheCount::instance().StopCounting();
        return;
    }
    TrackList->finishEdit();
    const int row = TrackList->ListIndex();
    if (row < 0) {
        if (TrackList->ListCount() == 0)
            fw::Beep();
        else
            fw::MsgBox(kPickLine);
        return;
    }
    const double start = fw::CDbl(TrackList->Cell(row, TimeColumn));
    const double lastShown = timeOfCountBefore(row);
    // The player takes the selection over from this row: each count it
    // lights takes the row's place, and a Stop leaves the last one lit.
    TrackList->setListIndex(row);
    // The caption says "Stop" from here on, as the song list's does, and
    // the player sets it back when it refuses the song or it stops.
    pbPlayFrom->setCaption(kStop);
    TheCount& player = TheCount::instance();
    player.Show();
    player.TheSongID = TheSongID;
    player.StartCounting(start, lastShown);
}

double Track::timeOfCountBefore(int row) const
{
    const double count = fw::CDbl(TrackList->Cell(row, CountColumn));
    std::optional<double> before;
    double time = -1.0;
    const int rows = TrackList->ListCount();
    for (int r = 0; r < rows; ++r) {
        const double c = fw::CDbl(TrackList->Cell(r, CountColumn));
        if (c < count && (!before || c > *before)) {
            before = c;
            time = fw::CDbl(TrackList->Cell(r, TimeColumn));
        }
    }
    return time;
}

void Track::pbHelp_Action()
{
    fw::ShowURL(Code::sitePage(QStringLiteral("/melvaro/docs/song-track")));
}

// ---- whose selection ------------------------------------------------------------

bool Track::playerOwnsSelection() const
{
    const TheCount* player = TheCount::ifOpen();
    return player && player->isCounting() && player->TheSongID == TheSongID && player->run() != m_userRun;
}

bool Track::userSelects()
{
    if (m_filling)
        m_userSelectedWhileFilling = true;
    if (!playerOwnsSelection())
        return false;
    m_userRun = TheCount::ifOpen()->run();
    for (const int row : TrackList->SelectedRows())
        TrackList->setSelected(row, false);
    return true;
}

// ---- the tools ------------------------------------------------------------------

bool Track::readyToChange()
{
    if (m_filling) {
        fw::Beep();
        return false;
    }
    TrackList->finishEdit();
    return true;
}

bool Track::readyToChangeSelected()
{
    if (!readyToChange())
        return false;
    // The lit count was chosen by the music, not by the user.
    if (playerOwnsSelection()) {
        fw::MsgBox(kPickLine);
        return false;
    }
    return true;
}

std::vector<Track::PickedCount> Track::pickedCounts()
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
    bool countGone = false;
    const bool stored = writeTrack([&](QString& refusal) {
        for (const CellChange& change : changes) {
            Code::db->SQLExecute(change.statement);
            if (Code::db->Error())
                return false;
            if (Code::db->changes() == 0) {
                countGone = true;
                refusal = kCountsGone;
                return false;
            }
        }
        return true;
    });
    if (countGone) {
        // As after a cell edit: the list shows what a freshly opened editor would.
        std::vector<qint64> ids;
        for (const CellChange& change : changes)
            ids.push_back(change.id);
        removeCountsGone(ids);
    }
    if (stored) {
        // Rows are found by their IDs: the list may be sorted by any column.
        const QHash<qint64, int> rows = rowsByID();
        for (const CellChange& change : changes) {
            const int row = rows.value(change.id, -1);
            if (row >= 0)
                TrackList->setCell(row, change.column, change.text);
        }
    }
    return stored;
}

int Track::removeCountsGone(std::vector<qint64> ids)
{
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    QStringList listed;
    for (const qint64 id : ids)
        listed.append(QString::number(id));
    const std::unique_ptr<fw::RecordSet> kept = Code::db->SQLSelect(
        QStringLiteral("Select ID from Track where ID in (%1)").arg(listed.join(QLatin1Char(','))));
    if (!kept)
        return 0;
    QSet<qint64> stillThere;
    for (; !kept->eof(); kept->MoveNext())
        stillThere.insert(kept->Field(QStringLiteral("ID")).IntegerValue());
    const QHash<qint64, int> rows = rowsByID();
    std::vector<int> gone;
    for (const qint64 id : ids) {
        if (const int row = rows.value(id, -1); row >= 0 && !stillThere.contains(id))
            gone.push_back(row);
    }
    TrackList->RemoveRows(gone);
    return static_cast<int>(gone.size());
}

// Each selected count moves by a number of counts at its own speed.
void Track::pbShift_Action()
{
    if (!readyToChangeSelected())
        return;
    const std::vector<PickedCount> picked = pickedCounts();
    for (const PickedCount& count : picked) {
        if (!speedOf(TrackList->Cell(count.row, SpeedColumn))) {
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
        const double time = fw::CDbl(TrackList->Cell(count.row, TimeColumn)) + shift;
        if (!CountLimits::isTime(time)) {
            fw::MsgBox(CountLimits::kBeyondSong);
            return;
        }
        const QString text = fw::Format(time, kTimePicture);
        changes.push_back({count.id, TimeColumn, text, timeStatement(text, count.id)});
    }
    writeCells(changes);
}

// Counts are added before the song's first count, after its last, or into
// the gap after the chosen count, in count order whatever order the list
// shows; a count number the song has is never created again.
void Track::pbAdd_Action()
{
    if (!readyToChangeSelected())
        return;
    const int rows = TrackList->ListCount();
    const std::vector<int> chosen = TrackList->SelectedRows();
    const int current = chosen.empty() ? -1 : chosen.front();
    if (rows > 0 && current < 0) {
        fw::MsgBox(kPickLine);
        return;
    }
    // The new counts are worked out from the chosen one: when it was deleted
    // elsewhere it leaves the list, as after a cell edit, and none are added.
    if (rows > 0 && removeCountsGone({ListCells::idOf(*TrackList, current).value_or(0)}) > 0) {
        fw::MsgBox(kChosenCountGone);
        return;
    }
    if (TheSongID == 0) {
        fw::MsgBox(kNoSong);
        return;
    }
    const std::optional<double> rowSpeed = speedOf(rows == 0 ? efSpeed->text() : TrackList->Cell(current, SpeedColumn));
    if (!rowSpeed) {
        fw::MsgBox(rows == 0 ? kSpeedToUse : kRowSpeed);
        return;
    }
    const double speed = *rowSpeed;
    const double interval = BeatInterval(speed);
    const auto cell = [this](int row, int column) { return fw::CDbl(TrackList->Cell(row, column)); };
    const double wanted = fw::numberOf(efCounts->text()).value_or(0.0);
    const bool wantedOK = fw::CInt(wanted) >= 1 && wanted <= kMostCounts;
    double first = 1.0;
    double last = fw::CInt(wanted);
    int beat = 1;
    double start = 0.0;
    if (rows == 0) {
        // An empty track gets its first counts from 1, at 0.00, beat 1.
        if (!wantedOK) {
            fw::MsgBox(kCountsToAdd);
            return;
        }
    } else {
        const double count = cell(current, CountColumn);
        if (!CountLimits::isCount(count)) {
            fw::MsgBox(kNoCountNumber);
            return;
        }
        const std::optional<int> currentBeat = beatOf(TrackList->Cell(current, BeatColumn));
        if (!currentBeat) {
            fw::MsgBox(kRowBeat);
            return;
        }
        // Where the chosen count stands among the others, in count order;
        // equal counts stand in list order.
        bool isFirst = true;
        std::optional<double> next;
        for (int row = 0; row < rows; ++row) {
            if (row == current)
                continue;
            const double c = cell(row, CountColumn);
            if (c < count || (c == count && row < current))
                isFirst = false;
            else if (!next || c < *next)
                next = c;
        }
        const double time = cell(current, TimeColumn);
        if (isFirst) {
            // Before the first count; a track of one count is added to before it.
            if (count <= 1.0) {
                fw::MsgBox(kBeforeStart);
                return;
            }
            if (!wantedOK) {
                fw::MsgBox(kCountsToAdd);
                return;
            }
            last = count - 1.0;
            first = std::max(1.0, last - fw::CInt(wanted) + 1.0);
            beat = *currentBeat;
            start = time;
            for (double k = last; k >= first; --k) {
                beat = beat - 1 == 0 ? 8 : beat - 1;
                start = std::max(0.0, start - interval);
            }
        } else {
            first = count + 1.0;
            if (!next) {
                if (!wantedOK) {
                    fw::MsgBox(kCountsToAdd);
                    return;
                }
                last = first + fw::CInt(wanted) - 1.0;
            } else {
                // The highest whole count below the next one.
                last = std::ceil(*next) - 1.0;
                if (last < first) {
                    fw::MsgBox(kNoGap);
                    return;
                }
                if (last - first + 1.0 > kMostCounts && last <= CountLimits::kHighestCount) {
                    fw::MsgBox(kTooManyAtOnce);
                    return;
                }
            }
            if (last > CountLimits::kHighestCount) {
                fw::MsgBox(kBeyondLastCount);
                return;
            }
            beat = *currentBeat + 1 > 8 ? 1 : *currentBeat + 1;
            start = time + interval;
        }
    }
    const int n = static_cast<int>(last - first) + 1;
    if (!CountLimits::isTime(start) || !CountLimits::isTime(start + (n - 1) * interval)) {
        fw::MsgBox(CountLimits::kBeyondSong);
        return;
    }
    const int firstCount = static_cast<int>(first);
    const QString question = n > 1
        ? QStringLiteral("Ready to create counts %1 thru %2 Continue?").arg(firstCount).arg(firstCount + n - 1)
        : QStringLiteral("Ready to create count %1 Continue?").arg(firstCount);
    const int songID = TheSongID;
    const QPointer<Track> alive(this);
    if (fw::Ask(question, QString(), fw::MsgButtons::YesNo, fw::MsgIcon::Question) != fw::MsgAnswer::Yes)
        return;
    // While the question stood, another song may have been loaded.
    if (!alive || isClosed() || TheSongID != songID)
        return;
    AddCounts(beat, firstCount, n, start, interval, speed);
}

// The selected counts are deleted; the others keep their numbers.
void Track::pbDeleteBeats_Action()
{
    if (!readyToChangeSelected())
        return;
    // Taken before the question: the player may move its row meanwhile.
    const std::vector<PickedCount> picked = pickedCounts();
    const int songID = TheSongID;
    const QPointer<Track> alive(this);
    if (fw::Ask(QStringLiteral("Delete the selected Counts?"), QString(), fw::MsgButtons::YesNo, fw::MsgIcon::Question)
        != fw::MsgAnswer::Yes)
        return;
    if (!alive || isClosed() || TheSongID != songID || !readyToChange())
        return;
    const bool deleted = writeTrack([&](QString&) {
        for (const PickedCount& count : picked) {
            Code::db->SQLExecute(QStringLiteral("Delete from Track where ID = %1").arg(count.id));
            if (Code::db->Error())
                return false;
        }
        return true;
    });
    if (!deleted)
        return;
    const QHash<qint64, int> rows = rowsByID();
    std::vector<int> gone;
    for (const PickedCount& count : picked)
        gone.push_back(rows.value(count.id, -1));
    TrackList->RemoveRows(gone);
    TrackList->setListIndex(-1);
}

// The selected counts take the typed speed and lie one count apart from the
// first of them, which keeps its time.
void Track::pbChangeSpeed_Action()
{
    if (!readyToChangeSelected())
        return;
    const std::optional<double> speed = speedOf(efSpeed->text());
    if (!speed) {
        fw::MsgBox(kSpeedToUse);
        return;
    }
    const double interval = BeatInterval(*speed);
    // The cells show the speed as a freshly loaded track shows it.
    const QString shownSpeed = fw::Format(*speed, kTimePicture);
    const QString speedStatement
        = QStringLiteral("Update Track Set Speed=%1 where ID = %2").arg(fw::decimalPoint(shownSpeed));
    std::vector<CellChange> changes;
    std::optional<double> time;
    for (const PickedCount& count : pickedCounts()) {
        if (!time) {
            time = fw::CDbl(TrackList->Cell(count.row, TimeColumn));
        } else {
            *time += interval;
            if (!CountLimits::isTime(*time)) {
                fw::MsgBox(CountLimits::kBeyondSong);
                return;
            }
            const QString text = fw::Format(*time, kTimePicture);
            changes.push_back({count.id, TimeColumn, text, timeStatement(text, count.id)});
        }
        changes.push_back({count.id, SpeedColumn, shownSpeed, speedStatement.arg(count.id)});
    }
    writeCells(changes);
}

// Each selected beat goes one lower, 1 becoming 8.
void Track::pbReduceBeats_Action()
{
    if (!readyToChangeSelected())
        return;
    std::vector<CellChange> changes;
    for (const PickedCount& count : pickedCounts()) {
        const std::optional<int> beat = beatOf(TrackList->Cell(count.row, BeatColumn));
        if (!beat) {
            fw::MsgBox(kFillBeat);
            return;
        }
        const QString text = QString::number(*beat == 1 ? 8 : *beat - 1);
        const QString statement = QStringLiteral("Update Track Set Beat=%1 where ID = %2").arg(text).arg(count.id);
        changes.push_back({count.id, BeatColumn, text, statement});
    }
    writeCells(changes);
}

// The new counts are stored in one transaction, and only while the song
// exists and has none of their numbers; the list shows them once they are
// stored, sorted by count. A refused insert stores none of them.
void Track::AddCounts(int firstBeat, int firstCount, int n, double startTime, double interval, double speed)
{
    if (!readyToChange())
        return;
    if (TheSongID == 0) {
        fw::MsgBox(kNoSong);
        return;
    }
    const int songID = TheSongID;
    n = std::max(n, 0);
    std::vector<CountCells> added;
    added.reserve(static_cast<size_t>(n));
    const bool stored = writeTrack([&](QString& refusal) {
        if (!SongRow::select(songID, QStringLiteral("Select ID From Songs where ID="))) {
            if (!Code::db->Error())
                refusal = kSongGone;
            return false;
        }
        const QString newCounts = QStringLiteral(" from Track where SongsID=%1 and TheCount between %2 and %3")
                                      .arg(songID)
                                      .arg(firstCount)
                                      .arg(firstCount + n - 1);
        const std::unique_ptr<fw::RecordSet> existing
            = Code::db->SQLSelect(QStringLiteral("Select count(*) as Counts") + newCounts);
        if (!existing)
            return false;
        if (existing->Field(QStringLiteral("Counts")).IntegerValue() > 0) {
            refusal = kCountsExist;
            return false;
        }
        int beat = firstBeat;
        for (int i = 0; i < n; ++i) {
            fw::DatabaseRecord record;
            record.IntegerColumn(QStringLiteral("TheCount"), firstCount + i);
            record.DoubleColumn(QStringLiteral("TheTime"), fw::CDbl(fw::Format(startTime + i * interval, kTimePicture)));
            record.IntegerColumn(QStringLiteral("Beat"), beat);
            record.DoubleColumn(QStringLiteral("Speed"), speed);
            record.IntegerColumn(QStringLiteral("SongsID"), songID);
            Code::db->InsertRecord(QStringLiteral("Track"), record);
            if (Code::db->Error())
                return false;
            beat = beat + 1 > 8 ? 1 : beat + 1;
        }
        // The new counts as stored, read back at once: the song had none of their numbers.
        const std::unique_ptr<fw::RecordSet> rows
            = Code::db->SQLSelect(QStringLiteral("Select *") + newCounts + QStringLiteral(" Order by TheCount"));
        if (!rows)
            return false;
        for (; !rows->eof(); rows->MoveNext())
            added.push_back(cellsOf(*rows));
        return static_cast<int>(added.size()) == n;
    });
    if (!stored)
        return;
    for (const CountCells& cells : added)
        appendCount(cells);
    TrackList->setColumnSortDirection(CountColumn, 1);
    TrackList->setSortedColumn(CountColumn);
    TrackList->Sort();
}

void Track::MakeFirstTrack(double bpm, int minutes, int seconds)
{
    if (!readyToChange())
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
    // The counts take the speed as their cells show it.
    const std::optional<double> speed = speedOf(bpm);
    const double length = static_cast<double>(minutes) * 60.0 + seconds;
    const double counts = speed ? length * (*speed / 60.0) : 0.0;
    if (!speed || !(counts >= 0.5) || counts > kMostCounts || length > CountLimits::kLongestSong) {
        fw::MsgBox(kNoCountsToMake);
        return;
    }
    AddCounts(1, 1, fw::CInt(counts), 0.0, BeatInterval(*speed), *speed);
}

// ---- loading a track ------------------------------------------------------------

void Track::LoadTrack(int songID)
{
    m_songAskedFor = songID;
    m_loadAsked = true;
    loadAskedFor();
}

void Track::loadAskedFor()
{
    // A fill under way stops and the load asked for takes its place.
    if (m_filling)
        return;
    const QPointer<Track> alive(this);
    while (alive && !isClosed() && m_loadAsked) {
        m_loadAsked = false;
        loadSong(m_songAskedFor);
    }
}

void Track::loadSong(int songID)
{
    const std::unique_ptr<fw::RecordSet> song = SongRow::select(songID, QStringLiteral("Select * from Songs where ID="));
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
    m_userSelectedWhileFilling = false;
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
        appendCount(cellsOf(*counts));
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
    // A row the user picked while the list filled stays picked.
    if (TrackList->ListCount() == 0)
        NewTrack::instance().Show();
    else if (!m_userSelectedWhileFilling)
        TrackList->setListIndex(0);
    return true;
}

// The player's count: no yield, so a tick that follows the music is over at
// once and never meets a second one half-way. Once the user has taken the
// selection over, the list stays as the user left it until the next play.
void Track::ScrollToCount(const QString& count)
{
    const TheCount* player = TheCount::ifOpen();
    if (player && player->run() == m_userRun)
        return;
    const int row = TrackList->FindRow(CountColumn, count);
    if (row < 0)
        return;
    TrackList->setListIndex(row);
    TrackList->setScrollPosition(row);
}

// ---- opening and closing --------------------------------------------------------

// The song's ID and its counts' IDs go to the next new song: an edit or a
// tool here, or a first track made for it, would write into that song.
void Track::songDeleted(int songID)
{
    if (songID != TheSongID)
        return;
    // A cell being edited goes with its count: nothing is stored, nor told.
    SaveCell = false;
    if (NewTrack* maker = NewTrack::ifOpen())
        maker->Close();
    Close();
}

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
