// The player: starting and stopping a song, the tick's rules with the
// position fixed through the movie player's seam, the time label, and real
// audio lighting the counts in order.

#include "core/Code.h"
#include "library/SetupSongs.h"
#include "library/Songs.h"
#include "player/TheCount.h"
#include "tracks/Track.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include <QtTest>

using testing::AppHarness;

namespace {
// The window as the dancer reads it: the counts lit in red ("3", or none)
// and the time, then the eight notes and the advice when any shows.
QString shown(const TheCount& w)
{
    QString lit;
    QStringList notes;
    for (int k = 0; k < 8; ++k) {
        if (w.stCount[k]->textColor() == QColor(255, 0, 0))
            lit += QString::number(k + 1);
        notes << w.stNote[k]->text();
    }
    QString text = lit + ' ' + w.stTime->text();
    if (!notes.join(QString()).isEmpty() || !w.stAdvice->text().isEmpty())
        text += ' ' + notes.join(',') + '|' + w.stAdvice->text();
    return text;
}

// Sets the position the player reports and runs one tick.
void tickAt(TheCount& w, double seconds)
{
    w.qtPlayer->setReportedPosition(seconds);
    w.BeatTimer_Action();
}
} // namespace

class TheCountTest : public QObject {
    Q_OBJECT
    std::unique_ptr<AppHarness> h;
    QString m_wav;

    // A song on a 12-second WAV with the given track; the player started on
    // it, its audio stopped so that the ticks follow the fixed position only.
    TheCount& play(const std::vector<double>& times, const std::vector<int>& beats,
                   const QStringList& noteTexts = {}, const QStringList& advice = {}, double lastDone = -1.0)
    {
        TheCount& w = TheCount::instance();
        w.TheSongID = h->addSong(QStringLiteral("Probe"), m_wav, times, beats, noteTexts, advice);
        w.StartCounting(0.0, lastDone);
        w.qtPlayer->stop();
        return w;
    }

private slots:
    void init()
    {
        h = std::make_unique<AppHarness>();
        h->startWithoutWindows();
        m_wav = h->env.root() + QStringLiteral("/probe.wav");
        QVERIFY(testing::writeWav(m_wav, 12.0));
    }
    void cleanup() { h.reset(); }

