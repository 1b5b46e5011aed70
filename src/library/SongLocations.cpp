#include "library/SongLocations.h"

#include "core/Code.h"
#include "core/FileTypes.h"
#include "core/SongRow.h"
#include "core/WindowPlace.h"
#include "library/ListCells.h"
#include "library/SongPath.h"
#include "library/Songs.h"

#include "framework/Application.h"
#include "framework/Database.h"
#include "framework/Platform.h"

#include <QPointer>

namespace {
const QColor kMissingText(255, 0, 0);
const QColor kEvenRow(255, 255, 255);
const QColor kOddRow(204, 255, 255);
} // namespace

SongLocations::SongLocations()
    : SharedWindow(QStringLiteral("SongLocations"))
{
}

void SongLocations::CreateControls()
{
    SongList = control<fw::ListBox>(QStringLiteral("SongList"));
    st1 = control<fw::StaticText>(QStringLiteral("st1"));
    SongList->CellTextPaint = [this](fw::Graphics& g, int row, int column, int x, int y) {
        return SongList_CellTextPaint(g, row, column, x, y);
    };
    SongList->CellBackgroundPaint = [this](fw::Graphics& g, int row, int column) {
        return SongList_CellBackgroundPaint(g, row, column);
    };
    ListCells::dropDeletedSongs(*SongList);
    connect(SongList, &fw::Control::opened, this, &SongLocations::SongList_Open);
    connect(SongList, &fw::Control::dropObject, this, &SongLocations::SongList_DropObject);
    connect(SongList, &fw::ListBox::doubleClick, this, &SongLocations::SongList_DoubleClick);
}

bool SongLocations::SongList_CellTextPaint(fw::Graphics& g, int row, int column, int x, int y)
{
    Q_UNUSED(column);
    Q_UNUSED(x);
    Q_UNUSED(y);
    if (!ListCells::found(*SongList, row))
        g.ForeColor = kMissingText;
    return false;
}

bool SongLocations::SongList_CellBackgroundPaint(fw::Graphics& g, int row, int column)
{
    Q_UNUSED(column);
    g.ForeColor = row % 2 == 0 ? kEvenRow : kOddRow;
    g.FillRect(0, 0, g.Width, g.Height);
    return false;
}

void SongLocations::SongList_Open()
{
    SongList->acceptFileDrop(FileTypes::pSpecialAny);
}

// The file dropped on a row becomes that song's location at once.
void SongLocations::SongList_DropObject(const fw::DragItem& item)
{
    const int row = SongList->RowFromXY(item.position.x(), item.position.y());
    if (row < 0) {
        fw::Beep();   // below the rows or on the heading: no song to give it to
        return;
    }
    // A cell that holds no number names no song (no song has ID 0).
    const std::unique_ptr<fw::RecordSet> song = SongRow::selectToChange(ListCells::idOf(*SongList, row).value_or(0));
    if (!song)
        return;
    const QString path = item.folderItem.absolutePath();
    if (!SongRow::storePath(*song, path))
        return;   // the row keeps showing what is stored
    SongList->setCell(row, 1, path);
    ListCells::setFound(*SongList, row, item.folderItem.exists());
    SongList->refresh();
    if (Code::SongsOpen)
        Songs::instance().ReloadList();
}

void SongLocations::SongList_DoubleClick()
{
    const int row = SongList->ListIndex();
    if (row < 0) {
        fw::MsgBox(QStringLiteral("Please double-click on a song."));
        return;
    }
    SongPath::openFolder(SongPath::folderOf(SongList->Cell(row, 1)));
}

void SongLocations::Event_Open()
{
    fw::lowerTextSize({SongList});
    fw::lowerTextSize({st1});
    SongList->setHeight(SongList->height() + 15);
    st1->setTop(st1->top() + 15);
    SongList->setHeadings(QStringLiteral("Title\tLocation\t"));
    SongList->setColumnWidths(QStringLiteral("200,588"));
    SongList->setColumnAlignment(0, fw::Alignment::Left);
    SongList->setColumnAlignment(1, fw::Alignment::Left);
    const QPointer<SongLocations> alive(this);
    LoadList();
    if (!alive || isClosed())
        return;   // the user closed the window while it filled
    SongList->setListIndex(0);
    WindowPlace::restore(*this, QStringLiteral("SongLocations"));
}

void SongLocations::Event_Close()
{
    SaveSettings();
}

// Rows stay in the order of the statement: the list is never sorted.
void SongLocations::LoadList()
{
    const ListCells::Filling filling(*SongList);
    std::unique_ptr<fw::RecordSet> songs = Code::db->SQLSelect(QStringLiteral("Select * from Songs Order by Title"));
    if (!songs) {
        Code::toldDatabaseFailure(Code::kReadFailed);
        return;
    }
    const QPointer<SongLocations> alive(this);
    int r = 0;
    while (!songs->eof()) {
        const QString path = songs->Field(QStringLiteral("Path")).StringValue();
        SongList->AddRow(songs->Field(QStringLiteral("Title")).StringValue());
        SongList->setCell(r, 1, path);
        SongList->setCell(r, ListCells::IDCell, songs->Field(QStringLiteral("ID")).StringValue());
        ListCells::setFound(*SongList, r, SongPath::found(path));
        ++r;
        songs->MoveNext();
        fw::YieldToEventLoop();
        if (!alive || isClosed())
            return;
    }
}

void SongLocations::SaveSettings()
{
    WindowPlace::save(*this, QStringLiteral("SongLocations"), true);
}

void SongLocations::ScrollToSong(const QString& title)
{
    // The row count is read again on every pass: events run between rows,
    // and the user may close the window meanwhile.
    const QPointer<SongLocations> alive(this);
    for (int row = 0; row < SongList->ListCount(); ++row) {
        if (SongList->Cell(row, 0) == title) {
            SongList->setListIndex(row);
            return;
        }
        fw::YieldToEventLoop();
        if (!alive || isClosed())
            return;
    }
    SongList->setListIndex(-1);
}
