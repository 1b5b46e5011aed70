#include "core/SongRow.h"

#include "core/Code.h"

namespace SongRow {

std::unique_ptr<fw::RecordSet> select(int songID, const QString& columns)
{
    std::unique_ptr<fw::RecordSet> song = Code::db->SQLSelect(
        QStringLiteral("Select %1 From Songs where ID=%2").arg(columns).arg(songID));
    if (!song || song->eof())
        return nullptr;
    return song;
}

} // namespace SongRow
