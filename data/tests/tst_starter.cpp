#include "generator/StarterLibrary.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>
#include <memory>
#include <sqlite3.h>

using namespace starter;

namespace {

constexpr double lengthScale = 0.1;

struct Wav {
    int rate = 0, channels = 0, bits = 0;
    std::vector<qint16> samples;
    double seconds() const { return rate ? double(samples.size()) / rate : 0.0; }
};

// Reads the canonical 44-byte header our writer produces, checking that the
// sizes it declares agree with the file.
Wav readWav(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    if (bytes.size() < 44 || !bytes.startsWith("RIFF") || bytes.mid(8, 8) != "WAVEfmt "
        || bytes.mid(36, 4) != "data" || u16(20) != 1 || u32(4) != quint32(bytes.size() - 8)
        || u32(40) != quint32(bytes.size() - 44))
        return {};
    Wav wav{int(u32(24)), u16(22), u16(34), {}};
    wav.samples.resize(size_t(bytes.size() - 44) / 2);
    for (size_t i = 0; i < wav.samples.size(); ++i)
        wav.samples[i] = qFromLittleEndian<qint16>(bytes.constData() + 44 + 2 * i);
    return wav;
}

// Sum of squares over [from, from + count). `bright` differentiates first, so
// that sustained low notes count little and fresh attacks a lot.
double energy(const Wav& wav, qint64 from, qint64 count, bool bright)
{
    const qint64 end = std::min<qint64>(from + count, qint64(wav.samples.size()));
    double sum = 0.0;
    for (qint64 i = std::max<qint64>(from, 1); i < end; ++i) {
        const double v = wav.samples[size_t(i)] - (bright ? wav.samples[size_t(i - 1)] : 0);
        sum += v * v;
    }
    return sum;
}

// Bright energy in the 5 ms from the sample of `time` over the 5 ms before it.
double attackRatio(const Wav& wav, double time)
{
    const qint64 at = std::llround(time * wav.rate);
    const qint64 window = wav.rate / 200;
    return energy(wav, at, window, true) / std::max(1.0, energy(wav, at - window, window, true));
}

struct Db {
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db{nullptr, &sqlite3_close};
    explicit Db(const QString& path)
    {
        sqlite3* opened = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &opened, SQLITE_OPEN_READONLY, nullptr);
        db.reset(opened);
    }
    // Every row of the query, each value with the type SQLite stored.
    QList<QVariantList> rows(const QString& sql) const
    {
        QList<QVariantList> result;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db.get(), sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
            return result;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QVariantList row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                switch (sqlite3_column_type(statement, c)) {
                case SQLITE_INTEGER: row << qint64(sqlite3_column_int64(statement, c)); break;
                case SQLITE_FLOAT: row << sqlite3_column_double(statement, c); break;
                default:
                    row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
                }
            }
            result << row;
        }
        sqlite3_finalize(statement);
        return result;
    }
};

} // namespace

