#include "generator/StarterLibrary.h"

#include <QDir>

namespace starter {

bool buildStarterLibrary(const QString& folder, double lengthScale, QString* error)
{
    const auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral(".")))
        return fail(QStringLiteral("Cannot create the folder %1").arg(folder));

    const std::vector<DemoSong> songs = demoSongs(lengthScale);
    QString dbError;
    if (!createDatabase(dir.filePath(QStringLiteral("Melvaro.sdb")), songs, &dbError))
        return fail(dbError);
    for (const DemoSong& song : songs) {
        if (song.audioShipped && !synthesiseSong(song, dir.filePath(song.fileName)))
            return fail(QStringLiteral("Cannot write %1").arg(dir.filePath(song.fileName)));
    }
    if (!drawFootPictures(folder))
        return fail(QStringLiteral("Cannot write the foot pictures into %1").arg(folder));
    return true;
}

} // namespace starter
