#pragma once

// The file types the program declares for its file pickers and drop
// targets. "special/any" admits any file at all: the song-script import
// takes any file and tells the user when it is no song-script.

#include <QString>

namespace FileTypes {

inline const QString pSpecialAny = QStringLiteral("special/any");

} // namespace FileTypes
