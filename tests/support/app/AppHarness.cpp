#include "support/app/AppHarness.h"

#include "core/Code.h"
#include "core/MenuBar1.h"
#include "support/Windows.h"

#include "framework/FolderItem.h"
#include "framework/MenuBar.h"

#include <QTest>

namespace testing {

AppHarness::AppHarness(TestEnvironment::Starter starter, double lengthScale)
    : env(starter, lengthScale)
{
    restart();
}

void AppHarness::restart()
{
    closeAllWindows();
    app.reset();
    Code::reset();
    fake->clear();
    app = std::make_unique<App>();
    app->setMenuBar(&MenuBar1::instance());
    app->ApplicationAddMenuHandlers();
    // The bar outlives each run: give every run the bar as it is built.
    if (fw::MenuItem* exit = mExit()) {
        exit->setText(QStringLiteral("E&xit"));
        exit->setKeyboardShortcut(QStringLiteral("Cmd+Q"));
    }
    for (const char* name : {"mBeatOn1357", "mFeet"}) {
        if (fw::MenuItem* item = MenuBar1::instance().findItem(QLatin1String(name)))
            item->setChecked(false);
    }
    if (fw::MenuItem* item = mSettings())
        item->setVisible(true);
}

AppHarness::~AppHarness()
{
    closeAllWindows();
    app.reset();
    Code::reset();
}

void AppHarness::start() { app->startUp(); }

void AppHarness::startWithoutWindows()
{
    Code::AppDataFolder = fw::FolderItem::fromPosixPath(env.appDataFolder());
    Code::dbPath = env.databasePath();
    Code::HomePage = Code::kSiteHost + QStringLiteral("/melvaro");
    Code::UserManualPage = Code::sitePage(QStringLiteral("/melvaro/docs"));
    if (app->OpenDB())
        app->LoadSettings();
}

int AppHarness::addSong(const QString& title, const QString& posixPath, const std::vector<double>& times,
                        const std::vector<int>& beats, const QStringList& notes, const QStringList& advice)
{
    std::unique_ptr<fw::Database> db = openDatabase();
    fw::DatabaseRecord song;
    song.Column(QStringLiteral("Title"), title);
    song.Column(QStringLiteral("Path"), posixPath.isEmpty() ? QString() : fw::colonPathFromPosix(posixPath, false));
    db->InsertRecord(QStringLiteral("Songs"), song);
    const int id = static_cast<int>(db->LastRowID());
    db->SQLExecute(QStringLiteral("BEGIN"));
    for (size_t k = 0; k < times.size(); ++k) {
        fw::DatabaseRecord row;
        row.IntegerColumn(QStringLiteral("SongsID"), id);
        row.IntegerColumn(QStringLiteral("TheCount"), static_cast<qint64>(k + 1));
        row.DoubleColumn(QStringLiteral("TheTime"), times[k]);
        row.IntegerColumn(QStringLiteral("Beat"), k < beats.size() ? beats[k] : 1);
        row.Column(QStringLiteral("Note"), notes.value(static_cast<int>(k)));
        row.Column(QStringLiteral("Advice"), advice.value(static_cast<int>(k)));
        db->InsertRecord(QStringLiteral("Track"), row);
    }
    db->Commit();
    return id;
}

void AppHarness::quit() { app->_mExit_Action(); }

std::unique_ptr<fw::Database> AppHarness::openDatabase() const
{
    auto db = std::make_unique<fw::Database>();
    if (!db->Connect(env.databasePath()))
        return nullptr;
    return db;
}

QString AppHarness::queryValue(const QString& sql) const
{
    std::unique_ptr<fw::Database> db = openDatabase();
    if (!db)
        return QStringLiteral("<no database>");
    std::unique_ptr<fw::RecordSet> rs = db->SQLSelect(sql);
    if (!rs || rs->eof() || rs->FieldCount() == 0)
        return QStringLiteral("<no row>");
    return rs->Field(rs->columnName(0)).StringValue();
}

OtherProgram::OtherProgram(const AppHarness& h, Hold hold)
    : m_db(h.openDatabase())
{
    if (!m_db)
        qFatal("no database to hold");
    if (hold == Hold::Exclusive) {
        m_db->SQLExecute(QStringLiteral("BEGIN EXCLUSIVE"));
    } else {
        m_db->SQLExecute(QStringLiteral("BEGIN"));
        m_db->SQLSelect(QStringLiteral("Select count(*) from sqlite_master"));
    }
    if (m_db->Error() || !m_db->inTransaction())
        qFatal("the database could not be held: %s", qPrintable(m_db->ErrorMessage()));
}

OtherProgram::~OtherProgram() { m_db->Rollback(); }

std::optional<OtherProgram> makeUnreadable(const AppHarness& h, bool locked)
{
    if (locked)
        return std::optional<OtherProgram>(std::in_place, h, OtherProgram::Hold::Exclusive);
    execute(h, QStringLiteral("Alter Table Songs Rename To Gone"));
    return std::nullopt;
}

QString unreadableMessage(bool locked)
{
    return QStringLiteral("Could not read the song database. Error: ")
        + (locked ? QStringLiteral("database is locked") : QStringLiteral("no such table: Songs"));
}

void addUnreadableRows()
{
    QTest::addColumn<bool>("locked");
    QTest::newRow("library locked") << true;
    QTest::newRow("library damaged") << false;
}

void execute(const AppHarness& h, const QString& sql) { h.openDatabase()->SQLExecute(sql); }

QString songID(const AppHarness& h, const QString& title)
{
    return h.queryValue(QStringLiteral("Select ID from Songs where Title=") + fw::sqlQuoted(title));
}

void startAgain(AppHarness& h)
{
    h.start();
    closeAllWindows();
    Code::FirstRun = false;
}

StatementLog::StatementLog()
{
    Code::db->setStatementObserver([this](const QString& sql) { statements << sql; });
}

StatementLog::~StatementLog()
{
    if (Code::db)
        Code::db->setStatementObserver(nullptr);
}

bool noTransactionOpen()
{
    return !Code::db || !Code::db->inTransaction();
}

QString setting(const AppHarness& h, const QString& columns)
{
    return h.queryValue(QStringLiteral("Select ") + columns.split(QLatin1Char(',')).join(QStringLiteral(" || ',' || "))
                        + QStringLiteral(" from Settings"));
}

QStringList messagesAndBeeps(AppHarness& h)
{
    return h.fake->messageTexts() + QStringList(h.fake->beeps, QStringLiteral("beep"));
}

} // namespace testing
