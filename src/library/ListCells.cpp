#include "library/ListCells.h"

#include "core/Code.h"

#include "framework/ListBox.h"
#include "framework/Platform.h"

namespace ListCells {

int selectedSongRow(const fw::ListBox& list)
{
    if (list.ListCount() == 0) {
        fw::Beep();
        return -1;
    }
    const int row = list.ListIndex();
    if (row < 0)
        fw::MsgBox(QStringLiteral("Please click on a song first."));
    return row;
}

std::optional<int> idOf(const fw::ListBox& list, int row)
{
    bool ok = false;
    const int id = list.Cell(row, IDCell).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return id;
}

void setFound(fw::ListBox& list, int row, bool found)
{
    list.setCell(row, FoundCell, found ? QStringLiteral("yes") : QStringLiteral("no"));
}

bool found(const fw::ListBox& list, int row)
{
    return list.Cell(row, FoundCell) == QLatin1String("yes");
}

namespace {
void removeSong(fw::ListBox& list, int songID)
{
    std::vector<int> rows;
    for (int row = 0; row < list.ListCount(); ++row) {
        if (idOf(list, row) == songID)
            rows.push_back(row);
    }
    list.RemoveRows(rows);
}
} // namespace

void dropDeletedSongs(fw::ListBox& list)
{
    QObject::connect(&Code::notices(), &Code::Notices::songDeleted, &list,
                     [&list](int songID) { removeSong(list, songID); });
}

Filling::Filling(fw::ListBox& list)
    : m_list(&list)
{
    m_heard = QObject::connect(&Code::notices(), &Code::Notices::songDeleted, &list,
                               [this](int songID) { m_deleted.push_back(songID); });
}

Filling::~Filling()
{
    QObject::disconnect(m_heard);
    for (const int songID : m_deleted) {
        if (m_list)
            removeSong(*m_list, songID);
    }
}

} // namespace ListCells
