// The movie player on real audio: a synthesised WAV loads with its duration,
// plays with an advancing position, stops where it is, and a file that is not
// audio reports a duration of 0. Each format of a dancer's library plays,
// in a short file that the platform's own encoders make at test time.

#include "framework/MoviePlayer.h"
#include "framework/Window.h"
#include "support/TestEnvironment.h"
#include "support/Windows.h"

#include <QtTest>

namespace {
const char* kLayout = R"({
  "window": { "name": "Stage", "title": "Stage", "width": 100, "height": 100, "visible": false, "menuBar": false },
  "controls": [ { "name": "player", "kind": "MoviePlayer", "left": 200, "top": 0, "width": 10, "height": 10, "visible": false } ]
})";

class Stage : public fw::SharedWindow<Stage> {
public:
    Stage() : SharedWindow(QStringLiteral("Stage")) {}
    fw::MoviePlayer* player() const { return control<fw::MoviePlayer>(QStringLiteral("player")); }
};
} // namespace

class MoviePlayerTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // The temporary copies in the player's folder for them.
    QStringList copies() const
    {
        const QDir folder(fw::MoviePlayer::copyFolder().posixPath());
        return folder.path() == m_dir.filePath(QStringLiteral("cache/Corvantis")) ? folder.entryList(QDir::Files)
                                                                                   : QStringList{"elsewhere: " + folder.path()};
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toUtf8());
        fw::registerLayout(fw::parseLayout(kLayout, QStringLiteral("test")));
        QVERIFY(testing::writeWav(m_dir.filePath(QStringLiteral("two.wav")), 2.0));
        QFile junk(m_dir.filePath(QStringLiteral("junk.mp3")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("this is not audio at all\n");
    }
    void cleanup() { testing::closeAllWindows(); }

    // Seeking works playing or not. The sound ends with its window, and the
    // player goes with it.
    void playsStopsWhereItIsSeeksAndEndsWithItsWindow()
    {
        Stage& stage = Stage::instance();
        QPointer<fw::MoviePlayer> player(stage.player());
        player->open(fw::FolderItem::fromPosixPath(m_dir.filePath(QStringLiteral("two.wav"))));
        QVERIFY(qAbs(player->duration() - 2.0) < 0.05);
        player->play();
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 0.4, 4000);
        QVERIFY(player->isPlaying());
        player->stop();
        const double stoppedAt = player->position();
        QTest::qWait(200);
        QVERIFY(!player->isPlaying() && qAbs(player->position() - stoppedAt) < 0.05);
        player->setPosition(1.0);
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 1.0, 2000);
        player->play();
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 1.05, 4000);
        stage.Close();
        QVERIFY(!player->isPlaying());
        testing::closeAllWindows();
        QVERIFY(player.isNull());
    }

    // Each format of a dancer's library plays to its end, from its start or
    // from a seek. Two seconds of a song loud at its start and quiet after:
    // an MP3 encoder free to vary the bitrate gives the quiet part few bytes.
    void everyLibraryFormatPlays_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("encoder");   // the elements between raw audio and the file
        QTest::addColumn<bool>("damaged");      // bytes that are no audio put in its middle
        QTest::newRow("WAV") << "two.wav" << "wavenc" << false;
        // With no header that gives its length, as many MP3 files have none.
        QTest::newRow("MP3") << "two.mp3" << "lamemp3enc target=bitrate bitrate=128 cbr=true ! id3v2mux" << false;
        QTest::newRow("MP3 with a length header") << "vbr.mp3" << "lamemp3enc target=quality ! xingmux ! id3v2mux" << false;
        const QString varying = "lamemp3enc target=quality quality=0";
        QTest::newRow("MP3 at a varying bitrate, with no length header, tagged at both ends")
            << "vbr-tagged.mp3" << varying + " ! taginject tags=title=Probe ! id3mux write-v1=true" << false;
        QTest::newRow("MP3 at a varying bitrate, with no length header, mono at 22.05 kHz")
            << "vbr-mono.mp3" << "audioconvert ! audioresample ! audio/x-raw,rate=22050,channels=1 ! " + varying << false;
        QTest::newRow("MP3 at a varying bitrate, with no length header, damaged") << "vbr-damaged.mp3" << varying << true;
        QTest::newRow("AAC in .m4a") << "two.m4a" << "voaacenc ! mp4mux" << false;
        QTest::newRow("FLAC") << "two.flac" << "flacenc" << false;
        QTest::newRow("Ogg Vorbis") << "two.ogg" << "vorbisenc ! oggmux" << false;
        QTest::newRow("AIFF") << "two.aiff" << "aiffmux" << false;
    }
    void everyLibraryFormatPlays()
    {
        QFETCH(QString, name);
        QFETCH(QString, encoder);
        QFETCH(bool, damaged);
        const QString path = m_dir.filePath(name);
        const QString failure = testing::encodeAudio(path, encoder, {{testing::Sound::Noise, 5}, {testing::Sound::Silence, 15}});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        if (damaged) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            bytes.insert(bytes.size() / 2, QByteArray(300, 'x'));
            QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
        }
        fw::MoviePlayer* player = Stage::instance().player();
        QVERIFY(player->open(fw::FolderItem::fromPosixPath(path)));
        QVERIFY2(qAbs(player->duration() - 2.0) < 0.15, qPrintable(QString::number(player->duration())));
        // Only an MP3 file that varies its bitrate and tells its length
        // nowhere plays from a copy, in the user's cache folder.
        QCOMPARE(copies().size(), name.startsWith("vbr-") ? 1 : 0);
        QCOMPARE(player->copyProblem(), QString());
        QVERIFY(!player->isPlaying());
        player->play();
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 0.3, 5000);
        QVERIFY(player->isPlaying());
        player->setPosition(1.3);
        QTRY_VERIFY_WITH_TIMEOUT(player->hasEnded(), 5000);
        QVERIFY2(player->position() > 1.9, qPrintable(QString::number(player->position())));
        // A copy played from goes at the end of its play.
        QTRY_COMPARE_WITH_TIMEOUT(copies(), QStringList(), 2000);
        QVERIFY(player->hasEnded() && !player->isPlaying() && player->position() > 1.9);
        QVERIFY2(qAbs(player->duration() - 2.0) < 0.15, qPrintable(QString::number(player->duration())));
    }

    // A file that is not audio fails at once, with a duration of 0; playing
    // it is harmless. The file opened next is judged on its own, and plays.
    void notAudioReportsNoDuration()
    {
        fw::MoviePlayer* player = Stage::instance().player();
        QElapsedTimer clock;
        clock.start();
        player->open(fw::FolderItem::fromPosixPath(m_dir.filePath(QStringLiteral("junk.mp3"))));
        QVERIFY(clock.elapsed() < 4000);
        QCOMPARE(player->duration(), 0.0);
        player->play();
        QCOMPARE(player->position(), 0.0);
        QVERIFY(player->open(fw::FolderItem::fromPosixPath(m_dir.filePath(QStringLiteral("two.wav")))));
        QVERIFY2(qAbs(player->duration() - 2.0) < 0.05, qPrintable(QString::number(player->duration())));
        player->play();
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 0.3, 4000);
    }
};

QTEST_MAIN(MoviePlayerTest)
#include "tst_movieplayer.moc"
