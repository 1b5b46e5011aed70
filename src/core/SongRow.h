#pragma once

// A song read again from the database by its ID, as every window does before
// it acts on a song.

#include "framework/Database.h"

#include <QString>
#include <memory>

namespace SongRow {

// How most windows read a song: the statement, then the song's ID.
inline const QString kSelectSong = QStringLiteral("Select * From Songs where ID=");

// The statement (ending in "ID=") followed by the song's ID: the cursor on
// the song's row, or null when the select fails or there is no such song.
std::unique_ptr<fw::RecordSet> select(int songID, const QString& statement = kSelectSong);

// The song's row to change, or null after telling the user why there is
// none: what the database said when the select failed, else "Something went
// wrong. Can't find song record.".
std::unique_ptr<fw::RecordSet> selectToChange(int songID);

// Stores a dropped file's path as the song's location, in a transaction of
// its own. A change the database refuses is told with its reason (false).
bool storePath(fw::RecordSet& song, const QString& path);

} // namespace SongRow
