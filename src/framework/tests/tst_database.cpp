#include "framework/Application.h"
#include "framework/Database.h"
#include "generator/StarterLibrary.h"

#include <QtTest>
#include <sqlite3.h>

class TestDatabase : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<fw::Database> m_db;
    QString m_path;

    qint64 count(const QString& where)
    {
        auto rs = m_db->SQLSelect("SELECT count(*) AS n FROM " + where);
        return rs ? rs->Field("n").IntegerValue() : -1;
    }

private slots:
    // A fresh database as the installer makes it, holding one song, for every test.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath("songs.sdb");
        QVERIFY(starter::createDatabase(m_path, {}));
        m_db = std::make_unique<fw::Database>();
        QVERIFY(m_db->Connect(m_path));
        m_db->SQLExecute("INSERT INTO Songs (Title, BPM, TestStart) VALUES ('First', '12', 12.5)");
    }

    void typedReads_data()
    {
        QTest::addColumn<QString>("select");
        QTest::addColumn<QString>("values");   // as text, integer, real and Boolean
        QTest::newRow("real") << "TestStart AS v FROM Songs" << "12.5|12|12.5|true";
        QTest::newRow("numeric text") << "BPM AS v FROM Songs" << "12|12|12|true";
        QTest::newRow("null") << "NULL AS v" << "|0|0|false";
        QTest::newRow("zero text") << "'0' AS v" << "0|0|0|false";
        QTest::newRow("empty text") << "'' AS v" << "|0|0|false";
        QTest::newRow("word default") << "UseQuickTime AS v FROM Settings" << "True|0|0|true";
        QTest::newRow("word") << "'False' AS v" << "False|0|0|false";
        QTest::newRow("lower word") << "'true' AS v" << "true|0|0|true";
        // Text and numbers joined into statements.
        QTest::newRow("quoted text") << fw::sqlQuoted("Don't ' Stop") + " AS v" << "Don't ' Stop|0|0|false";
        QTest::newRow("decimal comma") << fw::decimalPoint("2,75") + " AS v" << "2.75|2|2.75|true";
        // Values read as another type are converted as the engine converts them.
        QTest::newRow("whole real") << "CAST(3 AS REAL) AS v" << "3.0|3|3|true";
        QTest::newRow("large real") << "1e20 AS v" << "1.0e+20|9223372036854775807|1e+20|true";
        QTest::newRow("negative real") << "-0.1 AS v" << "-0.1|0|-0.1|true";
        QTest::newRow("integer") << "-9223372036854775808 AS v" << "-9223372036854775808|-9223372036854775808|-9.22337e+18|true";
        QTest::newRow("number then text") << "' 12.5abc' AS v" << " 12.5abc|12|12.5|true";
        QTest::newRow("hexadecimal text") << "'0x1A' AS v" << "0x1A|0|0|false";
        QTest::newRow("blob") << "X'31320033' AS v" << QString::fromLatin1("12\0\x33", 4) + "|12|12|true";
        QTest::newRow("empty blob") << "X'' AS v" << "|0|0|false";
        // A U+FEFF that begins a text is a character of it, not a byte order mark.
        QTest::newRow("text beginning with U+FEFF") << "char(65279, 65279) || 'Tango' AS v"
                                                    << QString(2, QChar(0xFEFF)) + "Tango|0|0|false";
        QTest::newRow("long text") << "replace(hex(zeroblob(60000)), '0', 'x') || 'é' AS v"
                                   << QString(120000, 'x') + "é|0|0|false";
    }
    void typedReads()
    {
        QFETCH(QString, select);
        auto rs = m_db->SQLSelect("SELECT " + select);
        QVERIFY2(rs, qPrintable(m_db->ErrorMessage()));
        const auto field = rs->Field("V");
        QTEST(QStringList({field.StringValue(), QString::number(field.IntegerValue()),
                           QString::number(field.DoubleValue()), field.BooleanValue() ? "true" : "false"}).join('|'),
              "values");
        // Unknown columns and reads past the last row read as nothing.
        QCOMPARE(rs->Field("nope").StringValue(), QString());
        QVERIFY(m_db->Error());
        rs->MoveNext();
        QVERIFY(rs->eof() && field.IntegerValue() == 0 && !field.BooleanValue());
    }

    // Edit/Update writes the current row back by its row ID, whatever the
    // columns selected; a record set whose rows are not one table's rows is
    // refused and changes nothing. The other rows stay as they were.
    void editUpdate_data()
    {
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<QString>("select");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("stored");   // none: refused, the first row keeps "First"
        const QStringList second{"INSERT INTO Songs (Title) VALUES ('Second')"};
        const QStringList noKey{"CREATE TABLE Plain (Title TEXT, FirstRun BOOLEAN)",
                                "INSERT INTO Plain VALUES ('First', 1), ('First', 1)"};
        const QStringList oddKey{"CREATE TABLE Odd (rowid TEXT, Title TEXT)", "INSERT INTO Odd VALUES ('7', 'First'), ('7', 'x')"};
        const QStringList noRowIds{"CREATE TABLE Keyed (Title TEXT PRIMARY KEY) WITHOUT ROWID", "INSERT INTO Keyed VALUES ('First')"};
        const struct { const char* name; QStringList setup; const char* select; const char* column; QVariant value; const char* stored; } rows[] = {
            {"bool true", {}, "* FROM Settings", "BeatOn1357", true, "1"},
            {"bool false", {}, "* FROM Settings", "feetonlady", false, "0"},
            {"text", second, "Title, ID FROM Songs", "Title", "It's", "It's"},
            {"alias", second, "ID AS k, TestEnd AS e FROM Songs", "e", 3.25, "3.25"},
            {"key not selected", second, "Title FROM Songs", "Title", "New", "New"},
            {"table alias, all", second, "all s.Title FROM Songs s WHERE s.Title <> ''", "Title", "New", "New"},
            {"table without key", noKey, "* FROM Plain", "FirstRun", false, "0"},
            {"twin rows", noKey, "Title FROM Plain", "Title", "New", "New"},
            {"column named rowid", oddKey, "Title, rowid FROM Odd", "Title", "New", "New"},
            {"without row IDs", noRowIds, "Title FROM Keyed", "Title", "New", ""},
            {"distinct", second, "DISTINCT Title FROM Songs", "Title", "New", ""},
            {"expression", {}, "ID, Title || '' AS Title FROM Songs", "Title", "New", ""},
            {"join", {}, "s.ID, s.Title, t.SongsTop FROM Songs s JOIN Settings t", "Title", "New", ""},
            {"one table's columns of a join", {}, "s.Title FROM Songs s, Settings t", "Title", "New", ""},
            {"subquery", {}, "Title FROM (SELECT * FROM Songs)", "Title", "New", ""},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.setup << row.select << row.column << row.value << row.stored;
    }
    void editUpdate()
    {
        QFETCH(QStringList, setup);
        QFETCH(QString, select);
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(QString, stored);
        for (const QString& statement : setup)
            m_db->SQLExecute(statement);
        const auto stands = [&] {   // the column's texts, row by row, as the table holds them
            QStringList texts;
            for (const auto set = m_db->SQLSelect("SELECT " + select); !set->eof(); set->MoveNext())
                texts << set->Field(column).StringValue();
            return texts;
        };
        QStringList expected = stands();
        if (!stored.isEmpty())
            expected[0] = stored;
        const auto rs = m_db->SQLSelect("SELECT " + select);
        QVERIFY(rs && !rs->eof());
        rs->Edit();
        auto field = rs->Field(column);
        if (value.typeId() == QMetaType::Bool)
            field.setBooleanValue(value.toBool());
        else if (value.typeId() == QMetaType::Double)
            field.setDoubleValue(value.toDouble());
        else
            field.setStringValue(value.toString());
        rs->Field("nope").setIntegerValue(7); // ignored
        rs->Update();
        QCOMPARE(m_db->ErrorMessage(), stored.isEmpty() ? "record set cannot be updated" : "");
        QCOMPARE(field.StringValue(), stored.isEmpty() ? expected[0] : stored);
        QCOMPARE(stands(), expected);
    }

    // A record set answers the rows its select read, whatever happens to
    // the table after; its own edits change only the edited row.
    void rowsStayAsRead()
    {
        m_db->SQLExecute("INSERT INTO Songs (Title, Notes) VALUES ('Second', 'two'), ('Third', 'three')");
        const auto rs = m_db->SQLSelect("SELECT Title, Notes FROM Songs ORDER BY ID");
        m_db->SQLExecute("UPDATE Songs SET Notes = 'changed'");
        m_db->SQLExecute("DELETE FROM Songs WHERE Title = 'Third'");
        const auto rows = [&] {
            QStringList texts;
            for (rs->MoveFirst(); !rs->eof(); rs->MoveNext())
                texts << rs->Field("title").StringValue() + '=' + rs->Field("NOTES").StringValue();
            return texts;
        };
        QCOMPARE(rs->RecordCount(), 3);
        QCOMPARE(rows(), QStringList({"First=", "Second=two", "Third=three"}));
        rs->MoveFirst();
        rs->MoveNext();
        QVERIFY(rs->editInTransaction([&] { rs->Field("Notes").setStringValue(QString(5000, 'n')); }));
        QCOMPARE(rows(), QStringList({"First=", "Second=" + QString(5000, 'n'), "Third=three"}));
    }

    // Every value of a large select reads back as the engine gave it.
    void manyRows()
    {
        const int rows = 20000;
        const auto rs = m_db->SQLSelect(QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                                "WHERE i < %1) SELECT i, 'row ' || i AS t, i / 4.0 AS r FROM n").arg(rows));
        QCOMPARE(rs->RecordCount(), rows);
        const auto i = rs->Field("i");
        const auto t = rs->Field("t");
        const auto r = rs->Field("r");
        int n = 0;
        for (; !rs->eof(); rs->MoveNext()) {
            ++n;
            if (i.IntegerValue() != n || t.StringValue() != QString("row %1").arg(n) || r.DoubleValue() != n / 4.0)
                QFAIL(qPrintable(QString("row %1 reads %2, %3, %4").arg(n).arg(i.IntegerValue()).arg(t.StringValue()).arg(r.DoubleValue())));
        }
        QCOMPARE(n, rows);
    }

    void insertRecord()
    {
        fw::DatabaseRecord song;
        song.Column("Title", "Second");
        song.DoubleColumn("TestEnd", 4.5);
        m_db->InsertRecord("Songs", song);
        QVERIFY(!m_db->Error());
        // Columns not given take the schema's default, not NULL.
        auto rs = m_db->SQLSelect(QString("SELECT Title || '|' || TestEnd || '|' || (Artist IS NOT NULL) AS v"
                                          " FROM Songs WHERE ID=%1").arg(m_db->LastRowID()));
        QCOMPARE(rs->Field("v").StringValue(), "Second|4.5|1");
    }

    // A transaction open before is its owner's to end: a change in a
    // transaction of its own is refused inside it, and a rollback keeps the
    // message of the statement that failed.
    void transactionsAreTheirOwnersToEnd()
    {
        m_db->SQLExecute("BEGIN");
        m_db->SQLExecute("INSERT INTO Songs (Title) VALUES ('Gone')");
        QVERIFY(!m_db->executeInTransaction("UPDATE Songs SET BPM='1'"));
        QVERIFY(m_db->inTransaction() && m_db->inTransaction());   // asking ends nothing
        QCOMPARE(count("Songs WHERE BPM='1'"), 0);
        m_db->SQLExecute("INSERT INTO Nowhere (Title) VALUES ('x')");
        m_db->Rollback();
        m_db->Rollback();   // nothing left to roll back: the message stays
        QVERIFY(m_db->Error() && m_db->ErrorMessage().contains("Nowhere") && !m_db->inTransaction());
        QCOMPARE(count("Songs"), 1);
    }

    // Another program reading the file keeps a commit from going through:
    // the change is rolled back, not left open in a transaction.
    void changeInTransactionOfItsOwn_data()
    {
        QTest::addColumn<QString>("other");      // what a second connection holds meanwhile
        QTest::addColumn<bool>("byRecordSet");   // the change made by Edit/Update, else by a statement
        QTest::addColumn<QString>("error");      // empty: the change is stored
        QTest::newRow("statement") << "" << false << "";
        QTest::newRow("record set") << "" << true << "";
        QTest::newRow("reader, statement") << "BEGIN; SELECT * FROM Songs" << false << "database is locked";
        QTest::newRow("reader, record set") << "BEGIN; SELECT * FROM Songs" << true << "database is locked";
        QTest::newRow("writer, statement") << "BEGIN IMMEDIATE" << false << "database is locked";
        QTest::newRow("refused by a trigger")
            << "CREATE TRIGGER no BEFORE UPDATE ON Songs BEGIN SELECT raise(ABORT, 'not here'); END" << true
            << "not here";
    }
    void changeInTransactionOfItsOwn()
    {
        QFETCH(QString, other);
        QFETCH(bool, byRecordSet);
        QFETCH(QString, error);
        sqlite3* reader = nullptr;
        QCOMPARE(sqlite3_open(m_path.toUtf8().constData(), &reader), SQLITE_OK);
        if (!other.isEmpty())
            QCOMPARE(sqlite3_exec(reader, other.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        bool stored;
        if (byRecordSet) {
            const auto song = m_db->SQLSelect("SELECT Title FROM Songs");
            stored = song->editInTransaction([&] { song->Field("Title").setStringValue("Changed"); });
        } else {
            stored = m_db->executeInTransaction("UPDATE Songs SET Title='Changed'");
        }
        QCOMPARE(stored, error.isEmpty());
        QCOMPARE(m_db->ErrorMessage(), error);
        QVERIFY(!m_db->inTransaction());
        sqlite3_close(reader);
        QCOMPARE(count("Songs WHERE Title='Changed'"), error.isEmpty() ? 1 : 0);
        // The connection is free for the next change.
        QVERIFY(m_db->executeInTransaction("UPDATE Settings SET SongsTop=9"));
    }

    // Nothing else runs while a change is written: the event loop gets no
    // turn. A change the database ended under its work is no success, even
    // when the work goes on: it is told with the failure that ended it.
    void changesAreWrittenWhole()
    {
        bool turned = false;
        QTimer::singleShot(0, [&] { turned = true; });
        QVERIFY(m_db->transaction([&] {
            fw::YieldToEventLoop();
            fw::DoEvents();
            m_db->SQLExecute("UPDATE Songs SET BPM='2'");
            return !turned;
        }));
        QTRY_VERIFY(turned);
        m_db->SQLExecute("CREATE TRIGGER full BEFORE UPDATE ON Settings BEGIN SELECT RAISE(ROLLBACK, 'database or disk "
                         "is full'); END");
        QVERIFY(!m_db->transaction([&] {
            m_db->SQLExecute("UPDATE Songs SET BPM='3'");
            m_db->SQLExecute("UPDATE Settings SET SongsTop=1");
            m_db->SQLExecute("UPDATE Songs SET Title='Later'");
            return true;
        }));
        QCOMPARE(m_db->ErrorMessage(), "database or disk is full");
        QVERIFY(!m_db->inTransaction());
        QCOMPARE(count("Songs WHERE BPM='3'"), 0);
    }

    void oneStatementOnly_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("select");
        QTest::addColumn<bool>("refused");
        QTest::newRow("execute smuggled") << "DELETE FROM Songs WHERE 0; DROP TABLE Songs" << false << true;
        QTest::newRow("select smuggled") << "SELECT 1; DROP TABLE Songs" << true << true;
        QTest::newRow("comment tail") << "SELECT 1; -- note\n/* more */ ;" << true << false;
        QTest::newRow("empty") << "" << false << true;
        QTest::newRow("garbage") << "\x01 sel'ect" << true << true;
    }
    void oneStatementOnly()
    {
        QFETCH(QString, sql);
        QFETCH(bool, select);
        QFETCH(bool, refused);
        if (select)
            QCOMPARE(!m_db->SQLSelect(sql), refused);
        else
            m_db->SQLExecute(sql);
        QCOMPARE(m_db->Error(), refused);
        QCOMPARE(count("Songs"), 1);
    }

    void lockedDatabase()
    {
        sqlite3* other = nullptr;
        sqlite3_open(m_path.toUtf8().constData(), &other);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!m_db->SQLSelect("SELECT * FROM Songs"));
        QVERIFY(m_db->ErrorMessage().contains("locked"));
        QVERIFY(timer.elapsed() > 1500 && timer.elapsed() < 10000); // waited out the busy timeout
        sqlite3_close(other);
        QVERIFY(m_db->SQLSelect("SELECT * FROM Songs"));
    }

    // TheCount's integer affinity turns counts written as text into numbers.
    void countsOrderAsNumbers()
    {
        m_db->SQLExecute("INSERT INTO Track (TheCount) VALUES ('10'), ('9')");
        auto rs = m_db->SQLSelect("SELECT TheCount FROM Track ORDER BY TheCount LIMIT 1");
        QCOMPARE(rs->Field("TheCount").StringValue(), "9");
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
