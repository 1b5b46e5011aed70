// The song-script file on its own: what the reader makes of sound and
// damaged files, and that the writer's values read back.

#include "library/SongScript.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QByteArray kHead = "Title\nArtist\nCD\nLink\n120\nhome:a:b.wav\nNotes\n1.5\n9.0\n\n\n";
using Rows = QList<QStringList>;
} // namespace

class SongScriptTest : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<Rows>("track");
        const QStringList row1 = {"1", "1.00", "1", "120", "Turn", "", ""};
        const QStringList row2 = {"2", "1.50", "2", "120", "", "Slow\ndown", "x"};
        const QByteArray lines = "1\t1.00\t1\t120\tTurn\t\t\t\n2\t1.50\t2\t120\t\tSlow\u2028down\tx\t\n";
        QTest::newRow("as written") << kHead + lines << QString() << Rows{row1, row2};
        QByteArray crlf = kHead + lines;
        QTest::newRow("CRLF line ends") << crlf.replace("\n", "\r\n") << QString() << Rows{row1, row2};
        QTest::newRow("no track line") << kHead << QString() << Rows{};
        QTest::newRow("blank lines skipped") << kHead + "\n" + lines + "\n\n" << QString() << Rows{row1, row2};
        QTest::newRow("extra values ignored") << kHead + "1\t1.00\t1\t120\tTurn\t\t\tmore\tstill\n" << QString() << Rows{row1};
        QTest::newRow("missing values empty") << kHead + "1\t1.00\t1" << QString() << Rows{{"1", "1.00", "1", "", "", "", ""}};
        QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + kHead << QString() << Rows{};
        const QString fewer = "This file is not a song-script file: it has fewer than 11 lines.";
        QTest::newRow("empty") << QByteArray() << fewer << Rows{};
        QTest::newRow("ten lines") << kHead.left(kHead.size() - 1) << fewer << Rows{};
        const QString binary = "This file is not a song-script file: it does not hold text.";
        QTest::newRow("NUL byte") << kHead + QByteArray("1\t2\0\t3\n", 7) << binary << Rows{};
        QTest::newRow("not UTF-8") << kHead + "1\t\xFF\xFE\t3\n" << binary << Rows{};
        const QString line13 = "Line 13 of the file is not a track line: it must begin with a count, a time and a beat.";
        QTest::newRow("time not a number") << kHead + lines.left(lines.indexOf('\n') + 1) + "2\tsoon\t2\t\n" << line13 << Rows{};
        QTest::newRow("two values") << kHead + "\n1\t2\n" << line13 << Rows{};
        QTest::newRow("infinite count") << kHead + "\ninf\t1\t1\n" << line13 << Rows{};
    }
    void parse()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, problem);
        QFETCH(Rows, track);
        const SongScript::Reading reading = SongScript::parse(content);
        QCOMPARE(reading.problem, problem);
        QCOMPARE(reading.script.has_value(), problem.isEmpty());
        if (!reading.script)
            return;
        QCOMPARE(reading.script->song, QString::fromUtf8(kHead).split('\n').mid(0, 11));
        QCOMPARE(Rows(reading.script->track.begin(), reading.script->track.end()), track);
    }

    void writerReadsBackAndReplaces()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Song.txt");
        SongScript::Writer writer;
        QVERIFY(writer.create(path));
        QStringList song = QString::fromUtf8(kHead).split('\n').mid(0, 11);
        song[0] = "Café\r\nRoyal";
        song[6] = "tab\there";
        writer.writeSong(song);
        writer.writeTrackRow({"1", "1.0", "1", "96.0", "a\nb", "", "c\td"});
        QVERIFY(writer.close());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 13);   // 11 + 1 track line + the end of the last line
        QCOMPARE(lines[0], QByteArray("Caf\xC3\xA9\xE2\x80\xA8Royal"));
        QCOMPARE(lines[11], QByteArray("1\t1.0\t1\t96.0\ta\xE2\x80\xA8" "b\t\tc d\t"));
        file.close();
        const SongScript::Reading reading = SongScript::read(path);
        QVERIFY(reading.script);
        QCOMPARE(reading.script->song[0], QStringLiteral("Café\nRoyal"));
        QCOMPARE(reading.script->song[6], QStringLiteral("tab here"));
        QCOMPARE(reading.script->track.at(0), QStringList({"1", "1.0", "1", "96.0", "a\nb", "", "c d"}));
        // A second export of the song replaces the file whole.
        QVERIFY(writer.create(path));
        writer.writeSong(QStringList(11, "x"));
        QVERIFY(writer.close());
        QCOMPARE(SongScript::read(path).script->song, QStringList(11, "x"));
        QCOMPARE(SongScript::read(dir.filePath("none.txt")).problem, QStringLiteral("Couldn't read the file."));
        QCOMPARE(SongScript::read(dir.path()).problem, QStringLiteral("Couldn't read the file."));
    }
};

QTEST_APPLESS_MAIN(SongScriptTest)
#include "tst_songscript.moc"
