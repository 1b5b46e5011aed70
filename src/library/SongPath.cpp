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

std::unique_ptr<fw::LookAhead> foundAhead(const QStringList& locations)
{
    // The workers read their own copy of the list.
    return std::make_unique<fw::LookAhead>(int(locations.size()),
                                           [locations](int index) { return found(locations[index]); });
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
