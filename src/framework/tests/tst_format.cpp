#include "framework/Format.h"

#include <QTest>

#include <climits>
#include <limits>

class TestFormat : public QObject {
    Q_OBJECT
private slots:
    void format_data()
    {
        QTest::addColumn<double>("number");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("expected");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        const struct { double number; const char* picture; const char* expected; } rows[] = {
            {0.5, "###.00", "0.50"}, {-1.234, "###.00", "-1.23"}, {123.456, "###.00", "123.46"},
            {nan, "###.00", "0.00"}, {-inf, "000000", "000000"},
            {1.5, "000.00", "001.50"}, {1234.5, "000.00", "1234.50"},
            {-0.3, "-000.00", "-000.30"}, {0.3, "-000.00", "000.30"},
            {2.675, "0.00", "2.68"}, {-2.675, "0.00", "-2.68"}, {1.005, "0.00", "1.01"},
            {9.999, "0.00", "10.00"}, {-0.001, "0.00", "0.00"}, {5, "00.00", "05.00"},
            {0.333, "###.###", "0.333"}, {1.5, "###.###", "1.5"}, {1.9996, "###.###", "2"},
            {12.5, "##.#0", "12.50"}, {3, "##.#0", "3.00"}, {99.95, "###.0", "100.0"},
            {12345.678, "####.00", "12345.68"}, {7, "000000", "000007"}, {-7, "000000", "-000007"},
            {1234567, "###,###", "1,234,567"}, {999, "###,###", "999"}, {-1234, "###,###", "-1,234"},
            {0, "#", "0"}, {-2.5, "#", "-3"}, {-0.4, "#", "0"}, {1e15, "#", "1000000000000000"},
            {0, "+0.00", "+0.00"}, {-1.5, "+0.00", "-1.50"}, {1.25, "0.0 s", "1.3 s"},
            {999999999999999, "###,###.0", "999,999,999,999,999.0"}, {-0.0, "000000", "000000"},
        };
        for (const auto& row : rows)
            QTest::addRow("%s %g", row.picture, row.number) << row.number << QString::fromLatin1(row.picture) << QString::fromLatin1(row.expected);
    }
    void format()
    {
        QFETCH(double, number);
        QFETCH(QString, picture);
        QFETCH(QString, expected);
        QCOMPARE(fw::Format(number, picture), expected);
    }

    void cdbl_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::addColumn<bool>("numeric");   // the whole text is the number
        const struct { const char* text; double expected; bool numeric; } rows[] = {
            {"12.5 s", 12.5, false}, {"abc", 0, false}, {"", 0, false}, {"-3", -3, true}, {"+2.5", 2.5, true},
            {"-.5", -0.5, true}, {"1e3", 1000, true}, {"2.5e-1x", 0.25, false}, {"1e", 1, false},
            {"12,50", 12.5, true}, {"1,234.5", 1, false}, {"  7.25 ", 7.25, true}, {"-", 0, false}, {".", 0, false},
        };
        for (const auto& row : rows)
            QTest::addRow("'%s'", row.text) << QString::fromLatin1(row.text) << row.expected << row.numeric;
    }
    void cdbl()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QFETCH(bool, numeric);
        QCOMPARE(fw::CDbl(text), expected);
        QCOMPARE(fw::numberOf(text).has_value(), numeric);
    }

    // Every value in whole thousandths, written and read back, is that value
    // rounded half away from zero, computed here in integers.
    void readsBack()
    {
        const struct { const char* picture; int decimals; } pictures[] = {
            {"###.00", 2}, {"000.00", 2}, {"-000.00", 2}, {"0.00", 2}, {"00.00", 2}, {"##.#0", 2},
            {"####.00", 2}, {"+0.00", 2}, {"###.###", 3}, {"###.0", 1}, {"000000", 0}, {"#", 0},
        };
        for (const auto& [picture, decimals] : pictures) {
            const int divisor = int(std::pow(10, 3 - decimals));
            for (int thousandths = -300000; thousandths <= 300000; thousandths += 37) {
                const int units = (std::abs(thousandths) + divisor / 2) / divisor;
                const double expected = (thousandths < 0 ? -units : units) / std::pow(10, decimals);
                const QString text = fw::Format(thousandths / 1000.0, QLatin1String(picture));
                if (fw::CDbl(text) != expected)
                    QFAIL(qPrintable(QStringLiteral("%1 as %2 gave %3").arg(thousandths / 1000.0).arg(picture, text)));
            }
        }
    }

    void cint()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(QList<int>({fw::CInt(2.5), fw::CInt(-2.5), fw::CInt(2.4), fw::CInt(-2.6), fw::CInt(1e12), fw::CInt(-1e12),
                             fw::CInt(nan)}),
                 QList<int>({3, -3, 2, -3, INT_MAX, INT_MIN, 0}));
    }
};

QTEST_GUILESS_MAIN(TestFormat)
#include "tst_format.moc"
