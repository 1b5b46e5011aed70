#include "library/Songs.h"

#include "core/Code.h"
#include "core/SongRow.h"
#include "core/WindowPlace.h"
#include "library/AddSong.h"
#include "library/ListCells.h"
#include "library/SongLocations.h"
#include "library/SongPath.h"
#include "player/FileMessage.h"
#include "player/TheCount.h"

#include "framework/Application.h"
#include "framework/Database.h"
#include "framework/Format.h"
#include "framework/Platform.h"

#include <QPointer>

using namespace ListCells;

namespace {
const QString kPlay = QStringLiteral("Play");
const QString kStop = QStringLiteral("Stop");
const QColor kMissingRed(255, 0, 0);
// Songs whose file is missing are numbered from here on, after the found ones.
constexpr int kFirstMissingKey = 100000;
} // namespace

Songs::Songs()
    : SharedWindow(QStringLiteral("Songs"))
{
}

void Songs::CreateControls()
{
    SongList = control<fw::ListBox>(QStringLiteral("SongList"));
    pbPlay = control<fw::PushButton>(QStringLiteral("pbPlay"));
    pbAdd = control<fw::PushButton>(QStringLiteral("pbAdd"));
    pbArtistInfo = control<fw::PushButton>(QStringLiteral("pbArtistInfo"));
    efNotes = control<fw::EditField>(QStringLiteral("efNotes"));
    ListCells::dropDeletedSongs(*SongList);
    connect(SongList, &fw::ListBox::doubleClick, this, &Songs::SongList_DoubleClick);
    connect(SongList, &fw::ListBox::change, this, &Songs::SongList_Change);
    SongList->CellTextPaint = [this](fw::Graphics& g, int row, int column, int x, int y) {
        return SongList_CellTextPaint(g, row, column, x, y);
    };
    SongList->CompareRows = [this](int row1, int row2, int column, int& result) {
        return SongList_CompareRows(row1, row2, column, result);
    };
    connect(pbPlay, &fw::PushButton::action, this, &Songs::pbPlay_Action);
    connect(pbAdd, &fw::PushButton::action, this, &Songs::pbAdd_Action);
    connect(pbArtistInfo, &fw::PushButton::action, this, &Songs::pbArtistInfo_Action);
}

// ---- the list's events -----------------------------------------------------

void Songs::SongList_DoubleClick()
{
    // A red row's Play button is disabled, but its double-click still takes
    // the missing-file road through the Play action.
    if (SongList->ListIndex() < 0)
        return;
    pbPlay_Action();
}

void Songs::SongList_Change()
{
    if (!DoneLoading)
        return;
    const int row = SongList->ListIndex();
    if (row < 0) {
        efNotes->setText(QString());
        return;
    }
    pbArtistInfo->setEnabled(!SongList->Cell(row, LinkCell).isEmpty());
    const bool missing = !ListCells::found(*SongList, row);
    pbPlay->setEnabled(!missing);
    pbAdd->setEnabled(missing);
    const std::unique_ptr<fw::RecordSet> song = selectSong(row, QStringLiteral("Select Notes from Songs where ID="));
    if (!song)
        Code::toldDatabaseFailure(Code::kReadFailed);
    efNotes->setText(song ? song->Field(QStringLiteral("Notes")).StringValue() : QString());
}

bool Songs::SongList_CellTextPaint(fw::Graphics& g, int row, int column, int x, int y)
{
    Q_UNUSED(column);
    Q_UNUSED(x);
    Q_UNUSED(y);
    if (!ListCells::found(*SongList, row))
        g.ForeColor = kMissingRed;
    return false;
}

bool Songs::SongList_CompareRows(int row1, int row2, int column, int& result)
{
    Q_UNUSED(column);
    if (DoneLoading)
        return false;   // the list's own text order of the sorted column
    const int key1 = sortKey(row1);
    const int key2 = sortKey(row2);
    // Equal keys compare equal, so the sort keeps such rows in read order.
    result = key2 < key1 ? 1 : (key2 == key1 ? 0 : -1);
    return true;
}

