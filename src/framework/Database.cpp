#include "framework/Database.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <sqlite3.h>

namespace fw {

namespace {

constexpr int busyTimeoutMs = 2000;

// transaction() calls whose work is running, on any connection.
int s_workRunning = 0;

const char* const notOpenMessage = "database is not open";
const char* const oneStatementMessage = "only one statement may be run at a time";
const char* const noStatementMessage = "no statement to run";
const char* const notUpdatableMessage = "record set cannot be updated";

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

QString quoteIdentifier(const QString& name)
{
    QString doubled = name;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

// True when the text left after the first statement holds nothing that would
// run: blanks, semicolons and comments only.
bool isInertTail(const char* p, const char* end)
{
    while (p < end) {
        const char c = *p;
        if (c == ';' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            ++p;
        } else if (c == '-' && p + 1 < end && p[1] == '-') {
            while (p < end && *p != '\n')
                ++p;
        } else if (c == '/' && p + 1 < end && p[1] == '*') {
            p += 2;
            while (p < end && !(*p == '*' && p + 1 < end && p[1] == '/'))
                ++p;
            p = (p < end) ? p + 2 : end;
        } else {
            return false;
        }
    }
    return true;
}

void bindValue(sqlite3_stmt* statement, int index, const DatabaseRecord::Value& v)
{
    switch (v.kind) {
    case DatabaseRecord::Value::Kind::Text: {
        const QByteArray utf8 = v.text.toUtf8();
        sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    case DatabaseRecord::Value::Kind::Integer:
        sqlite3_bind_int64(statement, index, v.integer);
        break;
    case DatabaseRecord::Value::Kind::Double:
        sqlite3_bind_double(statement, index, v.real);
        break;
    }
}

DatabaseRecord::Value makeValue(const QString& name, DatabaseRecord::Value::Kind kind)
{
    return DatabaseRecord::Value{name, kind, QString(), 0, 0.0};
}

// A value read as another type than its own (a real as text, a text as a
// number) is converted by the engine itself, so that it reads exactly as the
// engine's own conversions give it: "SELECT ?1" on a private in-memory
// database answers the value bound to it.
class EngineConversion {
public:
    EngineConversion()
    {
        if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr) == SQLITE_OK)
            sqlite3_prepare_v2(m_db, "SELECT ?1", -1, &m_statement, nullptr);
    }
    ~EngineConversion()
    {
        sqlite3_finalize(m_statement);
        sqlite3_close_v2(m_db);
    }
    EngineConversion(const EngineConversion&) = delete;
    EngineConversion& operator=(const EngineConversion&) = delete;

    static EngineConversion& instance()
    {
        thread_local EngineConversion conversion;
        return conversion;
    }

    // What read answers for the record set's value bound (none when the
    // engine cannot be asked, which only a lack of memory causes).
    template <class Value, class Read, class Result>
    Result convert(const Value& value, Read read, Result none)
    {
        if (!m_statement)
            return none;
        switch (value.type) {
        case SQLITE_INTEGER:
            sqlite3_bind_int64(m_statement, 1, value.integer);
            break;
        case SQLITE_FLOAT:
            sqlite3_bind_double(m_statement, 1, value.real);
            break;
        case SQLITE_TEXT:
            sqlite3_bind_text(m_statement, 1, value.bytes, value.size, SQLITE_STATIC);
            break;
        case SQLITE_BLOB:
            sqlite3_bind_blob(m_statement, 1, value.bytes, value.size, SQLITE_STATIC);
            break;
        default:
            sqlite3_bind_null(m_statement, 1);
            break;
        }
        const Result result = sqlite3_step(m_statement) == SQLITE_ROW ? read(m_statement) : none;
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        return result;
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
};

const char* const noBytes = "";

// The bytes of texts and blobs are kept in blocks that grow from small (a
// select of one row takes little) to 64 KiB, a size the allocator serves from
// memory it keeps, so that reading one large select after another does not
// ask the system for fresh memory every time.
constexpr size_t firstBlockBytes = 1024;
constexpr size_t lastBlockBytes = 65536;

} // namespace

// ---------------------------------------------------------------- DatabaseField

QString DatabaseField::StringValue() const
{
    const RecordSet::Cell* cell = m_set->cell(m_column);
    if (!cell)
        return QString();
    switch (cell->type) {
    case SQLITE_NULL:
        return QString();
    case SQLITE_INTEGER:
        return QString::number(cell->integer);
    case SQLITE_FLOAT:
        return EngineConversion::instance().convert(
            *cell,
            [](sqlite3_stmt* s) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
                return text ? QString::fromUtf8(text, sqlite3_column_bytes(s, 0)) : QString();
            },
            QString());
    default:
        // fromUtf8 would drop a U+FEFF that begins the text as a byte order
        // mark: a value read keeps every character it was stored with.
        if (cell->size >= 3 && std::memcmp(cell->bytes, "\xEF\xBB\xBF", 3) == 0)
            return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)
                .decode(QByteArrayView(cell->bytes, cell->size));
        return QString::fromUtf8(cell->bytes, cell->size);
    }
}

