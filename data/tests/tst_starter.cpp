// The starter library as the installer ships it: the settings row and the
// songs of the database, the exact tracks on the synthesised audio, the foot
// pictures.

#include "generator/StarterLibrary.h"

#include <QImage>
#include <QtTest>
#include <cmath>
#include <sqlite3.h>

using namespace starter;

namespace {

constexpr double lengthScale = 0.1;

constexpr int rate = 22050;

// The samples of a 16-bit mono file at our rate, with the plain 44-byte
// header our writer makes; none for any other file.
std::vector<qint16> readWav(const QString& path)
{
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (bytes.size() < 44 || !bytes.startsWith("RIFF") || qFromLittleEndian<quint32>(bytes.constData() + 24) != rate)
        return {};
    std::vector<qint16> samples((bytes.size() - 44) / 2);
    qFromLittleEndian<qint16>(bytes.constData() + 44, qsizetype(samples.size()), samples.data());
    return samples;
}

// Squared differences of neighbouring samples (sustained low notes count
// little, fresh attacks a lot) in the 5 ms from `time` over the 5 ms before it.
double attackRatio(const std::vector<qint16>& wav, double time)
{
    const qint64 at = std::llround(time * rate);
    const qint64 window = rate / 200;
    const auto energy = [&](qint64 from) {
        double sum = 0.0;
        for (qint64 i = std::max<qint64>(from, 1); i < std::min<qint64>(from + window, qint64(wav.size())); ++i)
            sum += std::pow(double(wav[size_t(i)] - wav[size_t(i - 1)]), 2);
        return sum;
    };
    return energy(at) / std::max(1.0, energy(at - window));
}

QString sqlText(QString text) { return '\'' + text.replace('\'', QLatin1String("''")) + '\''; }

// Every row of the query, its values as text joined by '|'.
QStringList rows(const QString& dbPath, const QString& sql)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    sqlite3_open_v2(dbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr);
    QStringList result;
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(statement); ++c)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)));
        result << row.join('|');
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

} // namespace

class TestStarter : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::vector<DemoSong> m_songs = demoSongs(lengthScale);
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList query(const QString& sql) const { return rows(path(QStringLiteral("Melvaro.sdb")), sql); }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_dir.isValid() && buildStarterLibrary(m_dir.path(), lengthScale, &error), qPrintable(error));
    }

    // A song's path is its bare file name; a song whose audio is not shipped
    // still names its file and tells where to get it. Its counts run 1, 2, ...
    // on beats 1..8 in turn, one beat apart to the hundredth of a second, each
    // inside the audio and, where it is shipped, on an audible attack.
    void songAndTrack_data()
    {
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < m_songs.size(); ++i)
            QTest::newRow(qPrintable(m_songs[i].title)) << int(i);
    }
    void songAndTrack()
    {
        QFETCH(int, index);
        const DemoSong& song = m_songs[size_t(index)];
        QCOMPARE(query("SELECT Path, Install <> '' AND InstallLink <> '' FROM Songs WHERE Title = "
                       + sqlText(song.title)),
                 QStringList{song.fileName + (song.audioShipped ? "|0" : "|1")});
        QVERIFY(!song.fileName.contains('/') && !song.fileName.contains(':'));
        QCOMPARE(QFile::exists(path(song.fileName)), song.audioShipped);
        const std::vector<qint16> wav = readWav(path(song.fileName));
        const double length = song.audioShipped ? double(wav.size()) / rate : song.lengthSeconds;
        const QStringList counts = query("SELECT TheCount, Beat, TheTime = round(TheTime, 2), TheTime FROM Track"
                                         " JOIN Songs ON Songs.ID = SongsID WHERE Path = " + sqlText(song.fileName)
                                         + " ORDER BY TheCount");
        QVERIFY(counts.size() >= 8);
        const auto time = [&](int k) { return counts[k].section('|', 3).toDouble(); };
        for (int k = 0; k < counts.size(); ++k) {
            QCOMPARE(counts[k].section('|', 0, 2), QStringLiteral("%1|%2|1").arg(k + 1).arg(k % 8 + 1));
            QVERIFY(time(k) > 0.0 && time(k) < length);
            if (k > 0)
                QCOMPARE(std::lround((time(k) - time(k - 1)) * 100), std::lround(6000 / song.bpmValue));
            QVERIFY2(!song.audioShipped || attackRatio(wav, time(k)) > 10, qPrintable(QString::number(time(k))));
        }
    }

    // The demo test as a newcomer takes it: the test arms on the first tick
    // (at most 0.1 s late) past ceil(TestStart) - 1 seconds of play; from then
    // on, every 1 heard up to the section's end must be a 1 scored, the first
    // heard the first scored, and the section must end inside the music.
    void testSectionScoresTheOnesHeardOnceArmed_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("as the tests install it") << lengthScale;
        QTest::newRow("half length") << 0.45;
        QTest::newRow("full length") << 1.0;
    }
    void testSectionScoresTheOnesHeardOnceArmed()
    {
        QFETCH(double, scale);
        const std::vector<DemoSong> songs = demoSongs(scale);
        const auto song = std::find_if(songs.begin(), songs.end(), [](const DemoSong& s) { return s.testStart > 0; });
        QVERIFY(song != songs.end());
        const auto onesAfter = [&](double from) {
            QList<double> ones;
            for (const Count& count : song->track)
                if (count.beat == 1 && count.theTime > from && count.theTime <= song->testEnd)
                    ones << count.theTime;
            return ones;
        };
        const double armed = std::ceil(song->testStart) - 1.0;
        QVERIFY(onesAfter(song->testStart).size() >= 2);
        QCOMPARE(onesAfter(armed), onesAfter(song->testStart));
        QCOMPARE(onesAfter(armed + 0.1), onesAfter(song->testStart));
        QVERIFY(song->testEnd < song->lengthSeconds);
        if (scale == lengthScale)
            QCOMPARE(query("SELECT TestStart || '|' || TestEnd FROM Songs WHERE TestStart > 0"),
                     QStringList{QString::number(song->testStart) + '|' + QString::number(song->testEnd)});
    }

    // Dark foot prints on white.
    void footPictures()
    {
        for (const char* file : {"LeftFoot.bmp", "RightFoot.bmp"}) {
            const QImage image(path(file));
            QVERIFY2(!image.isNull() && image.pixelColor(0, 0) == QColor(Qt::white), file);
            int dark = 0;
            for (int i = 0; i < image.width() * image.height(); ++i)
                dark += qGray(image.pixel(i % image.width(), i / image.width())) < 100;
            QVERIFY2(dark > image.width() * image.height() / 5, file);
        }
    }

    void existingDatabaseIsRefused()
    {
        QFile db(path(QStringLiteral("Melvaro.sdb")));
        QVERIFY(db.open(QIODevice::ReadOnly));
        const QByteArray before = db.readAll();
        QString error;
        QVERIFY(!createDatabase(db.fileName(), m_songs, &error) && !error.isEmpty());
        QVERIFY(db.seek(0));
        QCOMPARE(db.readAll(), before);
    }
};

QTEST_GUILESS_MAIN(TestStarter)
#include "tst_starter.moc"