    // Track rows "time/beat/note/advice"; steps are positions ticked at, or
    // "odd"/"all" for the Beat Only on 1,3,5,7 choice; what shows after each.
    void display_data()
    {
        QTest::addColumn<QStringList>("track");
        QTest::addColumn<double>("lastDone");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        const QStringList oneToFour{"1/1", "2/2", "3/3", "5/4"};
        QTest::newRow("on a row, between rows, no row twice") << oneToFour << -1.0 << QStringList{"1", "2", "2.5", "4.5"}
                                                              << QStringList{"1 0:01", "2 0:02", "2 0:02", "3 0:04"};
        QTest::newRow("several rows passed at once") << QStringList{"1/1", "1.5/2", "2/3", "2.5/4", "4/5"} << -1.0
                                                     << QStringList{"1", "2.6"} << QStringList{"1 0:01", "4 0:02"};
        const QStringList equal{"1/1", "2/2", "2/3", "3/4"};
        QTest::newRow("equal times, reached") << equal << -1.0 << QStringList{"2", "2.1"}
                                              << QStringList{"2 0:02", "2 0:02"};
        QTest::newRow("equal times, passed") << equal << -1.0 << QStringList{"2.1"} << QStringList{"3 0:02"};
        // Times out of order: the row before the first one at or after the position.
        QTest::newRow("out of order") << QStringList{"1/1", "3/2", "2/3"} << -1.0 << QStringList{"2.5"}
                                      << QStringList{"1 0:02"};
        QTest::newRow("notes and advice")
            << QStringList{"1/1/n1/Step back", "2/2/n2", "3/3/n3", "4/4/n4/clear", "5/5/n5/Turn", "6/5"} << -1.0
            << QStringList{"0.5", "1", "2", "4", "5", "6"}
            << QStringList{" -", "1 0:01 n1,,,,,,,|Step back", "2 0:02 n1,n2,,,,,,|Step back",
                           "4 0:04 n1,n2,,n4,,,,|", "5 0:05 ,n2,,n4,n5,,,|Turn", "5 0:06 ,n2,,n4,,,,|Turn"};
        QTest::newRow("odd beats only, then all") << QStringList{"1/3", "2/4/four", "3/8/eight", "4/5"} << -1.0
            << QStringList{"odd", "1", "2", "3", "all", "4"}
            << QStringList{" -", "3 0:01", " 0:02 ,,,four,,,,|", " 0:03 ,,,,,,,eight|", " 0:03 ,,,,,,,eight|",
                           "5 0:04 ,,,,,,,eight|"};
        QTest::newRow("beats 0 and 9 move only the time") << QStringList{"1/2/two/keep", "2/0/zero/x", "3/9/nine/y"}
            << -1.0 << QStringList{"1", "3"} << QStringList{"2 0:01 ,two,,,,,,|keep", "2 0:03 ,two,,,,,,|keep"};
        QTest::newRow("past the end") << oneToFour << -1.0 << QStringList{"1.5", "7"} << QStringList{"1 0:01", "4 0:07"};
        QTest::newRow("lastDone keeps earlier rows dark") << oneToFour << 2.0 << QStringList{"1", "2.5", "3"}
                                                          << QStringList{" -", " -", "3 0:03"};
        QTest::newRow("lastDone -1 lights the row at 0") << QStringList{"0/1", "1/2"} << -1.0 << QStringList{"0"}
                                                         << QStringList{"1 0:00"};
        QTest::newRow("time: negative kept, fraction and hours dropped")
            << QStringList{"-5/1", "59.9/2", "65/3", "3600/4", "3725/5"} << -10.0
            << QStringList{"-5", "59.9", "65", "3600", "3725"} << QStringList{"1 -", "2 0:59", "3 1:05", "4 0:00", "5 2:05"};
    }
    void display()
    {
        QFETCH(QStringList, track);
        QFETCH(double, lastDone);
        QFETCH(QStringList, steps);
        std::vector<double> times;
        std::vector<int> beats;
        QStringList notes, advice;
        for (const QString& row : track) {
            times.push_back(row.section('/', 0, 0).toDouble());
            beats.push_back(row.section('/', 1, 1).toInt());
            notes << row.section('/', 2, 2);
            advice << row.section('/', 3, 3);
        }
        TheCount& w = play(times, beats, notes, advice, lastDone);
        w.stTime->setText(QStringLiteral("-"));
        QStringList seen;
        for (const QString& step : steps) {
            if (step == "odd" || step == "all")
                Code::BeatOn1357 = step == "odd";   // takes effect from the next count
            else
                tickAt(w, step.toDouble());
            seen << shown(w);
        }
        QTEST(seen, "expected");
        // Past the last row the timer stops; the music plays on.
        QCOMPARE(w.BeatTimer->mode() == fw::Timer::ModeOff, QTest::currentDataTag() == QByteArray("past the end"));
    }

