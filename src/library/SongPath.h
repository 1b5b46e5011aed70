#pragma once

// A song's audio file location as stored in Songs.Path: the file's absolute
// path in the colon-separated form, or the empty text for no file.

#include "framework/LookAhead.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace SongPath {

// The song's file is found when the location is not empty, names an
// absolute path, and a file is there.
bool found(const QString& location);

// found() for each of many locations, looked up ahead of the caller, many
// at a time; the answer for locations[i] is answer(i).
std::unique_ptr<fw::LookAhead> foundAhead(const QStringList& locations);

// The folder part of a location: up to and including its last ":" (a final
// ":" is passed over, so home:Music:Album: gives home:Music:); empty when the
// location holds no ":".
QString folderOf(const QString& location);

// Opens the folder in the file manager; beeps when the text names no
// existing folder.
void openFolder(const QString& folderText);

} // namespace SongPath