qint64 DatabaseField::IntegerValue() const
{
    const RecordSet::Cell* cell = m_set->cell(m_column);
    if (!cell || cell->type == SQLITE_NULL)
        return 0;
    if (cell->type == SQLITE_INTEGER)
        return cell->integer;
    return EngineConversion::instance().convert(
        *cell, [](sqlite3_stmt* s) { return sqlite3_column_int64(s, 0); }, qint64(0));
}

double DatabaseField::DoubleValue() const
{
    const RecordSet::Cell* cell = m_set->cell(m_column);
    if (!cell || cell->type == SQLITE_NULL)
        return 0.0;
    if (cell->type == SQLITE_FLOAT)
        return cell->real;
    if (cell->type == SQLITE_INTEGER)
        return double(cell->integer);
    return EngineConversion::instance().convert(
        *cell, [](sqlite3_stmt* s) { return sqlite3_column_double(s, 0); }, 0.0);
}

bool DatabaseField::BooleanValue() const
{
    const RecordSet::Cell* cell = m_set->cell(m_column);
    if (!cell)
        return false;
    switch (cell->type) {
    case SQLITE_NULL:
        return false;
    case SQLITE_INTEGER:
        return cell->integer != 0;
    case SQLITE_FLOAT:
        return cell->real != 0.0;
    default: {
        // Update statements write the words; fields write 1/0.
        const QString text = StringValue().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        return DoubleValue() != 0.0;
    }
    }
}

bool DatabaseField::isNull() const
{
    const RecordSet::Cell* cell = m_set->cell(m_column);
    return !cell || cell->type == SQLITE_NULL;
}

bool DatabaseField::isNumber() const
{
    const RecordSet::Cell* cell = m_set->cell(m_column);
    return cell && (cell->type == SQLITE_INTEGER || cell->type == SQLITE_FLOAT);
}

void DatabaseField::setStringValue(const QString& value)
{
    auto v = makeValue(QString(), DatabaseRecord::Value::Kind::Text);
    v.text = value;
    m_set->setPending(m_column, v);
}

void DatabaseField::setIntegerValue(qint64 value)
{
    auto v = makeValue(QString(), DatabaseRecord::Value::Kind::Integer);
    v.integer = value;
    m_set->setPending(m_column, v);
}

void DatabaseField::setDoubleValue(double value)
{
    auto v = makeValue(QString(), DatabaseRecord::Value::Kind::Double);
    v.real = value;
    m_set->setPending(m_column, v);
}

void DatabaseField::setBooleanValue(bool value)
{
    setIntegerValue(value ? 1 : 0);
}

// ---------------------------------------------------------------- DatabaseRecord

void DatabaseRecord::Column(const QString& name, const QString& value)
{
    auto v = makeValue(name, Value::Kind::Text);
    v.text = value;
    set(v);
}

void DatabaseRecord::IntegerColumn(const QString& name, qint64 value)
{
    auto v = makeValue(name, Value::Kind::Integer);
    v.integer = value;
    set(v);
}

void DatabaseRecord::DoubleColumn(const QString& name, double value)
{
    auto v = makeValue(name, Value::Kind::Double);
    v.real = value;
    set(v);
}