    void startFailuresAreTold()
    {
        QFile junk(h->env.root() + QStringLiteral("/junk.mp3"));
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("not audio") > 0);
        junk.close();
        const QString missing = QStringLiteral("Can't find song file. Please check the location setting.");
        TheCount& w = TheCount::instance();
        for (const auto& [path, times] : std::vector<std::pair<QString, std::vector<double>>>{
                 {m_wav, {}}, {h->env.root() + QStringLiteral("/gone.wav"), {1.0}}, {QString(), {1.0}},
                 {junk.fileName(), {1.0}}}) {
            w.TheSongID = h->addSong(QStringLiteral("Probe"), path, times, {1});
            w.StartCounting(0.0, -1.0);
        }
        QCOMPARE(w.BeatTimer->mode(), fw::Timer::ModeOff);
        QVERIFY(w.Times.empty());
        // The song after the file the player could not open plays.
        w.TheSongID = h->addSong(QStringLiteral("Probe"), m_wav, {11.0}, {1});
        w.StartCounting(0.0, -1.0);
        QVERIFY(w.BeatTimer->mode() == fw::Timer::ModeMultiple && w.qtPlayer->isPlaying());
        testing::makeUnreadable(*h, false);   // a damaged library is not a missing song
        w.StartCounting(0.0, -1.0);
        QCOMPARE(h->fake->messageTexts(),
                 QStringList({"No song track found.", missing, missing,
                              "QuickTime cannot open this song file. Please check the location and for any odd "
                              "characters in the filename.", testing::unreadableMessage(false)}));
        QCOMPARE(w.Times, std::vector<double>{11.0});   // the song playing plays on
    }

    // A start the player refuses, while another song plays, leaves that play
    // as it was: its song's ID and the last count it showed. The refused
    // song's editor follows nothing, and deleting the playing song stops it.
    void aRefusedStartLeavesTheRunningPlay_data()
    {
        QTest::addColumn<bool>("fromTheEditor");
        QTest::addColumn<QString>("told");
        QTest::newRow("the editor's Play, the song's file missing")
            << true << "Can't find song file. Please check the location setting.";
        QTest::newRow("the song list's Play, a song without a track") << false << "No song track found.";
    }
    void aRefusedStartLeavesTheRunningPlay()
    {
        QFETCH(bool, fromTheEditor);
        h->start();
        std::vector<double> times;
        std::vector<int> beats;
        for (int k = 0; k < 20; ++k) {
            times.push_back(0.5 + 0.5 * k);
            beats.push_back(k % 8 + 1);
        }
        const int playing = h->addSong(QStringLiteral("Playing"), m_wav, times, beats);
        const int refused = fromTheEditor
            ? h->addSong(QStringLiteral("Gone"), h->env.root() + QStringLiteral("/gone.wav"), times, beats)
            : h->addSong(QStringLiteral("Trackless"), m_wav, {}, {});
        Songs& songs = Songs::instance();
        songs.ReloadList();
        const auto rowOf = [&songs](int id) {
            return int(testing::columnTexts(songs.SongList, 99).indexOf(QString::number(id)));
        };
        Track& editor = Track::instance();
        editor.LoadTrack(fromTheEditor ? refused : playing);
        // The one song plays from the other window.
        if (fromTheEditor) {
            songs.SongList->setListIndex(rowOf(playing));
            songs.pbPlay->push();
        } else {
            editor.TrackList->setListIndex(0);
            editor.pbPlayFrom->push();
        }
        TheCount& player = TheCount::instance();
        QTRY_VERIFY(player.LastTimeDone >= 1.0);
        h->fake->clear();
        if (fromTheEditor) {
            editor.TrackList->setListIndex(5);
            editor.pbPlayFrom->push();
        } else {
            songs.SongList->setListIndex(rowOf(refused));
            songs.pbPlay->push();
        }
        const double shown = player.LastTimeDone;
        QTEST(h->fake->lastMessage(), "told");
        QCOMPARE(player.TheSongID, playing);
        QVERIFY(player.isCounting());
        QVERIFY(shown >= 1.0);
        QTRY_VERIFY(player.LastTimeDone > shown + 0.6);
        if (fromTheEditor)
            QCOMPARE(editor.TrackList->SelectedRows(), std::vector<int>{5});   // it follows nothing
        h->fake->answers = {fw::MsgAnswer::Ok, fw::MsgAnswer::Ok};
        h->app->chooseMenuItem("mSetupSongs");
        SetupSongs& setup = SetupSongs::instance();
        setup.List->setListIndex(int(testing::columnTexts(setup.List, 99).indexOf(QString::number(playing))));
        setup.pbDeleteSong->push();
        QVERIFY(!player.isCounting());
        testing::closeAllWindows();
    }

    // While the player tells that the library could not be read for a start
    // it refuses, the song playing is still its song: the refused song's ID
    // would have the open track editor follow this music meanwhile.
    void aLibraryFailureToldWhileAnotherSongPlays_data() { testing::addUnreadableRows(); }
    void aLibraryFailureToldWhileAnotherSongPlays()
    {
        QFETCH(bool, locked);
        TheCount& player = play({0.5, 1.0, 1.5}, {1, 2, 3});
        const int playing = player.TheSongID;
        const int refused = h->addSong(QStringLiteral("Refused"), m_wav, {0.5}, {1});
        QVERIFY(player.isCounting());
        std::vector<int> songWhileTold;
        h->fake->whileShown = [&](const fw::MessageRequest&) { songWhileTold.push_back(player.TheSongID); };
        {
            const auto unreadable = testing::makeUnreadable(*h, locked);
            player.TheSongID = refused;
            player.StartCounting(0.0, -1.0);
        }
        h->fake->whileShown = nullptr;
        QCOMPARE(h->fake->messageTexts(), QStringList{testing::unreadableMessage(locked)});
        QCOMPARE(songWhileTold, std::vector<int>{playing});
        QCOMPARE(player.TheSongID, playing);
        QVERIFY(player.isCounting());
    }

    // A start later in the song begins a second early.
    void startPositions()
    {
        TheCount& w = TheCount::instance();
        for (const auto& [start, expected] : {std::pair{5.25, 4.25}, {-1.0, 0.0}, {0.5, 0.0}}) {
            w.TheSongID = h->addSong(QStringLiteral("Probe"), m_wav, {1.0, 2.0}, {1, 2});
            w.StartCounting(start, -1.0);
            w.qtPlayer->stop();
            QTRY_VERIFY(qAbs(w.qtPlayer->position() - expected) < 0.15);
        }
    }

    // Stop keeps the display; closing the window ends the play with it; only
    // an open song list has its Play button reset.
    void stopAndCloseEndThePlay()
    {
        h->start();
        Songs& songs = Songs::instance();
        TheCount& w = play({1.0, 2.0}, {1, 2});
        tickAt(w, 1.0);
        songs.pbPlay->setCaption(QStringLiteral("Stop"));
        w.StopCounting();
        QVERIFY(w.BeatTimer->mode() == fw::Timer::ModeOff && songs.pbPlay->caption() == "Play");
        tickAt(w, 2.0);
        QCOMPARE(shown(w), QStringLiteral("1 0:01"));   // a stopped player's tick does nothing
        w.StartCounting(0.0, -1.0);
        QTRY_VERIFY(w.qtPlayer->position() > 0.1);
        songs.pbPlay->setCaption(QStringLiteral("Stop"));
        w.Close();
        QVERIFY(!w.qtPlayer->isPlaying() && songs.pbPlay->caption() == "Play");
        songs.Close();
        TheCount::instance().StopCounting();
        QVERIFY(!Songs::isOpen());
        testing::closeAllWindows();
    }

    // The player waits on the event loop while a song's file loads. A Stop
    // pressed then ends the play for good; neither a tick nor another start
    // then reads one song's track against another song's audio.
    void whileTheFileLoads_data()
    {
        QTest::addColumn<QString>("during");
        for (const char* during : {"tick", "stop", "start"})
            QTest::newRow(during) << QString(during);
    }
    void whileTheFileLoads()
    {
        QFETCH(QString, during);
        const QString nextWav = h->env.root() + "/next.wav", shortWav = h->env.root() + "/short.wav";
        QVERIFY(testing::writeWav(nextWav, 6.0) && testing::writeWav(shortWav, 3.0));
        TheCount& w = play({1.0, 2.0, 3.0}, {1, 2, 3});
        tickAt(w, 1.0);
        const int next = h->addSong(QStringLiteral("Next"), nextWav, {5.0}, {5});
        const int other = h->addSong(QStringLiteral("Other"), shortWav, {0.2, 0.4}, {7, 8});
        QString seen;   // during the load: opening, the timer off, then what a tick lit
        QTimer::singleShot(0, &w, [&] {
            seen = QString::number(w.qtPlayer->isOpening()) + QString::number(w.BeatTimer->mode() == fw::Timer::ModeOff);
            if (during == "tick") {
                tickAt(w, 3.0);
                seen += ' ' + shown(w);
            } else if (during == "stop") {
                w.StopCounting();
            } else {
                w.TheSongID = other;
                w.StartCounting(0.0, -1.0);
            }
        });
        w.TheSongID = next;
        w.StartCounting(0.0, -1.0);
        QCOMPARE(seen, QString(during == "tick" ? "11 1 0:01" : "11"));
        QCOMPARE(h->fake->messageTexts(), QStringList());
        if (during == "stop") {
            QTest::qWait(300);   // nothing starts later either
            QVERIFY(w.BeatTimer->mode() == fw::Timer::ModeOff && !w.qtPlayer->isPlaying());
        } else {
            const bool tick = during == "tick";
            QCOMPARE(w.Times, (tick ? std::vector<double>{5.0} : std::vector<double>{0.2, 0.4}));
            QVERIFY(qAbs(w.qtPlayer->duration() - (tick ? 6.0 : 3.0)) < 0.05);
        }
    }

    void realAudioLightsEveryCountInOrder_data()
    {
        QTest::addColumn<QString>("encoder");   // none: the 12-second WAV
        QTest::addColumn<int>("counts");
        QTest::newRow("WAV") << "" << 12;
        // Two seconds, loud and then quiet: a length guessed from the first
        // frames falls well short of the end.
        QTest::newRow("MP3 at a varying bitrate, with no length header") << "lamemp3enc target=quality quality=0" << 6;
    }
    void realAudioLightsEveryCountInOrder()
    {
        QFETCH(QString, encoder);
        QFETCH(int, counts);
        QString path = m_wav;
        if (!encoder.isEmpty()) {
            path = h->env.root() + QStringLiteral("/song.mp3");
            QCOMPARE(testing::encodeAudio(path, encoder, {{testing::Sound::Noise, 5}, {testing::Sound::Silence, 15}}),
                     QString());
        }
        // Counts every 0.25 s, as a dancer's track would have them.
        std::vector<double> times;
        std::vector<int> beats;
        QList<int> expected;
        for (int k = 0; k < counts; ++k) {
            times.push_back(0.5 + 0.25 * k);
            beats.push_back(k % 8 + 1);
            expected << k;
        }
        TheCount& w = TheCount::instance();
        w.TheSongID = h->addSong(QStringLiteral("Live"), path, times, beats);
        QList<int> order;
        QList<double> lags;
        double seen = -1.0;
        connect(w.BeatTimer, &fw::Timer::action, &w, [&] {   // after the player's own tick
            if (w.LastTimeDone != seen) {
                seen = w.LastTimeDone;
                order << w.TimesIndex;
                lags << w.CurrentPosition - times[w.TimesIndex];
            }
        });
        w.StartCounting(0.0, -1.0);
        QTRY_COMPARE_WITH_TIMEOUT(w.BeatTimer->mode(), fw::Timer::ModeOff, 8000);
        QCOMPARE(order, expected);
        for (double lag : lags)
            QVERIFY2(lag >= 0.0 && lag < 0.25, qPrintable(QString::number(lag)));
        QCOMPARE(shown(w).section(' ', 0, 0), QString::number(beats.back()));
    }
};

QTEST_MAIN(TheCountTest)
#include "tst_thecount.moc"
