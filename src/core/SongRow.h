#pragma once

// A song read again from the database by its ID, as every window does before
// it acts on a song.

#include "framework/Database.h"

#include <QString>
#include <memory>

namespace SongRow {

// "Select <columns> From Songs where ID=<id>": the cursor on the song's row,
// or null when the select fails or there is no such song.
std::unique_ptr<fw::RecordSet> select(int songID, const QString& columns = QStringLiteral("*"));

} // namespace SongRow
