// The string helper that finds the folder part of a stored path.

#include "core/Code.h"

#include <QtTest>

class CodeTest : public QObject {
    Q_OBJECT
private slots:
    void instrRev_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("find");
        QTest::addColumn<int>("position");
        QTest::newRow("last colon") << "home:ana:Music:Song.mp3" << ":" << 15;
        QTest::newRow("colon as 11th and last character") << "home:music:" << ":" << 11;
        QTest::newRow("colon as 11th of more") << "home:music:x" << ":" << 11;
        QTest::newRow("case ignored") << "abcx" << "X" << 4;
        QTest::newRow("absent") << "bare name.mp3" << ":" << 0;
        QTest::newRow("empty source") << "" << ":" << 0;
        QTest::newRow("empty find") << "a:b" << "" << 0;
        QTest::newRow("overlapping") << "aaa" << "aa" << 2;
        QTest::newRow("longer find") << "x:y:z" << ":Z" << 4;
    }
    void instrRev()
    {
        QFETCH(QString, source);
        QFETCH(QString, find);
        QFETCH(int, position);
        QCOMPARE(Code::InstrRev(source, find), position);
    }
};

QTEST_MAIN(CodeTest)
#include "tst_code.moc"
