// The player: starting and stopping a song, the tick's rules with the
// position fixed through the movie player's seam, the time label, and real
// audio lighting the counts in order.

#include "core/Code.h"
#include "library/Songs.h"
#include "player/TheCount.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include <QElapsedTimer>
#include <QtTest>

using testing::AppHarness;

namespace {
const QColor kRed(255, 0, 0);

// Which count labels are lit, as "3" or "" when none.
QString lit(const TheCount& w)
{
    QString on;
    for (int k = 0; k < 8; ++k) {
        if (w.stCount[k]->textColor() == kRed)
            on += QString::number(k + 1);
    }
    return on;
}

QStringList notes(const TheCount& w)
{
    QStringList texts;
    for (const fw::StaticText* note : w.stNote)
        texts << note->text();
    return texts;
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

    // A song on a 12-second WAV with the given track; the player started on it.
    TheCount& play(const std::vector<double>& times, const std::vector<int>& beats,
                   const QStringList& noteTexts = {}, const QStringList& advice = {}, double lastDone = -1.0)
    {
        const int id = h->addSong(QStringLiteral("Probe"), m_wav, times, beats, noteTexts, advice);
        TheCount& w = TheCount::instance();
        w.TheSongID = id;
        w.StartCounting(0.0, lastDone);
        w.qtPlayer->stop();   // the ticks below follow the fixed position only
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

    void laidOutWithoutSettingsRow()
    {
        h->openDatabase()->SQLExecute(QStringLiteral("Delete From Settings"));
        TheCount& w = TheCount::instance();
        QCOMPARE(w.width(), 313);
        QCOMPARE(w.stTime->top(), 314);
        QCOMPARE(w.stCount[0]->textSize(), 20);
        QCOMPARE(notes(w), QStringList(8, QString()));
        QVERIFY(!w.isVisible());   // the one window created hidden
    }

    void locatesTheRowTheMusicHasReached_data()
    {
        QTest::addColumn<QList<double>>("times");
        QTest::addColumn<QList<double>>("positions");
        QTest::addColumn<QList<int>>("shownRows");   // TimesIndex after each tick that showed a row
        QTest::newRow("before the first row") << QList<double>{1.0, 2.0} << QList<double>{0.5} << QList<int>{};
        QTest::newRow("exactly on a row") << QList<double>{1.0, 2.0} << QList<double>{1.0, 2.0} << QList<int>{0, 1};
        QTest::newRow("between rows") << QList<double>{1.0, 2.0, 3.0} << QList<double>{2.5} << QList<int>{1};
        QTest::newRow("several rows passed at once") << QList<double>{1.0, 1.5, 2.0, 2.5}
                                                     << QList<double>{1.0, 2.6} << QList<int>{0, 3};
        QTest::newRow("equal times, exactly") << QList<double>{1.0, 2.0, 2.0, 3.0}
                                              << QList<double>{2.0, 2.1} << QList<int>{1};
        QTest::newRow("equal times, passed") << QList<double>{1.0, 2.0, 2.0, 3.0}
                                             << QList<double>{2.1} << QList<int>{2};
        QTest::newRow("no row twice") << QList<double>{1.0, 2.0} << QList<double>{1.2, 1.4, 1.9} << QList<int>{0};
        // Times out of order: the row before the first one at or after the position.
        QTest::newRow("out of order") << QList<double>{1.0, 3.0, 2.0} << QList<double>{2.5} << QList<int>{0};
    }
    void locatesTheRowTheMusicHasReached()
    {
        QFETCH(QList<double>, times);
        QFETCH(QList<double>, positions);
        QFETCH(QList<int>, shownRows);
        TheCount& w = play(std::vector<double>(times.begin(), times.end()), std::vector<int>(times.size(), 1));
        QList<int> shown;
        for (double p : positions) {
            const double before = w.LastTimeDone;
            tickAt(w, p);
            if (w.LastTimeDone != before)
                shown << w.TimesIndex;
        }
        QCOMPARE(shown, shownRows);
    }

    void countsNotesAndAdvice()
    {
        TheCount& w = play({1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6},
                           {"n1", "n2", "n3", "n4", "n5", ""},
                           {"Step back", "", "", "clear", "Turn", ""});
        w.stTime->setText(QStringLiteral("x"));
        tickAt(w, 0.5);   // before the first row nothing changes, the time included
        QCOMPARE(w.stTime->text(), QStringLiteral("x"));
        QCOMPARE(lit(w), QString());
        tickAt(w, 1.0);
        QCOMPARE(lit(w), QStringLiteral("1"));
        QCOMPARE(w.stAdvice->text(), QStringLiteral("Step back"));
        QCOMPARE(w.stTime->text(), QStringLiteral("0:01"));
        tickAt(w, 2.0);
        QCOMPARE(lit(w), QStringLiteral("2"));
        QCOMPARE(w.stAdvice->text(), QStringLiteral("Step back"));   // empty advice keeps the text
        tickAt(w, 4.0);
        QCOMPARE(w.stAdvice->text(), QString());                    // "clear" empties it
        QCOMPARE(notes(w), QStringList({"n1", "n2", "", "n4", "", "", "", ""}));   // row 3 was passed over
        tickAt(w, 5.0);
        // Count 5 shows its note and empties count 1's, four counts away.
        QCOMPARE(notes(w), QStringList({"", "n2", "", "n4", "n5", "", "", ""}));
        QCOMPARE(w.stAdvice->text(), QStringLiteral("Turn"));
        tickAt(w, 6.0);
        QCOMPARE(notes(w).at(5), QString());   // an empty note empties its label
    }

    void oddBeatsOnly()
    {
        Code::BeatOn1357 = true;
        TheCount& w = play({1, 2, 3, 4}, {3, 4, 8, 5}, {"", "four", "eight", ""});
        tickAt(w, 1.0);
        QCOMPARE(lit(w), QStringLiteral("3"));
        tickAt(w, 2.0);
        QCOMPARE(lit(w), QString());              // beat 4: every count black
        QCOMPARE(notes(w).at(3), QStringLiteral("four"));
        tickAt(w, 3.0);
        QCOMPARE(notes(w).at(7), QStringLiteral("eight"));
        QCOMPARE(notes(w).at(3), QString());      // four counts away from 8
        Code::BeatOn1357 = false;                 // takes effect from the next count
        tickAt(w, 4.0);
        QCOMPARE(lit(w), QStringLiteral("5"));
    }

    void beatsOutsideOneToEightMoveOnlyTheTime()
    {
        TheCount& w = play({1, 2, 3}, {2, 0, 9}, {"two", "zero", "nine"}, {"keep", "x", "y"});
        tickAt(w, 1.0);
        tickAt(w, 2.0);
        QCOMPARE(lit(w), QStringLiteral("2"));
        QCOMPARE(w.stAdvice->text(), QStringLiteral("keep"));
        QCOMPARE(w.stTime->text(), QStringLiteral("0:02"));
        tickAt(w, 3.0);
        QCOMPARE(lit(w), QStringLiteral("2"));
        QCOMPARE(w.stTime->text(), QStringLiteral("0:03"));
        QCOMPARE(notes(w).at(1), QStringLiteral("two"));
    }

    void pastTheEndTheTimerStopsAndTheMusicPlaysOn()
    {
        TheCount& w = play({1, 2, 3}, {1, 2, 3});
        tickAt(w, 1.5);
        QCOMPARE(w.BeatTimer->mode(), fw::Timer::ModeMultiple);
        tickAt(w, 7.0);
        QCOMPARE(w.BeatTimer->mode(), fw::Timer::ModeOff);
        QCOMPARE(lit(w), QStringLiteral("3"));   // the last row, not shown before, now is
    }

    void lastDoneKeepsEarlierRowsDark()
    {
        TheCount& w = play({0.0, 1.0, 2.0}, {1, 2, 3}, {}, {}, 1.0);
        tickAt(w, 0.0);
        tickAt(w, 1.5);
        QCOMPARE(lit(w), QString());
        tickAt(w, 2.0);
        QCOMPARE(lit(w), QStringLiteral("3"));
        // With -1 the row at time 0 lights.
        TheCount& again = play({0.0, 1.0}, {1, 2});
        tickAt(again, 0.0);
        QCOMPARE(lit(again), QStringLiteral("1"));
    }

    void updateTime_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("shown");
        QTest::newRow("7 s") << 7.0 << "0:07";
        QTest::newRow("65 s") << 65.0 << "1:05";
        QTest::newRow("fraction dropped") << 59.9 << "0:59";
        QTest::newRow("3599 s") << 3599.0 << "59:59";
        QTest::newRow("an hour") << 3600.0 << "0:00";
        QTest::newRow("3725 s") << 3725.0 << "2:05";
        QTest::newRow("negative keeps the text") << -5.0 << "keep";
        QTest::newRow("minus an hour") << -3600.0 << "0:00";
    }
    void updateTime()
    {
        QFETCH(double, seconds);
        QFETCH(QString, shown);
        TheCount& w = TheCount::instance();
        w.stTime->setText(QStringLiteral("keep"));
        w.UpdateTime(seconds);
        QCOMPARE(w.stTime->text(), shown);
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
        QCOMPARE(h->fake->messageTexts(),
                 QStringList({"No song track found.", missing, missing,
                              "QuickTime cannot open this song file. Please check the location and for any odd "
                              "characters in the filename."}));
        QCOMPARE(w.BeatTimer->mode(), fw::Timer::ModeOff);
        QVERIFY(w.Times.empty());
    }

    void startPositions_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("expected");
        QTest::newRow("zero") << 0.0 << 0.0;
        QTest::newRow("later") << 5.25 << 4.25;
        QTest::newRow("negative") << -1.0 << 0.0;
        QTest::newRow("under a second") << 0.5 << 0.0;
    }
    void startPositions()
    {
        QFETCH(double, start);
        QFETCH(double, expected);
        TheCount& w = TheCount::instance();
        w.TheSongID = h->addSong(QStringLiteral("Probe"), m_wav, {1.0, 2.0}, {1, 2});
        w.StartCounting(start, -1.0);
        w.qtPlayer->stop();
        QTRY_VERIFY(qAbs(w.qtPlayer->position() - expected) < 0.15);
    }

