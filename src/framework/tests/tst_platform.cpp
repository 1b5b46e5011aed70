// Only web addresses reach the browser: a link from an imported file must not
// open a local file or run another program's handler.

#include "framework/Platform.h"
#include "support/FakePlatform.h"

#include <QtTest>

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    void onlyWebAddressesReachTheBrowser_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opened");
        QTest::newRow("https") << "https://corvantis.example.org/melvaro/docs" << true;
        QTest::newRow("no scheme") << "corvantis.example.org/melvaro" << true;
        QTest::newRow("http") << "http://example.org/a?b=c" << true;
        QTest::newRow("local file") << "file:///etc/passwd" << false;
        QTest::newRow("absolute path") << "/etc/passwd" << false;
        QTest::newRow("other scheme") << "javascript:alert(1)" << false;
        QTest::newRow("empty") << "" << false;
    }
    void onlyWebAddressesReachTheBrowser()
    {
        QFETCH(QString, address);
        QFETCH(bool, opened);
        testing::ScopedFakePlatform fake;
        fw::ShowURL(address);
        QCOMPARE(fake->urls, opened ? QStringList{address} : QStringList{});
        QCOMPARE(fake->beeps, opened ? 0 : 1);
    }
};

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
