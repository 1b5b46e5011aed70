#include "core/SongRow.h"

#include "core/Code.h"

#include "framework/Platform.h"

namespace SongRow {

std::unique_ptr<fw::RecordSet> select(int songID, const QString& statement)
{
    std::unique_ptr<fw::RecordSet> song = Code::db->SQLSelect(statement + QString::number(songID));
    if (!song || song->eof())
        return nullptr;
    return song;
}

std::unique_ptr<fw::RecordSet> selectToChange(int songID)
{
    std::unique_ptr<fw::RecordSet> song = select(songID);
    if (!song && !Code::toldDatabaseFailure(Code::kReadFailed))
        fw::MsgBox(QStringLiteral("Something went wrong. Can't find song record."));
    return song;
}

bool storePath(fw::RecordSet& song, const QString& path)
{
    if (song.editInTransaction([&] { song.Field(QStringLiteral("Path")).setStringValue(path); }))
        return true;
    Code::toldDatabaseFailure(QStringLiteral("Could not store the song's location. Error: "));
    return false;
}

} // namespace SongRow
