#pragma once

// The file types the program declares. "special/any" is what its file
// pickers and drop targets ask for: any file at all.

#include <QString>

namespace FileTypes {

struct FileType {
    QString name;
    QString macType;
    QString macCreator;
};

inline const FileType pText{QStringLiteral("text"), QStringLiteral("TEXT"), QStringLiteral("R*ch")};
inline const FileType pSpecialAny{QStringLiteral("special/any"), QStringLiteral("????"), QStringLiteral("????")};

} // namespace FileTypes
