#include "library/SongPath.h"

#include "core/Code.h"

#include "framework/FolderItem.h"
#include "framework/Platform.h"

namespace SongPath {

bool found(const QString& location)
{
    if (location.isEmpty())
        return false;
    const fw::FolderItem file = fw::FolderItem::fromAbsolutePath(location);
    return file.valid() && file.exists();
}

QString folderOf(const QString& location)
{
    QString searched = location;
    if (searched.endsWith(QLatin1Char(':')))
        searched.chop(1);
    const int n = Code::InstrRev(searched, QStringLiteral(":"));
    return location.left(n);
}

void openFolder(const QString& folderText)
{
    const fw::FolderItem folder = fw::FolderItem::fromAbsolutePath(folderText);
    if (!folder.valid() || !folder.exists()) {
        fw::Beep();
        return;
    }
    fw::OpenFolder(folder);
}

} // namespace SongPath