class TestStarter : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::vector<DemoSong> m_songs = demoSongs(lengthScale);
    QString dbPath() const { return m_dir.filePath(QStringLiteral("Melvaro.sdb")); }

    void songRows()
    {
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < m_songs.size(); ++i)
            QTest::newRow(qPrintable(m_songs[i].title)) << int(i);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(buildStarterLibrary(m_dir.path(), lengthScale, &error), qPrintable(error));
    }

    void settingsRow()
    {
        const Db db(dbPath());
        QCOMPARE(db.rows(QStringLiteral("SELECT FirstRun FROM Settings")),
                 QList<QVariantList>{{qint64(1)}});
    }

    void song_data() { songRows(); }
    void song()
    {
        QFETCH(int, index);
        const DemoSong& expected = m_songs[size_t(index)];
        const Db db(dbPath());
        const auto rows = db.rows(QStringLiteral(
            "SELECT Path, BPM, Install, InstallLink, Link FROM Songs WHERE Title = '%1'")
                                      .arg(QString(expected.title).replace('\'', "''")));
        QCOMPARE(rows.size(), 1);
        QStringList row;
        for (const QVariant& value : rows.first())
            row << value.toString();
        QCOMPARE(row[0], expected.fileName);
        QVERIFY(!row[0].contains('/') && row[0].endsWith(QStringLiteral(".wav")));
        QCOMPARE(row[1].toDouble(), expected.bpmValue);
        QVERIFY(row[4].startsWith(QStringLiteral("https://")));
        QCOMPARE(QFile::exists(m_dir.filePath(row[0])), expected.audioShipped);
        QCOMPARE(!row[2].isEmpty() && !row[3].isEmpty(), !expected.audioShipped);
    }

    void track_data() { songRows(); }
    void track()
    {
        QFETCH(int, index);
        const DemoSong& song = m_songs[size_t(index)];
        const Db db(dbPath());
        const auto rows = db.rows(QStringLiteral(
            "SELECT TheCount, TheTime, Beat, Speed, Advice FROM Track JOIN Songs ON Songs.ID = SongsID"
            " WHERE Path = '%1' ORDER BY TheCount").arg(QString(song.fileName).replace('\'', "''")));
        QVERIFY(rows.size() >= 8);
        const double length = song.audioShipped ? readWav(m_dir.filePath(song.fileName)).seconds()
                                                : song.lengthSeconds;
        const int intervalCentis = int(std::lround(6000 / song.bpmValue));
        QVERIFY(rows.first()[1].toDouble() > 0.0);
        bool adviceShown = false, cleared = false;
        for (int k = 0; k < rows.size(); ++k) {
            QCOMPARE(rows[k][0].toInt(), k + 1);
            QCOMPARE(rows[k][2].toInt(), k % 8 + 1);
            QCOMPARE(rows[k][3].toDouble(), song.bpmValue);
            const double time = rows[k][1].toDouble();
            QVERIFY(time == std::round(time * 100) / 100);   // exactly two decimals, not merely close
            if (k > 0)
                QCOMPARE(std::lround((time - rows[k - 1][1].toDouble()) * 100), intervalCentis);
            QVERIFY(time < length);
            const QString advice = rows[k][4].toString();
            cleared = cleared || (adviceShown && advice == QStringLiteral("clear"));
            adviceShown = adviceShown || !advice.isEmpty();
        }
        QVERIFY(cleared);
    }

    void audio_data() { songRows(); }
    void audio()
    {
        QFETCH(int, index);
        const DemoSong& song = m_songs[size_t(index)];
        if (!song.audioShipped)
            QSKIP("This song's audio is not shipped");
        const Wav wav = readWav(m_dir.filePath(song.fileName));
        QCOMPARE(wav.rate, 22050);
        QCOMPARE(wav.channels, 1);
        QCOMPARE(wav.bits, 16);
        QCOMPARE(wav.seconds(), song.lengthSeconds);
        // every count falls on an audible attack, and the 1s are the loudest
        double quietestOne = 1e300, loudestOther = 0.0;
        for (const Count& count : song.track) {
            QVERIFY2(attackRatio(wav, count.theTime) > 10,
                     qPrintable(QStringLiteral("no attack at %1 s").arg(count.theTime)));
            const double hit = energy(wav, std::llround(count.theTime * wav.rate), wav.rate / 20, false);
            if (count.beat == 1)
                quietestOne = std::min(quietestOne, hit);
            else if (count.beat != 5)
                loudestOther = std::max(loudestOther, hit);
        }
        QVERIFY(quietestOne > 2 * loudestOther);
    }

    void testSection()
    {
        const auto withTest = std::find_if(m_songs.begin(), m_songs.end(),
                                           [](const DemoSong& s) { return s.testStart > 0; });
        QVERIFY(withTest != m_songs.end());
        const Db db(dbPath());
        const auto ones = db.rows(QStringLiteral(
            "SELECT TheTime FROM Track JOIN Songs ON Songs.ID = SongsID"
            " WHERE Beat = 1 AND TheTime IN (TestStart, TestEnd) AND TestStart > 0 ORDER BY TheTime"));
        QCOMPARE(ones.size(), 2);
        QCOMPARE(ones[0][0].toDouble(), withTest->testStart);
        QCOMPARE(ones[1][0].toDouble(), withTest->testEnd);
        QVERIFY(withTest->testEnd < readWav(m_dir.filePath(withTest->fileName)).seconds());
    }

    void footPictures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::newRow("left") << QStringLiteral("LeftFoot.bmp") << QSize(31, 31);
        QTest::newRow("right") << QStringLiteral("RightFoot.bmp") << QSize(34, 31);
    }
    void footPictures()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        const QImage image(m_dir.filePath(file));
        QCOMPARE(image.size(), size);
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white));
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 100;
        QVERIFY(dark > image.width() * image.height() / 5);
    }

    void feetAreMirrored()
    {
        const QImage left = leftFootPicture();
        const QImage right = rightFootPicture().copy(1, 0, 31, 31);
        QCOMPARE(right, left.mirrored(true, false));
        QVERIFY(left != left.mirrored(true, false));
    }

    void clickTrack()
    {
        const QString path = m_dir.filePath(QStringLiteral("clicks.wav"));
        QVERIFY(writeClickTrack(path, 2.0, {0.25, 1.5}, 8000));
        const Wav wav = readWav(path);
        QCOMPARE(wav.rate, 8000);
        QCOMPARE(wav.samples.size(), size_t(16000));
        QVERIFY(attackRatio(wav, 0.25) > 20);
        QVERIFY(attackRatio(wav, 1.5) > 20);
        QVERIFY(attackRatio(wav, 1.0) < 2);
    }

    void existingDatabaseIsRefused()
    {
        QFile before(dbPath());
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray content = before.readAll();
        before.close();
        QString error;
        QVERIFY(!createDatabase(dbPath(), m_songs, &error));
        QVERIFY(!error.isEmpty());
        QFile after(dbPath());
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), content);
    }
};

QTEST_GUILESS_MAIN(TestStarter)
#include "tst_starter.moc"
