#include "framework/LookAhead.h"

#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

namespace {
bool chosen(int index) { return index % 3 == 0 || index % 7 == 0; }
} // namespace

class TestLookAhead : public QObject {
    Q_OBJECT
private slots:
    // Each answer is its own item's, whatever order they are asked in, and
    // each item's question runs once.
    void answersFollowTheirItems_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("backwards");
        QTest::newRow("few, worked out by the caller") << 10 << false;
        QTest::newRow("many, in order") << 5000 << false;
        QTest::newRow("many, backwards") << 5000 << true;
    }
    void answersFollowTheirItems()
    {
        QFETCH(int, count);
        QFETCH(bool, backwards);
        std::atomic<int> asked{0};
        fw::LookAhead ahead(count, [&](int index) {
            ++asked;
            return chosen(index);
        });
        for (int k = 0; k < count; ++k) {
            const int index = backwards ? count - 1 - k : k;
            if (ahead.answer(index) != chosen(index))
                QFAIL(qPrintable(QStringLiteral("item %1 got another's answer").arg(index)));
        }
        QCOMPARE(asked.load(), count);
        QVERIFY(!ahead.answer(count) && !ahead.answer(-1));
    }

    // Gone before every answer was asked for, it drops the questions not
    // begun and waits for the ones being answered.
    void goesWithoutWaitingForEveryAnswer()
    {
        std::atomic<int> running{0};
        std::atomic<int> answered{0};
        {
            fw::LookAhead ahead(100000, [&](int) {
                ++running;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                --running;
                ++answered;
                return true;
            });
            QVERIFY(ahead.answer(0));
        }
        QCOMPARE(running.load(), 0);
        QVERIFY(answered.load() < 1000);
    }
};

QTEST_GUILESS_MAIN(TestLookAhead)
#include "tst_lookahead.moc"
