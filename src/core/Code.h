#pragma once

// What the whole program shares: the database connection, the places found
// at start-up, and the flags through which windows learn about each other.

#include "framework/Database.h"
#include "framework/FolderItem.h"
#include "framework/Window.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace Code {

extern std::unique_ptr<fw::Database> db;
extern QString dbPath;                 // POSIX path of the database file
extern fw::FolderItem AppDataFolder;   // <data home>/Corvantis
extern fw::FolderItem fApp;            // the system's applications folder, or none
extern QString HomePage;               // the web site, without a scheme
extern QString UserManualPage;         // the help page, with its scheme

extern bool BeatOn1357;   // light only the counts 1, 3, 5 and 7
extern bool UseQuickTime; // the media-player choice kept in the settings row
extern bool FirstRun;     // this run is the installation's first
extern bool FeetOn;       // the basic-step window has been opened
extern bool TrackOpen;    // the track editor is open
extern bool SongsOpen;    // the song list is open

// The program's web site.
inline const QString kSiteHost = QStringLiteral("corvantis.example.org");
// A page of the web site, with its scheme: sitePage("/melvaro/docs").
QString sitePage(const QString& path);

// 1-based position of the last occurrence of find in source, ignoring case
// (occurrences may overlap); 0 when there is none or either text is empty.
int InstrRev(const QString& source, const QString& find);

// What a read of the songs that the database refused (a locked or damaged
// file) is told with, before the database's own text.
inline const QString kReadFailed = QStringLiteral("Could not read the song database. Error: ");
// When the database's last statement failed: tells the user the failure text
// followed by what the database said, and answers true. A select that gave
// nothing without a failure found no row, which each caller tells its own way.
bool toldDatabaseFailure(const QString& failureText);
// A message for a statement that failed or a select that found nothing:
// " Error: " and the database's text follow it when the statement failed.
QString withDatabaseError(const QString& message);

// What a window tells the open windows about the songs.
class Notices final : public QObject {
    Q_OBJECT
signals:
    // Song set-up has deleted this song with its track. The database gives
    // the song's ID, and its counts' IDs, to the next new song, so every
    // window that holds the ID lets go of it at once: before the user can act
    // again, and so before any new song can take it.
    void songDeleted(int songID);
};
Notices& notices();
// The window closes, unsaved, when song set-up deletes the song whose ID
// songID answers: its ID goes to the next new song.
void closeWithSong(fw::Window& window, std::function<int()> songID);

// Everything back as at program start (tests start each case from here).
void reset();

} // namespace Code
