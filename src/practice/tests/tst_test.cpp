// The timing test: the countdown, the scoring and grading of presses with the
// position fixed through the movie player's seam, the presses that count,
// the roads where a test cannot start, starting over, and the demo song's
// test taken from the menu with real audio.

#include "library/SongLocations.h"
#include "player/FileMessage.h"
#include "player/TheCount.h"
#include "practice/Test.h"
#include "practice/TestSongs.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"

#include "framework/Format.h"

#include <QHeaderView>
#include <QTreeView>
#include <QtTest>

using namespace testing;

namespace {
const QString kArmed = QStringLiteral("Click or key on the next 'One'");
const QString kReady = QStringLiteral("Get ready to start in: ");

// The window as the user reads it: the top line, each row's cells, and
// Right, Wrong, Percent and Grade.
QString shown(const Test& w)
{
    QStringList rows;
    for (int r = 0; r < w.List->ListCount(); ++r)
        rows << QStringList{w.List->Cell(r, 0), w.List->Cell(r, 1), w.List->Cell(r, 2)}.join(' ').trimmed();
    return QStringList{w.stCountdown->text(), rows.join(';'),
                       QStringList{w.stRight->text(), w.stWrong->text(), w.stPercent->text(), w.stGrade->text()}.join(' ')}
        .join('|');
}

void tickAt(Test& w, double seconds)
{
    w.qtPlayer->setReportedPosition(seconds);
    w.TheTimer_Action();
}

void key(Test& w, Qt::Key k = Qt::Key_Space) { QTest::keyClick(w.frame()->windowHandle(), k); }

void pressAt(Test& w, double seconds)
{
    w.qtPlayer->setReportedPosition(seconds);
    key(w);
}

QList<double> seconds(double from, int count, double step = 1.0)
{
    QList<double> list;
    for (int k = 0; k < count; ++k)
        list << from + k * step;
    return list;
}
} // namespace

class TestWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<AppHarness> h;
    QString m_wav;

    // A song on the 12-second WAV whose track holds these counts (beat 1
    // where none is given).
    int song(const QList<double>& times, double testStart, double testEnd, const QList<int>& beats = {})
    {
        const int id = h->addSong(QStringLiteral("Probe"), m_wav, {times.begin(), times.end()}, {beats.begin(), beats.end()});
        execute(*h, QStringLiteral("Update Songs set TestStart=%1, TestEnd=%2 where ID=%3").arg(testStart).arg(testEnd).arg(id));
        return id;
    }

    // The test of such a song started, its timer stopped: the test ticks by hand.
    Test& begin(const QList<double>& times, double testStart, double testEnd, const QList<int>& beats = {})
    {
        Test& w = Test::instance();
        w.Init(song(times, testStart, testEnd, beats));
        w.TheTimer->setMode(fw::Timer::ModeOff);
        return w;
    }