void DatabaseRecord::BooleanColumn(const QString& name, bool value)
{
    IntegerColumn(name, value ? 1 : 0);
}

// A column set twice keeps its last value: the insert names each column once.
void DatabaseRecord::set(Value v)
{
    for (Value& existing : m_values) {
        if (existing.name.compare(v.name, Qt::CaseInsensitive) == 0) {
            existing = std::move(v);
            return;
        }
    }
    m_values.push_back(std::move(v));
}

// ---------------------------------------------------------------- Database

Database::Database() = default;

Database::~Database()
{
    close();
}

void Database::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool Database::Connect(const QString& filePath)
{
    close();
    clearError();
    sqlite3* handle = nullptr;
    const QByteArray path = filePath.toUtf8();
    // Never CREATE: a missing file must fail, not become an empty database.
    const int rc = sqlite3_open_v2(path.constData(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        setError(handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString::fromUtf8(sqlite3_errstr(rc)));
        sqlite3_close_v2(handle);
        return false;
    }
    sqlite3_busy_timeout(handle, busyTimeoutMs);
    m_db = handle;
    // Opening is lazy; only reading the schema shows whether the file is a database.
    auto check = SQLSelect(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!check) {
        const QString message = m_errorMessage;
        close();
        setError(message);
        return false;
    }
    return true;
}

void Database::clearError()
{
    m_error = false;
    m_errorMessage.clear();
}

void Database::setError(const QString& message)
{
    m_error = true;
    m_errorMessage = message;
}

void Database::setErrorFromEngine()
{
    setError(QString::fromUtf8(sqlite3_errmsg(m_db)));
    // A failure the engine ends the transaction on (a full disk, an I/O
    // error) is why the work in it can no longer be stored.
    if (m_workRunning && !inTransaction() && m_endedBy.isEmpty())
        m_endedBy = m_errorMessage;
}

// Prepares exactly one statement; null (with the error set) for anything else.
sqlite3_stmt* Database::prepareOne(const QString& sql)
{
    if (!m_db) {
        setError(QString::fromLatin1(notOpenMessage));
        return nullptr;
    }
    if (m_observer)
        m_observer(sql);
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &raw, &tail) != SQLITE_OK) {
        setErrorFromEngine();
        sqlite3_finalize(raw);
        return nullptr;
    }
    Statement statement(raw);
    if (!statement) {
        setError(QString::fromLatin1(noStatementMessage));
        return nullptr;
    }
    if (!isInertTail(tail, utf8.constData() + utf8.size())) {
        setError(QString::fromLatin1(oneStatementMessage));
        return nullptr;
    }
    return statement.release();
}

std::unique_ptr<RecordSet> Database::SQLSelect(const QString& sql)
{
    clearError();
    Statement statement(prepareOne(sql));
    if (!statement)
        return nullptr;

    std::unique_ptr<RecordSet> set(new RecordSet(this));
    set->readColumns(statement.get());
    int firstColumn = 0;
    int rowIdColumn = -1;
    if (!set->m_table.isEmpty()) {
        // Rows of one table: the same select once more with the table's row
        // ID in front, so that they can be edited whatever columns it names.
        Statement withRowId(prepareWithRowId(sql, *set));
        if (withRowId) {
            statement = std::move(withRowId);
            firstColumn = 1;
            rowIdColumn = 0;
        } else {
            set->m_table.clear();   // not to be edited
        }
    }
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
        set->appendRow(statement.get(), firstColumn, rowIdColumn);
    if (rc != SQLITE_DONE) {
        setErrorFromEngine();
        return nullptr;
    }
    return set;
}

void Database::SQLExecute(const QString& sql)
{
    clearError();
    Statement statement(prepareOne(sql));
    if (!statement)
        return;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        setErrorFromEngine();
}

