#include "core/Code.h"

#include "framework/Platform.h"

namespace Code {

std::unique_ptr<fw::Database> db;
QString dbPath;
fw::FolderItem AppDataFolder;
fw::FolderItem fApp;
QString HomePage;
QString UserManualPage;
bool BeatOn1357 = false;
bool UseQuickTime = false;
bool FirstRun = false;
bool FeetOn = false;
bool TrackOpen = false;
bool SongsOpen = false;

QString sitePage(const QString& path)
{
    return QStringLiteral("https://") + kSiteHost + path;
}

int InstrRev(const QString& source, const QString& find)
{
    if (source.isEmpty() || find.isEmpty())
        return 0;
    // Searching backwards from the end finds the occurrence that begins last.
    return static_cast<int>(source.lastIndexOf(find, -1, Qt::CaseInsensitive)) + 1;
}

bool toldDatabaseFailure(const QString& failureText)
{
    if (!db || !db->Error())
        return false;
    fw::MsgBox(failureText + db->ErrorMessage());
    return true;
}

QString withDatabaseError(const QString& message)
{
    if (!db || !db->Error())
        return message;
    return message + QStringLiteral(" Error: ") + db->ErrorMessage();
}

Notices& notices()
{
    static Notices hub;
    return hub;
}

void closeWithSong(fw::Window& window, std::function<int()> songID)
{
    QObject::connect(&notices(), &Notices::songDeleted, &window, [&window, songID = std::move(songID)](int deleted) {
        if (deleted == songID())
            window.Close();
    });
}

void reset()
{
    db.reset();
    dbPath.clear();
    AppDataFolder = fw::FolderItem();
    fApp = fw::FolderItem();
    HomePage.clear();
    UserManualPage.clear();
    BeatOn1357 = UseQuickTime = FirstRun = FeetOn = TrackOpen = SongsOpen = false;
}

} // namespace Code