private slots:
    void init()
    {
        h = std::make_unique<AppHarness>();
        h->startWithoutWindows();
        m_wav = h->env.root() + QStringLiteral("/probe.wav");
        QVERIFY(writeWav(m_wav, 12.0));
    }
    void cleanup() { h.reset(); }

    void countdown_data()
    {
        QTest::addColumn<double>("testStart");
        QTest::addColumn<double>("testEnd");
        QTest::addColumn<QList<double>>("ticks");
        QTest::addColumn<QStringList>("texts");   // the top line after each tick
        QStringList nineToOne;
        for (int k = 9; k >= 1; --k)
            nineToOne << kReady + QString::number(k);
        QTest::newRow("10 s") << 10.0 << 60.0 << QList<double>{0.0} + seconds(0.01, 9) + QList<double>{9.0, 9.01}
                              << QStringList{"Get ready..."} + nineToOne + QStringList{nineToOne.last(), kArmed};
        QTest::newRow("10.4 s, the last second reads 0") << 10.4 << 60.0 << seconds(0.01, 11)
                                                          << nineToOne + QStringList{kReady + "0", kArmed};
        QTest::newRow("0.3 s arms at once") << 0.3 << 60.0 << QList<double>{0.0, 0.01}
                                            << QStringList{"Get ready...", kArmed};
        QTest::newRow("one second per tick") << 10.0 << 60.0 << QList<double>{5.5, 5.5, 5.5} << nineToOne.mid(0, 3);
        // Ticks held up while the music plays on: the end can pass first.
        QTest::newRow("end passed while counting down") << 10.0 << 10.5 << QList<double>{0.01, 1.01, 10.5, 10.51}
                                                        << QStringList{nineToOne[0], nineToOne[1], nineToOne[2], "All Done!"};
    }
    void countdown()
    {
        QFETCH(double, testStart);
        QFETCH(double, testEnd);
        QFETCH(QList<double>, ticks);
        Test& w = begin({10.45}, testStart, testEnd);
        QVERIFY(w.qtPlayer->isPlaying());
        QStringList texts;
        for (double at : ticks) {
            tickAt(w, at);
            texts << w.stCountdown->text();
        }
        QTEST(texts, "texts");
        QCOMPARE(w.qtPlayer->isPlaying(), texts.last() != "All Done!");
    }

    void scoring_data()
    {
        QTest::addColumn<QList<double>>("times");
        QTest::addColumn<QList<int>>("beats");
        QTest::addColumn<QList<double>>("presses");
        QTest::addColumn<QString>("expected");
        QTest::newRow("half a second either side") << QList<double>{12, 14, 16, 18} << QList<int>{}
            << QList<double>{11.5, 14.49, 15.51, 18.5}
            << kArmed + "|12.00 11.50 Wrong;14.00 14.49 Right;16.00 15.51 Right;18.00 18.50 Wrong|2 2 50% F";
        QTest::newRow("a press after the last One") << QList<double>{2, 4} << QList<int>{}
            << QList<double>{2.1, 3.7, 5.0, 6.0} << "All Done!|2.00 02.10 Right;4.00 03.70 Right|2 0 100% A";
        QTest::newRow("a One skipped") << QList<double>{2, 4, 6} << QList<int>{} << QList<double>{2.0, 6.0}
            << kArmed + "|2.00 02.00 Right;4.00 06.00 Wrong;6.00|1 1 50% F";
        QTest::newRow("Ones stored out of time order") << QList<double>{6, 2, 4} << QList<int>{}
            << QList<double>{2.0, 4.3, 5.6} << kArmed + "|2.00 02.00 Right;4.00 04.30 Right;6.00 05.60 Right|3 0 100% A";
        QTest::newRow("only the Ones of the section") << QList<double>{0.3, 2, 3, 4, 9.5, 19.5} << QList<int>{1, 1, 2, 1, 1, 1}
            << QList<double>{} << kArmed + "|2.00;4.00;9.50|0 0 0 0";
    }
    void scoring()
    {
        QFETCH(QList<double>, times);
        QFETCH(QList<int>, beats);
        QFETCH(QList<double>, presses);
        Test& w = begin(times, 0.3, 19.0, beats);
        pressAt(w, 0.0);   // before the test arms: nothing
        tickAt(w, 0.01);
        for (double at : presses)
            pressAt(w, at);
        QTEST(shown(w), "expected");
        QCOMPARE(w.qtPlayer->isPlaying(), w.stCountdown->text() != "All Done!");
    }

    void grades_data()
    {
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("expected");
        const std::tuple<int, int, const char*> rows[] = {
            {3, 5, "60% F"}, {11, 18, "61% D"}, {7, 10, "70% D"}, {5, 7, "71% C"}, {4, 5, "80% C"},
            {13, 16, "81% B"}, {9, 10, "90% B"}, {10, 11, "91% A"}, {1, 1, "100% A"}};
        for (const auto& [right, presses, expected] : rows)
            QTest::newRow(expected) << right << presses << QString::fromLatin1(expected);
    }
    void grades()
    {
        QFETCH(int, right);
        QFETCH(int, presses);
        Test& w = begin(seconds(1.0, presses, 0.5), 0.3, 12.0);
        tickAt(w, 0.01);
        for (int k = 0; k < presses; ++k)
            pressAt(w, 1.0 + 0.5 * k + (k < right ? 0.0 : 0.5));
        QTEST(w.stPercent->text() + ' ' + w.stGrade->text(), "expected");
    }

    // Armed on the Ones 2 to 10 at a position of 2 s; the press (or what
    // looks like one) and how many rows it scored.
    void pressesThatCount_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("scored");
        QTest::newRow("an arrow after a click on a row") << "row, down" << 2;
        QTest::newRow("a key held down") << "held" << 1;
        QTest::newRow("a click below the rows") << "below" << 1;
        QTest::newRow("a click on a label") << "label" << 1;
        QTest::newRow("a click on the window") << "window" << 1;
        QTest::newRow("a click on a heading") << "heading" << 0;
    }
    void pressesThatCount()
    {
        QFETCH(QString, how);
        Test& w = begin(seconds(2.0, 5, 2.0), 0.3, 12.0);
        tickAt(w, 0.01);
        w.qtPlayer->setReportedPosition(2.0);
        for (const QString& step : how.split(", ")) {
            if (step == "row" || step == "below") {
                clickRow(w.List, step == "row" ? 2 : -1);
            } else if (step == "label") {
                QTest::mouseClick(w.st1->widget(), Qt::LeftButton);
            } else if (step == "window") {
                QTest::mouseClick(w.content(), Qt::LeftButton, {}, QPoint(500, 150));
            } else if (step == "heading") {
                QHeaderView* header = qobject_cast<QTreeView*>(w.List->widget())->header();
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(20, header->height() / 2));
            } else if (step == "held") {
                key(w, Qt::Key_Space);
                QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
                QApplication::sendEvent(w.frame(), &repeat);
            } else {
                key(w, Qt::Key_Down);
            }
        }
        QTEST(w.Questions, "scored");
        // The rows stay in time order: presses are paired with them by place.
        QCOMPARE(columnTexts(w.List, 0), QStringList({"2.00", "4.00", "6.00", "8.00", "10.00"}));
    }

    // What goes wrong before or while a test starts (<id> the song's ID,
    // <junk> a file that is not audio, <gone> a file that is not there).
    void initFailures_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<bool>("duringFill");   // run once the list starts filling
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("rows");
        const QString sql = "sql=Select * from Track where (Beat=1) and (TheTime>%1) and (TheTime<=%2) and SongsID=<id>";
        QTest::newRow("no song row") << "Delete from Songs where ID=<id>" << false
                                     << QStringList{"Test.Init.1 could not load Song record."} << "2.00";
        QTest::newRow("no One in the section") << "Update Songs set TestStart=5.25 where ID=<id>" << false
                                               << QStringList{"Test.Init could not load Track data.", sql.arg("5.25", "9")} << "";
        QTest::newRow("track table unreadable") << "Alter table Track rename to Counts" << false
            << QStringList{"Test.Init could not load Track data. Error: no such table: Track", sql.arg("0.3", "9")} << "";
        QTest::newRow("song deleted while the list fills") << "Delete from Songs where ID=<id>" << true
                                                           << QStringList{"Test.Init.2 could not load Song record."} << "1.00;2.00";
        QTest::newRow("a file the player cannot open") << "Update Songs set Path=<junk> where ID=<id>" << false
                                                       << QStringList{kCannotOpenSongFile} << "1.00;2.00";
        // An MP3 file that plays only from a temporary copy, where no copy
        // can be made (a file stands where their folder goes).
        QTest::newRow("a file that plays from a copy that cannot be made")
            << "Update Songs set Path=<vbr> where ID=<id>" << false
            << QStringList{"Can't play this song: its temporary copy couldn't be made in <copies>. Error: Not a directory"}
            << "1.00;2.00";
        // The song locations list with the song selected, and the song-error window, instead of a test.
        QTest::newRow("file missing") << "Update Songs set Path=<gone> where ID=<id>" << false << QStringList{} << "";
    }
    void initFailures()
    {
        QFETCH(QString, statement);
        QFETCH(bool, duringFill);
        QFETCH(QStringList, messages);
        QFETCH(QString, rows);
        // A test runs; the next one fails and leaves nothing of either running.
        Test& w = Test::instance();
        w.Init(song({2.0}, 0.3, 9.0));
        QTRY_VERIFY(w.qtPlayer->position() > 0.0);
        const QString id = QString::number(song({1.0, 2.0}, 0.3, 9.0));
        QFile junk(h->env.root() + "/junk.wav");
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("not audio") > 0);
        junk.close();
        const auto stored = [&](const QString& name) { return fw::sqlQuoted(fw::colonPathFromPosix(h->env.root() + name, false)); };
        if (statement.contains("<vbr>")) {
            QCOMPARE(encodeAudio(h->env.root() + "/vbr.mp3", "lamemp3enc target=quality quality=0",
                                 {{Sound::Noise, 5}, {Sound::Silence, 15}}),
                     QString());
            QVERIFY(QDir().mkpath(h->env.cacheHome()));
            QFile blocking(h->env.cacheHome() + "/Corvantis");
            QVERIFY(blocking.open(QIODevice::WriteOnly) && blocking.write("x") == 1);
            messages.replaceInStrings("<copies>", blocking.fileName());
        }
        statement.replace("<id>", id).replace("<junk>", stored("/junk.wav")).replace("<gone>", stored("/gone.wav"));
        statement.replace("<vbr>", stored("/vbr.mp3"));
        if (duringFill) {
            QTest::qWait(20);   // the fill's first yield lets events run
            QTimer::singleShot(0, [&] { execute(*h, statement); });
        } else {
            execute(*h, statement);
        }
        w.Init(id.toInt());
        QCOMPARE(h->fake->messageTexts(), messages.replaceInStrings("<id>", id));
        QVERIFY(w.TheTimer->mode() == fw::Timer::ModeOff && !w.qtPlayer->isPlaying());
        const bool gone = statement.contains("gone.wav");
        QCOMPARE(QList<bool>({Test::isOpen(), SongLocations::isOpen(), SongError::isOpen()}), QList<bool>({!gone, gone, gone}));
        if (gone) {
            const fw::ListBox* located = SongLocations::instance().SongList;
            QCOMPARE(located->Cell(located->ListIndex(), 0), QStringLiteral("Probe"));
        } else {
            QCOMPARE(shown(w), "Get ready...|" + rows + "|0 0 0 0");
        }
        // Whatever failed, the next song's test starts and plays.
        if (statement.startsWith("Alter"))
            execute(*h, "Alter table Counts rename to Track");   // the library mended first
        Test& next = Test::instance();
        next.Init(song({2.0}, 0.3, 9.0));
        QCOMPARE(h->fake->messageTexts(), messages);   // nothing more told
        QVERIFY(next.TheTimer->mode() == fw::Timer::ModeMultiple && next.qtPlayer->isPlaying());
        QTRY_VERIFY(next.qtPlayer->position() > 0.0);
    }

    // Audio that ends before the test section does: the position never
    // passes the section's end, and the test ends as it does by time.
    void audioEndingBeforeTheSectionsEnd_data()
    {
        QTest::addColumn<QString>("encoder");   // none: a WAV
        QTest::addColumn<double>("seconds");    // of the audio made
        QTest::addColumn<int>("keptBytes");     // of the file made; 0 keeps all
        QTest::addColumn<double>("testStart");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a short song, while testing") << "" << 2.0 << 0 << 0.3 << "All Done!|1.00 01.20 Right;4.00|1 0 100% A";
        QTest::newRow("an MP3 cut short, while testing") << "lamemp3enc target=quality ! xingmux" << 3.0 << 12000 << 0.3
                                                         << "All Done!|1.00 01.20 Right;4.00|1 0 100% A";
        QTest::newRow("a song shorter than the countdown") << "" << 0.5 << 0 << 3.0 << "All Done!|4.00|0 0 0 0";
    }
    void audioEndingBeforeTheSectionsEnd()
    {
        QFETCH(QString, encoder);
        QFETCH(double, seconds);
        QFETCH(int, keptBytes);
        QFETCH(double, testStart);
        const QString path = h->env.root() + (encoder.isEmpty() ? "/short.wav" : "/short.mp3");
        if (encoder.isEmpty())
            QVERIFY(writeWav(path, seconds));
        else
            QCOMPARE(encodeAudio(path, encoder, {{Sound::Tone, int(seconds * 10)}}), QString());
        if (keptBytes > 0)
            QVERIFY(QFile::resize(path, keptBytes));
        const int id = song({1.0, 4.0}, testStart, 9.0);
        execute(*h, "Update Songs set Path=" + fw::sqlQuoted(fw::colonPathFromPosix(path, false)) + " where ID=" + QString::number(id));
        Test& w = Test::instance();
        w.Init(id);
        QCOMPARE(h->fake->messageTexts(), QStringList());
        if (testStart < 1.0) {
            QTRY_COMPARE(w.stCountdown->text(), kArmed);
            pressAt(w, 1.2);
            w.qtPlayer->setReportedPosition(std::nullopt);
        }
        QTRY_COMPARE_WITH_TIMEOUT(w.stCountdown->text(), QStringLiteral("All Done!"), 6000);
        QTEST(shown(w), "expected");
        QVERIFY(w.TheTimer->mode() == fw::Timer::ModeOff && !w.qtPlayer->isPlaying());
    }

    // A second test started while the first runs, and a third started while
    // the second still fills its list: only the last one counts and plays.
    void startingOverLeavesNothingOfTheEarlierTest()
    {
        Test& w = Test::instance();
        w.Init(song({9.0, 11.0}, 3.0, 11.5));
        QTRY_VERIFY(w.qtPlayer->position() > 1.2);   // counting down, its next second due soon
        QStringList seenWhileFilling;
        double startedAt = -1.0;
        QTest::qWait(20);
        QTimer::singleShot(0, [&] {
            QTest::qWait(150);   // the earlier timer, were it running, would count here
            key(w);
            seenWhileFilling << shown(w) << QString::number(w.CountDownTrigger);
            w.Init(song({1.0, 4.0}, 0.3, 5.0));
            startedAt = w.qtPlayer->position();
        });
        w.Init(song({9.0, 10.0, 11.0}, 8.0, 11.5));
        QCOMPARE(seenWhileFilling, QStringList({"Get ready...|9.00|0 0 0 0", "0"}));
        QCOMPARE(columnTexts(w.List, 0), QStringList({"1.00", "4.00"}));
        QVERIFY2(startedAt >= 0.0 && startedAt < 0.5, qPrintable(QString::number(startedAt)));
        QTRY_COMPARE(w.stCountdown->text(), kArmed);
        QVERIFY(h->fake->messageTexts().isEmpty());
    }

    void closingStopsTheTestAtOnce()
    {
        Test& w = Test::instance();
        w.Init(song({2.0}, 0.3, 9.0));
        QTRY_VERIFY(w.qtPlayer->isPlaying() && w.qtPlayer->position() > 0.0);
        const QPointer<Test> alive(&w);
        w.Close();
        QVERIFY(alive && w.TheTimer->mode() == fw::Timer::ModeOff && !w.qtPlayer->isPlaying());
        // Closed while its list fills: the fill stops and nothing plays.
        Test& again = Test::instance();
        QTest::qWait(20);
        QTimer::singleShot(0, &again, [&] { again.Close(); });
        again.Init(song({1.0, 2.0}, 0.3, 9.0));
        QVERIFY(!Test::isOpen());
    }

    // The starter library's demo test, as a newcomer takes it from the menu.
    void theDemoTestFromTheMenu()
    {
        startAgain(*h);
        h->app->chooseMenuItem(QStringLiteral("mTest"));
        TestSongs& picker = TestSongs::instance();
        QCOMPARE(picker.List->Cell(picker.List->ListIndex(), 0), QStringLiteral("Dancer's Lantern"));
        picker.pbStartTest->push();
        Test& w = Test::instance();
        QVERIFY(w.isVisible() && w.List->ListCount() >= 2);
        const double firstOne = fw::CDbl(w.List->Cell(0, 0));
        double armedAt = -1.0;
        connect(w.TheTimer, &fw::Timer::action, this, [&] {
            if (armedAt < 0.0 && w.TestStarted)
                armedAt = w.qtPlayer->position();
        });
        QTRY_COMPARE(w.stCountdown->text(), kArmed);
        QVERIFY(armedAt >= 0.0 && armedAt < firstOne);   // armed before the first One is heard
        QTRY_VERIFY(w.qtPlayer->position() >= firstOne);
        key(w);
        QCOMPARE(w.List->Cell(0, 2), QString(fw::CDbl(w.List->Cell(0, 1)) - firstOne < 0.5 ? "Right" : "Wrong"));
        QTRY_COMPARE_WITH_TIMEOUT(w.stCountdown->text(), QStringLiteral("All Done!"), 15000);
        QVERIFY(!w.qtPlayer->isPlaying() && w.TheTimer->mode() == fw::Timer::ModeOff);
        QVERIFY(w.qtPlayer->position() > h->queryValue("Select TestEnd from Songs where TestStart>0").toDouble());
    }
};

QTEST_MAIN(TestWindowTest)
#include "tst_test.moc"