// ---- the buttons -----------------------------------------------------------

void Songs::pbPlay_Action()
{
    if (pbPlay->caption() != kPlay) {
        TheCount::instance().StopCounting();
        pbPlay->setCaption(kPlay);
        return;
    }
    const int row = SongList->ListIndex();
    if (row < 0)
        return;
    const std::unique_ptr<fw::RecordSet> song = selectSong(row);
    if (!song) {
        Code::toldDatabaseFailure(Code::kReadFailed);   // else deleted since the list was filled
        return;
    }
    if (!SongPath::found(song->Field(QStringLiteral("Path")).StringValue())) {
        showMissingSongFile(song->Field(QStringLiteral("Title")).StringValue());
        return;
    }
    // The caption says "Stop" whatever the player then makes of the song.
    pbPlay->setCaption(kStop);
    TheCount& player = TheCount::instance();
    player.Show();
    player.TheSongID = *ListCells::idOf(*SongList, row);
    player.StartCounting(0.0, -1.0);
}

void Songs::pbAdd_Action()
{
    const int row = SongList->ListIndex();
    if (row < 0)
        return;
    const std::unique_ptr<fw::RecordSet> song = selectSong(row);
    if (!song) {
        if (!Code::toldDatabaseFailure(Code::kReadFailed))
            fw::Beep();
        return;
    }
    if (song->Field(QStringLiteral("Install")).StringValue().isEmpty()) {
        fw::MsgBox(QStringLiteral("Sorry, there are no instructions to add this song."));
        return;
    }
    AddSong& window = fw::newWindow<AddSong>();
    window.Show();
    window.Init(*ListCells::idOf(*SongList, row));
}

void Songs::pbArtistInfo_Action()
{
    const int row = SongList->ListIndex();
    if (row < 0)
        return;
    const QString link = SongList->Cell(row, LinkCell);
    if (!link.isEmpty())
        fw::ShowURL(link);
}

// ---- opening and closing -----------------------------------------------------

void Songs::Event_Close()
{
    SaveSettings();
    Code::SongsOpen = false;
}

void Songs::Event_Open()
{
    Code::SongsOpen = true;
    DoneLoading = false;
    fw::lowerTextSize({SongList, efNotes, pbArtistInfo, pbPlay, pbAdd});
    efNotes->setText(QString());
    setUpColumns();
    const QPointer<Songs> alive(this);
    LoadList();
    if (!alive || isClosed() || !WindowPlace::restore(*this, QStringLiteral("Songs")))
        return;   // without a settings row the list stays inert
    DoneLoading = true;
    SongList->setListIndex(0);
    if (Code::FirstRun)
        playFirstFoundSong();
}

void Songs::setUpColumns()
{
    SongList->setHeadings(QStringLiteral("Title\tBPM\tArtist\tCD\t"));
    SongList->setColumnWidths(QStringLiteral("170,50,107,150"));
    SongList->setColumnAlignment(0, fw::Alignment::Left);
    SongList->setColumnAlignment(1, fw::Alignment::Center);
    SongList->setColumnAlignment(2, fw::Alignment::Left);
    SongList->setColumnAlignment(3, fw::Alignment::Left);
}

// ---- filling the list ------------------------------------------------------

