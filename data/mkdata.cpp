// corvantis-mkdata <folder>: builds the starter library (the song database,
// the demo songs' audio and the foot pictures) at full length into a folder.
// An old database there is replaced; the installer ships what this writes.

#include "generator/StarterLibrary.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvantis-mkdata <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString database = QDir(folder).filePath(QStringLiteral("Melvaro.sdb"));
    if (QFile::exists(database) && !QFile::remove(database)) {
        std::fprintf(stderr, "corvantis-mkdata: cannot remove the old %s\n", qPrintable(database));
        return 1;
    }
    QString error;
    if (!starter::buildStarterLibrary(folder, 1.0, &error)) {
        std::fprintf(stderr, "corvantis-mkdata: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("Starter library written to %s\n", qPrintable(folder));
    return 0;
}
