// The menu commands and the two small windows of the application core.

#include "core/About.h"
#include "core/Code.h"
#include "core/MenuBar1.h"
#include "core/Settings.h"
#include "player/TheCount.h"
#include "support/app/AppHarness.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

using testing::AppHarness;

class MenuCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void everyHandlerIsBound()
    {
        AppHarness h;
        for (const char* name : {"mSongs", "mBeatOn1357", "mSettings", "mAbout", "mExit", "mFeet", "mTest",
                                 "mTheCount", "mUserManual", "mSetupSongs", "mSongLocations", "mMeasureSong",
                                 "mProgramFolder", "mAppDataFolder", "mSynch"})
            QVERIFY2(h.app->hasMenuHandler(QLatin1String(name)), name);
        QVERIFY(!h.app->hasMenuHandler(QStringLiteral("EditCopy")));   // the platform's text editing serves it
    }

    // Each window command shows its window, brings an open one to the front
    // without building it again, and builds a closed one afresh.
    void windowCommands_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("window");
        QTest::newRow("Songs") << "mSongs" << "Songs";
        QTest::newRow("The Count") << "mTheCount" << "TheCount";
        QTest::newRow("Basic Step") << "mFeet" << "Feet";
        QTest::newRow("Song Locations") << "mSongLocations" << "SongLocations";
        QTest::newRow("Setup Songs") << "mSetupSongs" << "SetupSongs";
        QTest::newRow("Settings") << "mSettings" << "Settings";
        QTest::newRow("About") << "mAbout" << "About";
    }
    void windowCommands()
    {
        QFETCH(QString, item);
        QFETCH(QString, window);
        AppHarness h;
        h.start();
        auto find = [&] {
            for (fw::Window* w : fw::Window::openWindows())
                if (w->objectName() == window)
                    return w;
            return static_cast<fw::Window*>(nullptr);
        };
        h.app->chooseMenuItem(item);
        fw::Window* first = find();
        QVERIFY(first && first->isVisible());
        h.app->chooseMenuItem(item);
        QCOMPARE(find(), first);
        first->Close();
        QVERIFY(!find());
        h.app->chooseMenuItem(item);
        QVERIFY(find() && find()->isVisible());   // the player too, though laid out hidden
    }

    void settingsItemIsNeverSeen()
    {
        AppHarness h;
        h.start();
        QVERIFY(!mSettings()->action()->isVisible());
        mSettings()->setVisible(true);
        emit MenuBar1::instance().child(QStringLiteral("FileMenu"))->menu()->aboutToShow();
        QVERIFY(!mSettings()->action()->isVisible());
    }

    void pagesAndFoldersOpenOutside()
    {
        AppHarness h;
        h.start();
        h.app->chooseMenuItem(QStringLiteral("mUserManual"));
        QCOMPARE(h.fake->urls, QStringList{"https://corvantis.example.org/melvaro/docs"});
        h.app->chooseMenuItem(QStringLiteral("mAppDataFolder"));
        QCOMPARE(h.fake->folders, QStringList{h.env.appDataFolder()});
        h.fake->folders.clear();
        h.app->chooseMenuItem(QStringLiteral("mProgramFolder"));
        if (Code::fApp.valid())
            QCOMPARE(h.fake->folders, QStringList{Code::fApp.posixPath()});
        else
            QCOMPARE(h.fake->beeps, 1);
    }

    void aboutWindow()
    {
        AppHarness h;
        h.start();
        h.app->chooseMenuItem(QStringLiteral("mAbout"));
        QVERIFY(About::isOpen());
        About& about = About::instance();
        auto* home = about.control<fw::StaticText>(QStringLiteral("stHomePage"));
        QCOMPARE(home->text(), QStringLiteral("corvantis.example.org/melvaro"));
        QCOMPARE(about.control<fw::StaticText>(QStringLiteral("stVersion"))->text(),
                 QStringLiteral("Version: ") + QCoreApplication::applicationVersion());
        QCOMPARE(about.control<fw::StaticText>(QStringLiteral("stProgramName"))->textSize(), 22);
        QCOMPARE(about.control<fw::StaticText>(QStringLiteral("stBy"))->textSize(), 10);
        QCOMPARE(home->textSize(), 10);
        QTest::mouseClick(home->widget(), Qt::LeftButton, {}, QPoint(10, 5));
        QCOMPARE(h.fake->urls, QStringList{Code::HomePage});
        // The About window cannot be resized.
        QCOMPARE(about.frame()->minimumSize(), about.frame()->maximumSize());
        about.Close();
        h.app->chooseMenuItem(QStringLiteral("mAbout"));
        QCOMPARE(About::instance().control<fw::StaticText>(QStringLiteral("stBy"))->textSize(), 10);
    }

    void settingsWindowOpensWithTheFlag_data()
    {
        QTest::addColumn<bool>("useQuickTime");
        QTest::newRow("true") << true;
        QTest::newRow("false") << false;
    }
    void settingsWindowOpensWithTheFlag()
    {
        QFETCH(bool, useQuickTime);
        AppHarness h;
        h.start();
        Code::UseQuickTime = useQuickTime;
        h.app->chooseMenuItem(QStringLiteral("mSettings"));
        Settings& w = Settings::instance();
        QCOMPARE(w.control<fw::RadioButton>(QStringLiteral("rbQuickTime"))->value(), useQuickTime);
        QCOMPARE(w.control<fw::RadioButton>(QStringLiteral("rbWMP"))->value(), !useQuickTime);
        QVERIFY(!w.control<fw::PushButton>(QStringLiteral("pbSave"))->enabled());
        // The one window that keeps its laid-out text sizes.
        QCOMPARE(w.control<fw::StaticText>(QStringLiteral("StaticText1"))->textSize(), 12);
    }

    void settingsSaveStoresTheWord()
    {
        AppHarness h;
        h.start();
        Code::UseQuickTime = true;
        Settings& w = Settings::instance();
        auto* save = w.control<fw::PushButton>(QStringLiteral("pbSave"));
        QTest::mouseClick(w.control<fw::RadioButton>(QStringLiteral("rbWMP"))->widget(), Qt::LeftButton);
        QVERIFY(!Code::UseQuickTime);   // the choice takes effect at once
        QVERIFY(save->enabled());
        save->push();
        QVERIFY(!save->enabled());
        QCOMPARE(h.queryValue(QStringLiteral("Select UseQuickTime from Settings")), QStringLiteral("False"));
        w.control<fw::RadioButton>(QStringLiteral("rbQuickTime"))->setValue(true);
        w.Close();   // closing without Save keeps the row as it was
        QVERIFY(Code::UseQuickTime);
        QCOMPARE(h.queryValue(QStringLiteral("Select UseQuickTime from Settings")), QStringLiteral("False"));
        // The stored word reads back as a Boolean at the next start.
        h.quit();
        h.restart();
        h.start();
        QVERIFY(!Code::UseQuickTime);
    }
};

QTEST_MAIN(MenuCommandsTest)
#include "tst_menucommands.moc"
