#include "generator/StarterLibrary.h"

#include <QFile>
#include <memory>
#include <sqlite3.h>

namespace starter {

namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using DatabaseHandle = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

class Writer {
public:
    explicit Writer(sqlite3* db) : m_db(db) {}

    bool exec(const QByteArray& sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &message) == SQLITE_OK)
            return true;
        m_error = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
        sqlite3_free(message);
        return false;
    }

    Statement prepare(const char* sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return Statement(statement);
    }

    // Binds the values to ?1, ?2 ... in order and runs the statement once.
    template<typename... Values>
    bool run(sqlite3_stmt* statement, const Values&... values)
    {
        sqlite3_reset(statement);
        int index = 0;
        (bind(statement, ++index, values), ...);
        if (sqlite3_step(statement) == SQLITE_DONE)
            return true;
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }

    bool insertSong(sqlite3_stmt* songInsert, sqlite3_stmt* countInsert, const DemoSong& song)
    {
        if (!run(songInsert, song.title, song.artist, song.cd, song.link, song.bpm,
                 song.fileName, song.notes, song.testStart, song.testEnd, song.install,
                 song.installLink))
            return false;
        const qint64 songId = sqlite3_last_insert_rowid(m_db);
        for (const Count& count : song.track) {
            if (!run(countInsert, songId, qint64(count.theCount), count.theTime,
                     qint64(count.beat), count.speed, count.note, count.advice, count.comment))
                return false;
        }
        return true;
    }

    QString error() const { return m_error; }

private:
    static void bind(sqlite3_stmt* statement, int index, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    static void bind(sqlite3_stmt* statement, int index, double value)
    {
        sqlite3_bind_double(statement, index, value);
    }
    static void bind(sqlite3_stmt* statement, int index, qint64 value)
    {
        sqlite3_bind_int64(statement, index, value);
    }

    sqlite3* m_db;
    QString m_error;
};

bool fillDatabase(sqlite3* db, const std::vector<DemoSong>& songs, QString* error)
{
    const QByteArray schema = schemaSql().toUtf8();
    if (schema.isEmpty()) {
        if (error)
            *error = QStringLiteral("The schema is missing from the program");
        return false;
    }
    Writer writer(db);
    // A brand-new file that is deleted if anything fails needs no syncing
    // while it is filled; this keeps the many test installs fast.
    bool ok = writer.exec("PRAGMA synchronous = OFF") && writer.exec(schema)
        && writer.exec("BEGIN");
    const Statement songInsert = writer.prepare(
        "INSERT INTO Songs (Title, Artist, CD, Link, BPM, Path, Notes, TestStart, TestEnd,"
        " Install, InstallLink) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    const Statement countInsert = writer.prepare(
        "INSERT INTO Track (SongsID, TheCount, TheTime, Beat, Speed, Note, Advice, Comment)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    ok = ok && songInsert && countInsert;
    for (size_t i = 0; ok && i < songs.size(); ++i)
        ok = writer.insertSong(songInsert.get(), countInsert.get(), songs[i]);
    ok = ok && writer.exec("COMMIT");
    if (!ok && error)
        *error = writer.error();
    return ok;
}

} // namespace

QString schemaSql()
{
    QFile file(QStringLiteral(":/starter/schema.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool createDatabase(const QString& dbPath, const std::vector<DemoSong>& songs, QString* error)
{
    // Creating the empty file first, exclusively, is what makes an existing
    // database safe: it is refused, never opened, never touched.
    QFile file(dbPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (error)
            *error = QStringLiteral("Cannot create %1: %2").arg(dbPath, file.errorString());
        return false;
    }
    file.close();

    bool ok = false;
    {
        sqlite3* raw = nullptr;
        const int opened = sqlite3_open_v2(dbPath.toUtf8().constData(), &raw,
                                           SQLITE_OPEN_READWRITE, nullptr);
        const DatabaseHandle db(raw);
        if (opened != SQLITE_OK) {
            if (error)
                *error = QString::fromUtf8(raw ? sqlite3_errmsg(raw) : "cannot open");
        } else {
            ok = fillDatabase(db.get(), songs, error);
        }
    }
    if (!ok)
        QFile::remove(dbPath);
    return ok;
}

} // namespace starter
