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

    void connectFails()
    {
        QFile text(m_dir->filePath("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("Not the songs you are looking for.\n") > 0);
        text.close();
        for (const char* name : {"none.sdb", "notes.txt", "."}) {
            fw::Database db;
            QVERIFY2(!db.Connect(m_dir->filePath(name)), name);
            QVERIFY(!db.SQLSelect("SELECT 1"));
            QCOMPARE(db.ErrorMessage(), "database is not open");
        }
        QVERIFY(!QFile::exists(m_dir->filePath("none.sdb")));
    }

    void typedReads_data()
    {
        QTest::addColumn<QString>("select");
        QTest::addColumn<QString>("values");   // as text, integer, real and Boolean
        QTest::newRow("real") << "TestStart AS v FROM Songs" << "12.5|12|12.5|true";
        QTest::newRow("real truncates") << "12.7 AS v" << "12.7|12|12.7|true";
        QTest::newRow("numeric text") << "BPM AS v FROM Songs" << "12|12|12|true";
        QTest::newRow("null") << "NULL AS v" << "|0|0|false";
        QTest::newRow("zero text") << "'0' AS v" << "0|0|0|false";
        QTest::newRow("empty text") << "'' AS v" << "|0|0|false";
        QTest::newRow("word default") << "UseQuickTime AS v FROM Settings" << "True|0|0|true";
        QTest::newRow("word") << "'False' AS v" << "False|0|0|false";
        QTest::newRow("lower word") << "'true' AS v" << "true|0|0|true";
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
        QTest::newRow("bool true") << QStringList() << "* FROM Settings" << "BeatOn1357" << QVariant(true) << "1";
        QTest::newRow("bool false") << QStringList() << "* FROM Settings" << "feetonlady" << QVariant(false) << "0";
        QTest::newRow("text") << second << "Title, ID FROM Songs" << "Title" << QVariant("It's") << "It's";
        QTest::newRow("alias") << second << "ID AS k, TestEnd AS e FROM Songs" << "e" << QVariant(3.25) << "3.25";
        QTest::newRow("key not selected") << second << "Title FROM Songs" << "Title" << QVariant("New") << "New";
        QTest::newRow("table alias, all") << second << "all s.Title FROM Songs s WHERE s.Title <> ''" << "Title"
                                          << QVariant("New") << "New";
        QTest::newRow("table without key") << noKey << "* FROM Plain" << "FirstRun" << QVariant(false) << "0";
        QTest::newRow("twin rows") << noKey << "Title FROM Plain" << "Title" << QVariant("New") << "New";
        QTest::newRow("column named rowid")
            << QStringList{"CREATE TABLE Odd (rowid TEXT, Title TEXT)", "INSERT INTO Odd VALUES ('7', 'First'), ('7', 'x')"}
            << "Title, rowid FROM Odd" << "Title" << QVariant("New") << "New";
        QTest::newRow("without row IDs")
            << QStringList{"CREATE TABLE Keyed (Title TEXT PRIMARY KEY) WITHOUT ROWID", "INSERT INTO Keyed VALUES ('First')"}
            << "Title FROM Keyed" << "Title" << QVariant("New") << "";
        QTest::newRow("distinct") << second << "DISTINCT Title FROM Songs" << "Title" << QVariant("New") << "";
        QTest::newRow("expression") << QStringList() << "ID, Title || '' AS Title FROM Songs" << "Title"
                                    << QVariant("New") << "";
        QTest::newRow("join") << QStringList() << "s.ID, s.Title, t.SongsTop FROM Songs s JOIN Settings t" << "Title"
                              << QVariant("New") << "";
        QTest::newRow("one table's columns of a join") << QStringList() << "s.Title FROM Songs s, Settings t"
                                                      << "Title" << QVariant("New") << "";
        QTest::newRow("subquery") << QStringList() << "Title FROM (SELECT * FROM Songs)" << "Title" << QVariant("New")
                                  << "";
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
        const auto before = m_db->SQLSelect("SELECT " + select);
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
        if (!stored.isEmpty())
            QCOMPARE(field.StringValue(), stored);
        // The columns are the select's own: no row ID added to them.
        QCOMPARE(rs->FieldCount(), before->FieldCount());
        QStringList expected;
        for (; !before->eof(); before->MoveNext())
            expected << before->Field(column).StringValue();
        if (!stored.isEmpty())
            expected[0] = stored;
        QStringList now;
        for (const auto fresh = m_db->SQLSelect("SELECT " + select); !fresh->eof(); fresh->MoveNext())
            now << fresh->Field(column).StringValue();
        QCOMPARE(now, expected);
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
        m_db->InsertRecord("Track", fw::DatabaseRecord());
        QCOMPARE(count(QString("Track WHERE ID=%1").arg(m_db->LastRowID())), 1);
    }

    void rollbackKeepsTheFailedStatementsMessage()
    {
        m_db->SQLExecute("BEGIN");
        m_db->SQLExecute("INSERT INTO Songs (Title) VALUES ('Gone')");
        m_db->SQLExecute("INSERT INTO Nowhere (Title) VALUES ('x')");
        QVERIFY(m_db->inTransaction() && m_db->inTransaction());   // asking ends nothing
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

    void beginInsideATransactionEndsNothing()
    {
        m_db->SQLExecute("BEGIN");
        m_db->SQLExecute("INSERT INTO Songs (Title) VALUES ('Kept')");
        QVERIFY(!m_db->executeInTransaction("UPDATE Songs SET BPM='1'"));
        QVERIFY(m_db->inTransaction());   // the transaction open before is its owner's to end
        m_db->Commit();
        QCOMPARE(count("Songs WHERE Title='Kept' AND BPM<>'1'"), 1);
    }

    void quotingAndDecimals()
    {
        const QString title = "Don't ' Stop";
        m_db->SQLExecute(QString("INSERT INTO Songs (Title, TestEnd) VALUES (%1, %2)")
                             .arg(fw::sqlQuoted(title), fw::decimalPoint("2,75")));
        auto rs = m_db->SQLSelect("SELECT TestEnd FROM Songs WHERE Title = " + fw::sqlQuoted(title));
        QVERIFY2(rs, qPrintable(m_db->ErrorMessage()));
        QCOMPARE(rs->Field("TestEnd").DoubleValue(), 2.75);
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