void Songs::LoadList()
{
    // A reload while this fill yields (a file dropped on a song) empties the
    // list and fills it anew: that fill replaces this one, which stops.
    const quint64 fill = ++m_fills;
    int foundCount = 0;
    int missingCount = kFirstMissingKey;
    bool foundAny = false;
    const QPointer<Songs> alive(this);
    const ListCells::Filling filling(*SongList);
    std::unique_ptr<fw::RecordSet> songs = Code::db->SQLSelect(QStringLiteral("Select * from Songs Order by Title ASC"));
    if (!songs) {
        // An unreadable library is no library without songs.
        Code::toldDatabaseFailure(Code::kReadFailed);
        return;
    }
    // Each field reads the row the cursor stands on: the columns are looked
    // up once, not for every song.
    const fw::DatabaseField title = songs->Field(QStringLiteral("Title"));
    const fw::DatabaseField bpm = songs->Field(QStringLiteral("BPM"));
    const fw::DatabaseField artist = songs->Field(QStringLiteral("Artist"));
    const fw::DatabaseField cd = songs->Field(QStringLiteral("CD"));
    const fw::DatabaseField link = songs->Field(QStringLiteral("Link"));
    const fw::DatabaseField id = songs->Field(QStringLiteral("ID"));
    const fw::DatabaseField path = songs->Field(QStringLiteral("Path"));
    // The songs' files are looked up ahead of their rows, many at a time: a
    // library whose files are not in the system's caches would otherwise
    // wait on the disk once for every song.
    QStringList locations;
    locations.reserve(songs->RecordCount());
    for (; !songs->eof(); songs->MoveNext())
        locations << path.StringValue();
    songs->MoveFirst();
    const std::unique_ptr<fw::LookAhead> files = SongPath::foundAhead(locations);
    for (int song = 0; !songs->eof(); ++song) {
        SongList->AddRow(title.StringValue());
        // New rows go at the end, also when the list was not empty.
        const int row = SongList->LastIndex();
        SongList->setCell(row, 1, bpm.StringValue());
        SongList->setCell(row, 2, artist.StringValue());
        SongList->setCell(row, 3, cd.StringValue());
        SongList->setCell(row, LinkCell, link.StringValue());
        SongList->setCell(row, IDCell, id.StringValue());
        if (files->answer(song)) {
            ListCells::setFound(*SongList, row, true);
            SongList->setCell(row, SortKeyCell, fw::Format(++foundCount, QStringLiteral("000000")));
            foundAny = true;
        } else {
            ListCells::setFound(*SongList, row, false);
            SongList->setCell(row, SortKeyCell, fw::Format(++missingCount, QStringLiteral("000000")));
        }
        songs->MoveNext();
        fw::YieldToEventLoop();
        if (!alive || isClosed() || fill != m_fills)
            return;   // the user closed the window, or a reload took over, while it filled
    }
    SongList->setSortedColumn(0);
    SongList->setColumnSortDirection(0, 1);
    SongList->Sort();
    if (!foundAny)
        showNoSongs();
}

void Songs::SaveSettings()
{
    WindowPlace::save(*this, QStringLiteral("Songs"), true);
}

void Songs::ReloadList()
{
    SongList->DeleteAllRows();
    const QPointer<Songs> alive(this);
    const quint64 fill = m_fills + 1;
    LoadList();
    // A reload that took over while this one filled selects the row itself.
    if (alive && !isClosed() && fill == m_fills)
        SongList->setListIndex(0);
}

// ---- helpers ---------------------------------------------------------------

std::unique_ptr<fw::RecordSet> Songs::selectSong(int row, const QString& statement) const
{
    // A cell that holds no number names no song (no song has ID 0).
    return SongRow::select(ListCells::idOf(*SongList, row).value_or(0), statement);
}

int Songs::sortKey(int row)
{
    // A sort compares each row many times: the keys are read once for each
    // state of the list's cells.
    if (m_sortKeysRevision != SongList->Revision() || int(m_sortKeys.size()) != SongList->ListCount()) {
        m_sortKeys.resize(size_t(SongList->ListCount()));
        for (int r = 0; r < int(m_sortKeys.size()); ++r)
            m_sortKeys[size_t(r)] = SongList->Cell(r, SortKeyCell).toInt();
        m_sortKeysRevision = SongList->Revision();
    }
    return row >= 0 && row < int(m_sortKeys.size()) ? m_sortKeys[size_t(row)] : 0;
}

void Songs::showNoSongs()
{
    SongLocations::instance().Show();
    NoSongs::instance().Show();
}

void Songs::playFirstFoundSong()
{
    const QPointer<Songs> alive(this);
    for (int row = 0; row < SongList->ListCount(); ++row) {
        if (ListCells::found(*SongList, row)) {
            SongList->setListIndex(row);
            pbPlay_Action();
            return;
        }
        fw::YieldToEventLoop();
        if (!alive || isClosed())
            return;
    }
}
