// Tempo by tapping: phrases and the average tempo from the taps' ticks,
// Start Over, and the window as the menu opens it.

#include "support/app/AppHarness.h"
#include "tracks/MeasureSong.h"

#include "framework/Application.h"

#include <QtTest>

using namespace testing;

class MeasureSongTest : public QObject {
    Q_OBJECT
    qint64 m_tick = 1000;   // what the tick counter reads

    static MeasureSong& open(AppHarness& h)
    {
        h.app->chooseMenuItem(QStringLiteral("mMeasureSong"));
        return MeasureSong::instance();
    }

private slots:
    void init() { fw::setTickSource([this] { return m_tick; }); }
    void cleanup() { fw::setTickSource({}); }

    void tempoFromTicks_data()
    {
        QTest::addColumn<QString>("taps");   // "F1000": First Phrase at tick 1000; "N": Next Phrase; "S": Start Over
        QTest::addColumn<QString>("shown");  // the figures, and "First Phrase" while that button is enabled
        QTest::newRow("one phrase") << "F1000 N1240" << "Phrases = 1, Beats Per Minute = 120.00";
        QTest::newRow("the average") << "F1000 N1240 N1500" << "Phrases = 2, Beats Per Minute = 115.20";
        QTest::newRow("Start Over") << "F1000 N1240 S" << "Phrases = 0, Beats Per Minute = 0.00, First Phrase";
        QTest::newRow("from the earlier tap") << "F1000 N1240 S N1480" << "Phrases = 1, Beats Per Minute = 60.00, First Phrase";
        QTest::newRow("a new start") << "F1000 N1240 S F2000 N2180" << "Phrases = 1, Beats Per Minute = 160.00";
        // A tap in the very tick of First Phrase is that tap again: nothing to divide by.
        QTest::newRow("same tick") << "F1000 N1000" << "Phrases = 0, Beats Per Minute = 0";
        QTest::newRow("same tick, then on") << "F1000 N1000 N1240" << "Phrases = 1, Beats Per Minute = 120.00";
    }
    void tempoFromTicks()
    {
        QFETCH(QString, taps);
        QFETCH(QString, shown);
        AppHarness h;
        h.startWithoutWindows();
        MeasureSong& w = open(h);
        for (const QString& t : taps.split(' ')) {
            m_tick = t.mid(1).toLongLong();
            (t[0] == 'F' ? w.pbFirstPhrase : t[0] == 'N' ? w.pbNextPhrase : w.pbStartOver)->push();
        }
        QCOMPARE(w.stPhrases->text() + ", " + w.stBPM->text() + (w.pbFirstPhrase->enabled() ? ", First Phrase" : ""),
                 shown);
    }

    // The instructions keep their laid-out size; First Phrase hands the
    // keyboard to Next Phrase; the menu brings the open window forward as
    // it stands, and a closed one back with nothing kept.
    void opensFreshAndHandsOnTheKeyboard()
    {
        AppHarness h;
        h.startWithoutWindows();
        MeasureSong& w = open(h);
        QCOMPARE(QList<int>({w.st1->textSize(), w.stBPM->textSize()}), QList<int>({12, 10}));
        w.pbFirstPhrase->push();
        QCOMPARE(w.frame()->focusWidget(), w.pbNextPhrase->widget());
        QVERIFY(&open(h) == &w && !w.pbFirstPhrase->enabled());
        w.Close();
        QVERIFY(open(h).pbFirstPhrase->enabled() && open(h).Beat1 == 0);
    }
};

QTEST_MAIN(MeasureSongTest)
#include "tst_measuresong.moc"