    void stopKeepsTheDisplayAndResetsTheOpenSongList()
    {
        h->start();   // the start windows, the song list among them
        QVERIFY(Songs::isOpen());
        Songs::instance().pbPlay->setCaption(QStringLiteral("Stop"));
        TheCount& w = play({1.0, 2.0}, {1, 2});
        tickAt(w, 1.0);
        w.StopCounting();
        QVERIFY(w.StopNow);
        QCOMPARE(w.BeatTimer->mode(), fw::Timer::ModeOff);
        QVERIFY(!w.qtPlayer->isPlaying());
        QCOMPARE(lit(w), QStringLiteral("1"));
        QCOMPARE(Songs::instance().pbPlay->caption(), QStringLiteral("Play"));
        tickAt(w, 2.0);
        QCOMPARE(lit(w), QStringLiteral("1"));   // a stopped player's tick does nothing
        // With the song list closed, stopping does not bring it back.
        Songs::instance().Close();
        w.StopCounting();
        QVERIFY(!Songs::isOpen());
    }

    void closingThePlayerEndsThePlay()
    {
        h->start();
        Songs::instance().pbPlay->setCaption(QStringLiteral("Stop"));
        TheCount& w = TheCount::instance();
        w.TheSongID = h->addSong(QStringLiteral("Probe"), m_wav, {1.0, 2.0}, {1, 2});
        w.StartCounting(0.0, -1.0);
        QTRY_VERIFY(w.qtPlayer->position() > 0.1);
        w.setTop(70);
        w.Close();
        QVERIFY(!w.qtPlayer->isPlaying());
        QCOMPARE(Songs::instance().pbPlay->caption(), QStringLiteral("Play"));
        QCOMPARE(h->queryValue(QStringLiteral("Select TheCountTop from Settings")), QStringLiteral("70"));
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
        const QString nextWav = h->env.root() + QStringLiteral("/next.wav");
        const QString shortWav = h->env.root() + QStringLiteral("/short.wav");
        QVERIFY(testing::writeWav(nextWav, 6.0) && testing::writeWav(shortWav, 3.0));
        TheCount& w = play({1.0, 2.0, 3.0}, {1, 2, 3}, {"a1", "a2", "a3"});
        tickAt(w, 1.0);
        const int next = h->addSong(QStringLiteral("Next"), nextWav, {5.0}, {5});
        const int other = h->addSong(QStringLiteral("Other"), shortWav, {0.2, 0.4}, {7, 8});
        bool loading = false;
        fw::Timer::Mode timer = fw::Timer::ModeMultiple;
        QString litDuring;
        QTimer::singleShot(0, &w, [&] {
            loading = w.qtPlayer->isOpening();
            timer = w.BeatTimer->mode();
            if (during == "tick") {
                tickAt(w, 3.0);
                litDuring = lit(w);
            } else if (during == "stop") {
                w.StopCounting();
            } else {
                w.TheSongID = other;
                w.StartCounting(0.0, -1.0);
            }
        });
        w.TheSongID = next;
        w.StartCounting(0.0, -1.0);
        QVERIFY(loading);
        QCOMPARE(timer, fw::Timer::ModeOff);
        QCOMPARE(h->fake->messageTexts(), QStringList());
        if (during == "tick") {
            QCOMPARE(litDuring, QStringLiteral("1"));
            QCOMPARE(w.Times, std::vector<double>{5.0});
            QVERIFY(qAbs(w.qtPlayer->duration() - 6.0) < 0.05);
        } else if (during == "stop") {
            QCOMPARE(w.BeatTimer->mode(), fw::Timer::ModeOff);
            QTest::qWait(300);   // nothing starts later either
            QVERIFY(!w.qtPlayer->isPlaying());
        } else {
            QCOMPARE(w.Times, std::vector<double>({0.2, 0.4}));
            QVERIFY(qAbs(w.qtPlayer->duration() - 3.0) < 0.05);
        }
    }

