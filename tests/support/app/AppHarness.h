#pragma once

// The program as a test runs it: a private data folder (with the starter
// library installed, or without), the fake platform answering every box,
// and the application object, started or not.

#include "core/App.h"
#include "support/FakePlatform.h"
#include "support/TestEnvironment.h"

#include "framework/Database.h"

#include <memory>
#include <optional>

namespace testing {

class AppHarness {
public:
    explicit AppHarness(TestEnvironment::Starter starter = TestEnvironment::Starter::Installed,
                        double lengthScale = 0.1);
    ~AppHarness();

    // Runs the start sequence (the application's Open event).
    void start();
    // The start sequence up to the settings row: the data folder, the
    // database and the flags, but no window opened.
    void startWithoutWindows();
    // Adds a song with its track (times and beats; notes and advice by row)
    // and returns its ID. An empty path stays empty.
    int addSong(const QString& title, const QString& posixPath, const std::vector<double>& times,
                const std::vector<int>& beats, const QStringList& notes = {},
                const QStringList& advice = {});
    // Quits as the Quit command does.
    void quit();
    // A new run of the program on the same data folder: the windows closed,
    // a new application object, the messages seen so far forgotten.
    void restart();

    // A connection of the test's own to the database file, for checks.
    std::unique_ptr<fw::Database> openDatabase() const;
    // One value of the settings row, or of the first row a query gives.
    QString queryValue(const QString& sql) const;

    TestEnvironment env;
    ScopedFakePlatform fake;
    std::unique_ptr<App> app;
};

// Another program holding the database file while this lives: Reading (a
// read transaction: the program reads on, but its commits wait out the busy
// timeout and are refused) or Exclusive (its reads are refused too).
class OtherProgram {
public:
    enum class Hold { Reading, Exclusive };
    OtherProgram(const AppHarness& h, Hold hold);
    ~OtherProgram();

private:
    std::unique_ptr<fw::Database> m_db;
};

// The song library made unreadable: locked by another program (held while
// the answer lives) or damaged (its song table gone); and what the user is
// told then. addUnreadableRows gives a data-driven test the column "locked"
// with a row for each.
std::optional<OtherProgram> makeUnreadable(const AppHarness& h, bool locked);
QString unreadableMessage(bool locked);
void addUnreadableRows();

// The statements the program's own connection runs while this lives.
class StatementLog {
public:
    StatementLog();
    ~StatementLog();
    QStringList statements;
};

// Runs one statement on a connection of the test's own.
void execute(const AppHarness& h, const QString& sql);
// The ID of the first song of this title ("<no row>" when none has it).
QString songID(const AppHarness& h, const QString& title);
// A later run: the program started, the windows it opened closed, and no
// song list that starts a song by itself.
void startAgain(AppHarness& h);
// True when the program's own connection has no transaction left open, as
// every write that fails must leave it. Asking ends nothing.
bool noTransactionOpen();
// Columns of the settings row (named as in "SongsTop, SongsLeft"), their
// values joined by ','.
QString setting(const AppHarness& h, const QString& columns);
// What the user was told: the texts of the boxes shown, in order, then
// "beep" once for each beep.
QStringList messagesAndBeeps(AppHarness& h);

} // namespace testing
