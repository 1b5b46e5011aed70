#include "library/ListCells.h"

#include "framework/ListBox.h"

namespace ListCells {

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