void Database::InsertRecord(const QString& table, const DatabaseRecord& record)
{
    clearError();
    QString sql = QLatin1String("INSERT INTO ") + quoteIdentifier(table);
    const auto& values = record.values();
    if (values.empty()) {
        sql += QLatin1String(" DEFAULT VALUES");
    } else {
        QStringList names;
        QStringList marks;
        for (const auto& v : values) {
            names << quoteIdentifier(v.name);
            marks << QStringLiteral("?");
        }
        sql += QLatin1String(" (") + names.join(QLatin1Char(',')) + QLatin1String(") VALUES (")
            + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    Statement statement(prepareOne(sql));
    if (!statement)
        return;
    for (int i = 0; i < int(values.size()); ++i)
        bindValue(statement.get(), i + 1, values[size_t(i)]);
    if (sqlite3_step(statement.get()) != SQLITE_DONE)
        setErrorFromEngine();
}

qint64 Database::LastRowID() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int Database::changes() const
{
    return m_db ? sqlite3_changes(m_db) : 0;
}

void Database::Commit()
{
    SQLExecute(QStringLiteral("COMMIT"));
}

void Database::Rollback()
{
    if (!inTransaction())
        return;
    const bool previousError = m_error;
    const QString previousMessage = m_errorMessage;
    SQLExecute(QStringLiteral("ROLLBACK"));
    if (!m_error) {
        m_error = previousError;
        m_errorMessage = previousMessage;
    }
}

bool Database::inTransaction() const
{
    return m_db && !sqlite3_get_autocommit(m_db);
}

void Database::setStatementObserver(std::function<void(const QString& sql)> observer)
{
    m_observer = std::move(observer);
}

bool Database::writing()
{
    return s_workRunning > 0;
}

bool Database::transaction(const std::function<bool()>& work)
{
    SQLExecute(QStringLiteral("BEGIN"));
    if (m_error)
        return false;   // a transaction already open is not ours to end
    bool worked = false;
    {
        ++s_workRunning;
        m_workRunning = true;
        m_endedBy.clear();
        const auto ran = qScopeGuard([this] {
            m_workRunning = false;
            --s_workRunning;
        });
        worked = work();
    }
    if (worked && !m_error && !inTransaction())
        setError(m_endedBy.isEmpty() ? QStringLiteral("the change was abandoned") : m_endedBy);
    if (worked && !m_error)
        Commit();
    else if (!m_error)
        setError(QStringLiteral("the change was abandoned"));
    if (!m_error)
        return true;
    // A commit refused leaves the transaction open as well: nothing may stay
    // open when control goes back to the user.
    Rollback();
    return false;
}

bool Database::executeInTransaction(const QString& sql)
{
    return transaction([&] {
        SQLExecute(sql);
        return true;
    });
}

// A user's column may take one of the names; the engine then gives that
// column's own declaration instead of the row ID's.
QString Database::rowIdName(const QString& schema, const QString& table)
{
    const QByteArray schemaName = schema.toUtf8();
    const QByteArray tableName = table.toUtf8();
    for (const char* name : {"rowid", "_rowid_", "oid"}) {
        const char* declaredType = nullptr;
        int primaryKey = 0;
        if (sqlite3_table_column_metadata(m_db, schemaName.constData(), tableName.constData(), name, &declaredType,
                                          nullptr, nullptr, &primaryKey, nullptr) == SQLITE_OK
            && primaryKey && declaredType && sqlite3_stricmp(declaredType, "INTEGER") == 0)
            return QString::fromLatin1(name);
    }
    return QString();
}

// The select's text with the row ID put first among its columns. Only a
// plain select is rewritten; whatever else (DISTINCT, a compound, a row ID
// that would not be the one table's, a table without row IDs) gives null,
// and the record set is then not to be edited. The error state stays as
// the original select left it.
sqlite3_stmt* Database::prepareWithRowId(const QString& sql, RecordSet& set)
{
    static const QRegularExpression head(QStringLiteral("^\\s*+select\\b\\s*+(?:all\\b\\s*+)?(?!distinct\\b)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = head.match(sql);
    if (!match.hasMatch())
        return nullptr;
    const QString name = rowIdName(set.m_schema, set.m_table);
    if (name.isEmpty())
        return nullptr;
    const QByteArray utf8 = (sql.left(match.capturedEnd()) + name + QLatin1String(", ")
                             + sql.mid(match.capturedEnd())).toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return nullptr;
    }
    Statement statement(raw);
    if (!statement || sqlite3_column_count(raw) != set.m_columns.size() + 1)
        return nullptr;
    const char* table = sqlite3_column_table_name(raw, 0);
    const char* schema = sqlite3_column_database_name(raw, 0);
    if (!table || !schema || set.m_table != QString::fromUtf8(table) || set.m_schema != QString::fromUtf8(schema))
        return nullptr;
    set.m_rowIdName = name;
    return statement.release();
}

// ---------------------------------------------------------------- RecordSet

RecordSet::RecordSet(Database* db) : m_db(db) {}

void RecordSet::readColumns(sqlite3_stmt* statement)
{
    const int count = sqlite3_column_count(statement);
    const char* schema = nullptr;
    const char* table = nullptr;
    bool oneTable = count > 0;
    for (int i = 0; i < count; ++i) {
        m_columns << QString::fromUtf8(sqlite3_column_name(statement, i));
        const char* origin = sqlite3_column_origin_name(statement, i);
        const char* columnTable = sqlite3_column_table_name(statement, i);
        const char* columnSchema = sqlite3_column_database_name(statement, i);
        m_originColumns << QString::fromUtf8(origin);
        if (!origin || !columnTable || !columnSchema) {
            oneTable = false;
        } else if (!table) {
            table = columnTable;
            schema = columnSchema;
        } else if (sqlite3_stricmp(table, columnTable) != 0 || sqlite3_stricmp(schema, columnSchema) != 0) {
            oneTable = false;
        }
    }
    if (!oneTable)
        return;
    m_schema = QString::fromUtf8(schema);
    m_table = QString::fromUtf8(table);
}

void RecordSet::appendRow(sqlite3_stmt* statement, int firstColumn, int rowIdColumn)
{
    const int count = int(m_columns.size());
    for (int i = 0; i < count; ++i)
        m_cells.push_back(keep(statement, firstColumn + i));
    ++m_rowCount;
    if (rowIdColumn >= 0)
        m_rowIds.push_back(sqlite3_column_int64(statement, rowIdColumn));
}

RecordSet::Cell RecordSet::keep(sqlite3_stmt* statement, int column)
{
    // The value is read in place: nothing else uses the statement meanwhile.
    sqlite3_value* value = sqlite3_column_value(statement, column);
    Cell cell;
    cell.type = sqlite3_value_type(value);
    switch (cell.type) {
    case SQLITE_INTEGER:
        cell.integer = sqlite3_value_int64(value);
        break;
    case SQLITE_FLOAT:
        cell.real = sqlite3_value_double(value);
        break;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        // The text as UTF-8, whatever the database's own encoding; the size
        // is asked after the bytes, as the engine wants.
        const auto* data = cell.type == SQLITE_TEXT ? reinterpret_cast<const char*>(sqlite3_value_text(value))
                                                    : static_cast<const char*>(sqlite3_value_blob(value));
        cell.size = data ? sqlite3_value_bytes(value) : 0;
        cell.bytes = keepBytes(data, cell.size);
        break;
    }
    default:
        cell.type = SQLITE_NULL;
        break;
    }
    return cell;
}

const char* RecordSet::keepBytes(const char* data, int size)
{
    if (size <= 0)
        return noBytes;
    const auto needed = size_t(size);
    char* kept;
    if (needed > lastBlockBytes / 4) {
        // A long text or blob gets a block of its own, so that the block of
        // short ones is not left part empty.
        m_byteBlocks.push_back(std::make_unique_for_overwrite<char[]>(needed));
        kept = m_byteBlocks.back().get();
    } else {
        if (needed > m_freeByteCount) {
            m_byteBlockSize = std::clamp(m_byteBlockSize * 2, firstBlockBytes, lastBlockBytes);
            while (m_byteBlockSize < needed)
                m_byteBlockSize *= 2;
            m_byteBlocks.push_back(std::make_unique_for_overwrite<char[]>(m_byteBlockSize));
            m_freeBytes = m_byteBlocks.back().get();
            m_freeByteCount = m_byteBlockSize;
        }
        kept = m_freeBytes;
        m_freeBytes += needed;
        m_freeByteCount -= needed;
    }
    std::memcpy(kept, data, needed);
    return kept;
}

const RecordSet::Cell* RecordSet::cell(int column) const
{
    if (column < 0 || column >= m_columns.size() || eof())
        return nullptr;
    return &m_cells[size_t(m_row) * size_t(m_columns.size()) + size_t(column)];
}

bool RecordSet::eof() const
{
    return m_row >= m_rowCount;
}

void RecordSet::MoveNext()
{
    if (!eof())
        ++m_row;
    m_editing = false;
    m_pending.clear();
}

void RecordSet::MoveFirst()
{
    m_row = 0;
    m_editing = false;
    m_pending.clear();
}

int RecordSet::RecordCount() const
{
    return m_rowCount;
}

int RecordSet::FieldCount() const
{
    return int(m_columns.size());
}

QString RecordSet::columnName(int column) const
{
    return m_columns.value(column);
}

int RecordSet::columnIndex(const QString& name) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

DatabaseField RecordSet::Field(const QString& name)
{
    const int column = columnIndex(name);
    if (column < 0)
        m_db->setError(QStringLiteral("no such column: %1").arg(name));
    return DatabaseField(this, column);
}

void RecordSet::setPending(int column, const DatabaseRecord::Value& v)
{
    if (column < 0)
        return;
    for (auto& entry : m_pending) {
        if (entry.first == column) {
            entry.second = v;
            return;
        }
    }
    m_pending.emplace_back(column, v);
}

void RecordSet::Edit()
{
    m_editing = true;
}

void RecordSet::Update()
{
    m_db->clearError();
    if (!m_db->isConnected()) {
        m_db->setError(QString::fromLatin1(notOpenMessage));
        return;
    }
    if (m_table.isEmpty()) {
        m_db->setError(QString::fromLatin1(notUpdatableMessage));
        return;
    }
    if (eof()) {
        m_db->setError(QStringLiteral("no current record"));
        return;
    }
    m_editing = false;
    if (m_pending.empty())
        return;

    // RETURNING hands back the values as stored (after the column's affinity),
    // which become the record set's own copy of the row, and the row ID,
    // which an edited integer key changes.
    QStringList assignments;
    QStringList returned;
    for (const auto& entry : m_pending) {
        const QString column = quoteIdentifier(m_originColumns[entry.first]);
        assignments << column + QLatin1String("=?");
        returned << column;
    }
    const QString rowId = quoteIdentifier(m_rowIdName);
    const QString sql = QLatin1String("UPDATE ") + quoteIdentifier(m_schema) + QLatin1Char('.')
        + quoteIdentifier(m_table) + QLatin1String(" SET ") + assignments.join(QLatin1Char(',')) + QLatin1String(" WHERE ")
        + rowId + QLatin1String("=? RETURNING ") + returned.join(QLatin1Char(',')) + QLatin1Char(',') + rowId;
    Statement statement(m_db->prepareOne(sql));
    if (!statement)
        return;
    int index = 1;
    for (const auto& entry : m_pending)
        bindValue(statement.get(), index++, entry.second);
    sqlite3_bind_int64(statement.get(), index, m_rowIds[size_t(m_row)]);

    int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_ROW) {
        // The row's new texts are kept beside the others; what the old ones
        // took stays unused until the record set goes.
        const size_t row = size_t(m_row) * size_t(m_columns.size());
        const int count = int(m_pending.size());
        for (int i = 0; i < count; ++i)
            m_cells[row + size_t(m_pending[size_t(i)].first)] = keep(statement.get(), i);
        m_rowIds[size_t(m_row)] = sqlite3_column_int64(statement.get(), count);
        rc = sqlite3_step(statement.get());
    } else if (rc == SQLITE_DONE) {
        m_db->setError(QStringLiteral("the record is no longer in its table"));
        return;
    }
    if (rc != SQLITE_DONE) {
        m_db->setErrorFromEngine();
        return;
    }
    m_pending.clear();
}

// ---------------------------------------------------------------- helpers

QString sqlQuoted(const QString& text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString decimalPoint(QString statement)
{
    statement.replace(QLatin1Char(','), QLatin1Char('.'));
    return statement;
}

bool RecordSet::editInTransaction(const std::function<void()>& setFields)
{
    return m_db->transaction([&] {
        Edit();
        setFields();
        Update();
        return true;
    });
}

} // namespace fw
