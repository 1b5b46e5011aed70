// What leaves the program goes through the platform: only web addresses reach
// the browser, questions come back as the user answers them.

#include "framework/FolderItem.h"
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

    void questionsAreAnsweredAndRecorded()
    {
        testing::ScopedFakePlatform fake;
        fake->answers.push_back(fw::MsgAnswer::Ok);
        QCOMPARE(fw::Ask(QStringLiteral("Delete it?"), QStringLiteral("Corvantis"), fw::MsgButtons::OkCancel,
                         fw::MsgIcon::Caution),
                 fw::MsgAnswer::Ok);
        // With no answer queued a question never goes ahead.
        QCOMPARE(fw::Ask(QStringLiteral("Again?"), QString(), fw::MsgButtons::YesNo, fw::MsgIcon::Question),
                 fw::MsgAnswer::No);
        fw::MsgBox(QStringLiteral("Done."));
        QCOMPARE(fake->messageTexts(), QStringList({"Delete it?", "Again?", "Done."}));
        QCOMPARE(fake->messages.front().title, QStringLiteral("Corvantis"));
        QVERIFY(fake->messages.front().icon == fw::MsgIcon::Caution);
        QVERIFY(!fw::GetOpenFolderItem(QStringLiteral("special/any")).valid());   // cancelled
    }
};

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
