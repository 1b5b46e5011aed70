#pragma once

// The song database connection: plain SQL text on one SQLite connection.
// Statements never throw; a failed statement leaves Error() true and
// ErrorMessage() holding the engine's text, and a failed select returns null.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace fw {

class RecordSet;

// A value of the current row of a RecordSet, read and set by type.
class DatabaseField {
public:
    QString StringValue() const;
    qint64 IntegerValue() const;
    double DoubleValue() const;
    // 1/0 and the words True/False (any case) read as Booleans.
    bool BooleanValue() const;
    bool isNull() const;
    // Stored as an integer or a real, not as text.
    bool isNumber() const;

    // Setters record a pending value; RecordSet::Update writes it to the row.
    void setStringValue(const QString& value);
    void setIntegerValue(qint64 value);
    void setDoubleValue(double value);
    void setBooleanValue(bool value);

private:
    friend class RecordSet;
    DatabaseField(RecordSet* set, int column) : m_set(set), m_column(column) {}
    RecordSet* m_set;
    int m_column;
};

// A row to insert: column values set by name.
class DatabaseRecord {
public:
    void Column(const QString& name, const QString& value);
    void IntegerColumn(const QString& name, qint64 value);
    void DoubleColumn(const QString& name, double value);
    void BooleanColumn(const QString& name, bool value);

    struct Value {
        QString name;
        enum class Kind { Text, Integer, Double } kind;
        QString text;
        qint64 integer = 0;
        double real = 0.0;
    };
    const std::vector<Value>& values() const { return m_values; }

private:
    void set(Value v);
    std::vector<Value> m_values;
};

class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file. Fails (false) when it is missing, unreadable, locked
    // beyond the busy timeout, or not an SQLite database at all.
    bool Connect(const QString& filePath);
    bool isConnected() const { return m_db != nullptr; }

    // Runs one query; null when it fails. The cursor stands on the first row.
    std::unique_ptr<RecordSet> SQLSelect(const QString& sql);
    // Runs one statement that returns no rows ("BEGIN" and "COMMIT" included).
    void SQLExecute(const QString& sql);
    void InsertRecord(const QString& table, const DatabaseRecord& record);
    qint64 LastRowID() const;
    // The rows the last insert, update or delete changed.
    int changes() const;
    void Commit();
    // Leaves the error of the statement that made the caller roll back
    // readable. With no transaction open (the engine itself may have ended
    // it on the failure) there is nothing to roll back and nothing changes.
    void Rollback();
    // True while a transaction begun on this connection is neither committed
    // nor rolled back. Asking runs no statement and changes nothing.
    bool inTransaction() const;
    // Runs work in a transaction of its own: "BEGIN", work, commit. When
    // work answers false or leaves a statement failed, or the commit is
    // refused (another program reading the file), the whole of it is rolled
    // back with the error left readable, and the answer is false. So is a
    // transaction the engine itself ended under the work (a full disk, an
    // I/O error): what remains of the work is never committed piecemeal. A
    // transaction already open is another operation's: it is left alone and
    // the answer is false, with the error of the refused "BEGIN".
    // The event loop gets no turn while work runs (see writing()).
    bool transaction(const std::function<bool()>& work);
    // True while a transaction() of any connection runs its work. The
    // framework's yields give the event loop no turn then: another window's
    // statements would otherwise run inside the transaction, and a failure
    // of theirs could end it half-way.
    static bool writing();
    // One statement in a transaction of its own.
    bool executeInTransaction(const QString& sql);

    bool Error() const { return m_error; }
    QString ErrorMessage() const { return m_errorMessage; }

    // Hears each statement as the program wrote it, just before it runs, so
    // that the program's own statements can be checked.
    void setStatementObserver(std::function<void(const QString& sql)> observer);