    void realAudioLightsEveryCountInOrder()
    {
        // Counts every 0.3 s on the click track, as a dancer's track would be.
        std::vector<double> times;
        std::vector<int> beats;
        for (int k = 0; k < 12; ++k) {
            times.push_back(0.5 + 0.3 * k);
            beats.push_back(k % 8 + 1);
        }
        TheCount& w = TheCount::instance();
        w.TheSongID = h->addSong(QStringLiteral("Live"), m_wav, times, beats);
        w.StartCounting(0.0, -1.0);
        QVERIFY(w.qtPlayer->isPlaying() || w.qtPlayer->duration() > 0);
        QList<int> order;
        QList<double> lags;
        QElapsedTimer clock;
        clock.start();
        double seen = -1.0;
        while (clock.elapsed() < 8000 && order.size() < int(times.size())) {
            QTest::qWait(5);
            if (w.LastTimeDone != seen) {
                seen = w.LastTimeDone;
                order << w.TimesIndex;
                lags << w.CurrentPosition - times[w.TimesIndex];
            }
        }
        QList<int> expected;
        for (int k = 0; k < int(times.size()); ++k)
            expected << k;
        QCOMPARE(order, expected);
        for (double lag : lags)
            QVERIFY2(lag >= 0.0 && lag < 0.25, qPrintable(QString::number(lag)));
        QCOMPARE(lit(w), QString::number(beats.back()));
    }
};

QTEST_MAIN(TheCountTest)
#include "tst_thecount.moc"
