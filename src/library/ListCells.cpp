#include "library/ListCells.h"

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

} // namespace ListCells