private:
    friend class RecordSet;
    void clearError();
    void setError(const QString& message);
    void setErrorFromEngine();
    void close();
    // The statement when the text holds exactly one; otherwise null with the error set.
    sqlite3_stmt* prepareOne(const QString& sql);
    // The name under which the table's row ID can be selected: "rowid",
    // "_rowid_" or "oid", the first that no other column of the table takes;
    // empty when there is none (a table without row IDs).
    QString rowIdName(const QString& schema, const QString& table);
    sqlite3_stmt* prepareWithRowId(const QString& sql, RecordSet& set);

    sqlite3* m_db = nullptr;
    bool m_error = false;
    QString m_errorMessage;
    std::function<void(const QString& sql)> m_observer;
    bool m_workRunning = false;   // transaction() runs its work
    QString m_endedBy;            // the failure that ended the work's transaction
};

// The rows of a select, read whole when the select runs: the values as the
// engine gave them, kept one row after the other (numbers in place, the
// bytes of texts and blobs beside them), so a select of many rows costs no
// allocation per value. Edit/Update write
// the current row back to its table by its row ID: a select whose columns
// all come from one table can be edited whatever columns it names, since the
// row ID is read alongside them when they do not include it.
class RecordSet {
public:
    ~RecordSet() = default;
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    // True once the cursor is past its last row (the platform's EOF).
    bool eof() const;
    void MoveNext();
    void MoveFirst();
    int RecordCount() const;
    int FieldCount() const;
    QString columnName(int column) const;

    // A field of the current row by column name (case-insensitive).
    DatabaseField Field(const QString& name);

    void Edit();
    void Update();
    // Changes the current row in a transaction of its own: "BEGIN", Edit,
    // the fields set by setFields, Update, commit. When anything of it fails
    // the transaction is rolled back (no transaction stays open, the error
    // stays readable) and the answer is false.
    bool editInTransaction(const std::function<void()>& setFields);

private:
    friend class Database;
    friend class DatabaseField;
    explicit RecordSet(Database* db);
    // Takes the column names and, when they all come from one table, that table.
    void readColumns(sqlite3_stmt* statement);
    // The columns from firstColumn on are the row; rowIdColumn holds its row ID.
    void appendRow(sqlite3_stmt* statement, int firstColumn, int rowIdColumn);
    int columnIndex(const QString& name) const;
    void setPending(int column, const DatabaseRecord::Value& v);

    // A value as read: its type (SQLITE_INTEGER ... SQLITE_NULL) and the
    // number, or the bytes of a text or blob.
    struct Cell {
        union {
            qint64 integer = 0;
            double real;
            const char* bytes;   // never null, also when size is 0
        };
        int size = 0;   // bytes of a text or blob
        int type = 0;
    };
    // The value of the current row's column; null past the last row or for
    // a column that is not there.
    const Cell* cell(int column) const;
    // Column `column` of the statement's current row, its bytes kept.
    Cell keep(sqlite3_stmt* statement, int column);
    const char* keepBytes(const char* data, int size);

    Database* m_db;
    QStringList m_columns;
    QStringList m_originColumns; // each column's name in its table (empty for expressions)
    QString m_schema;         // the database (schema) name of m_table
    QString m_table;          // the one table all columns come from, or empty
    QString m_rowIdName;      // how the row ID is named in statements
    // The values row after row, FieldCount() each; the bytes of their texts
    // and blobs lie in blocks that never move once made.
    std::vector<Cell> m_cells;
    std::vector<std::unique_ptr<char[]>> m_byteBlocks;
    char* m_freeBytes = nullptr;   // the unused end of the last block of short texts
    size_t m_freeByteCount = 0;
    size_t m_byteBlockSize = 0;    // of that block
    int m_rowCount = 0;
    std::vector<qint64> m_rowIds; // each row's row ID (when m_table is set)
    int m_row = 0;
    bool m_editing = false;
    std::vector<std::pair<int, DatabaseRecord::Value>> m_pending;
};

// The one quoting helper for text joined into SQL: the text between single
// quotes, every single quote inside doubled.
QString sqlQuoted(const QString& text);

// Formatted numbers going into statements: a decimal comma becomes a point.
QString decimalPoint(QString statement);

} // namespace fw
