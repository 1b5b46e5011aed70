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
using testing::setting;

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
        QTest::addColumn<QString>("window");   // its command is "m" and the window's name
        for (const char* window : {"Songs", "TheCount", "Feet", "SongLocations", "SetupSongs", "Settings", "About"})
            QTest::newRow(window) << QString::fromLatin1(window);
    }
    void windowCommands()
    {
        QFETCH(QString, window);
        const QString item = QLatin1Char('m') + window;
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
        for (const char* item : {"mUserManual", "mAppDataFolder", "mProgramFolder"})
            h.app->chooseMenuItem(QLatin1String(item));
        QCOMPARE(h.fake->urls, QStringList{"https://corvantis.example.org/melvaro/docs"});
        // A program folder that cannot be found gets a beep.
        const QStringList program = Code::fApp.valid() ? QStringList{Code::fApp.posixPath()} : QStringList();
        QCOMPARE(h.fake->folders, QStringList{h.env.appDataFolder()} + program);
        QCOMPARE(h.fake->beeps, program.isEmpty() ? 1 : 0);
    }

    void aboutWindow()
    {
        AppHarness h;
        h.start();
        h.app->chooseMenuItem(QStringLiteral("mAbout"));
        const auto label = [](const char* name) {
            return About::instance().control<fw::StaticText>(QLatin1String(name));
        };
        QCOMPARE(QStringList({label("stHomePage")->text(), label("stVersion")->text()}),
                 QStringList({"corvantis.example.org/melvaro", "Version: " + QCoreApplication::applicationVersion()}));
        QCOMPARE(QList<int>({label("stProgramName")->textSize(), label("stBy")->textSize(),
                             label("stHomePage")->textSize()}),
                 QList<int>({22, 10, 10}));
        QTest::mouseClick(label("stHomePage")->widget(), Qt::LeftButton, {}, QPoint(10, 5));
        QCOMPARE(h.fake->urls, QStringList{Code::HomePage});
        // The About window cannot be resized.
        QCOMPARE(About::instance().frame()->minimumSize(), About::instance().frame()->maximumSize());
        About::instance().Close();
        h.app->chooseMenuItem(QStringLiteral("mAbout"));
        QCOMPARE(label("stBy")->textSize(), 10);
    }

    // The window opens with the stored flag; a choice takes effect at once,
    // Save stores it as a word that reads back as a Boolean at the next start,
    // and closing without Save keeps the row as it was.
    void settingsWindowOpensWithTheFlagAndSaveStoresTheWord_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("True") << "True";
        QTest::newRow("False") << "False";
    }
    void settingsWindowOpensWithTheFlagAndSaveStoresTheWord()
    {
        QFETCH(QString, stored);
        const bool useQuickTime = stored == "True";
        const QString other = useQuickTime ? "False" : "True";
        AppHarness h;
        testing::execute(h, "Update Settings Set UseQuickTime='" + stored + "'");
        h.start();
        h.app->chooseMenuItem(QStringLiteral("mSettings"));
        Settings& w = Settings::instance();
        auto* quickTime = w.control<fw::RadioButton>(QStringLiteral("rbQuickTime"));
        auto* wmp = w.control<fw::RadioButton>(QStringLiteral("rbWMP"));
        auto* save = w.control<fw::PushButton>(QStringLiteral("pbSave"));
        QCOMPARE(QList<bool>({quickTime->value(), wmp->value(), save->enabled()}),
                 QList<bool>({useQuickTime, !useQuickTime, false}));
        // The one window that keeps its laid-out text sizes.
        QCOMPARE(w.control<fw::StaticText>(QStringLiteral("StaticText1"))->textSize(), 12);
        QTest::mouseClick((useQuickTime ? wmp : quickTime)->widget(), Qt::LeftButton);
        QCOMPARE(QList<bool>({Code::UseQuickTime, save->enabled()}), QList<bool>({!useQuickTime, true}));
        save->push();
        QVERIFY(!save->enabled());
        QCOMPARE(setting(h, "UseQuickTime"), other);
        (useQuickTime ? quickTime : wmp)->setValue(true);
        w.Close();
        QCOMPARE(Code::UseQuickTime, useQuickTime);
        QCOMPARE(setting(h, "UseQuickTime"), other);
        h.quit();
        h.restart();
        h.start();
        QCOMPARE(Code::UseQuickTime, !useQuickTime);
    }

    // A Save the database refuses (another program reading the file) is told;
    // Save stays offered and a later one stores the choice.
    void settingsSaveRefusedIsToldAndCanBeRepeated()
    {
        AppHarness h;
        testing::execute(h, "Update Settings Set UseQuickTime='True'");
        h.start();
        h.app->chooseMenuItem(QStringLiteral("mSettings"));
        Settings& w = Settings::instance();
        auto* save = w.control<fw::PushButton>(QStringLiteral("pbSave"));
        QTest::mouseClick(w.control<fw::RadioButton>(QStringLiteral("rbWMP"))->widget(), Qt::LeftButton);
        std::optional<testing::OtherProgram> other(std::in_place, h, testing::OtherProgram::Hold::Reading);
        save->push();
        other.reset();
        QCOMPARE(h.fake->messageTexts(), QStringList{"Could not save the setting. Error: database is locked"});
        QVERIFY(save->enabled() && testing::noTransactionOpen());
        QCOMPARE(setting(h, "UseQuickTime"), "True");
        save->push();
        QVERIFY(!save->enabled());
        QCOMPARE(setting(h, "UseQuickTime"), "False");
    }
};

QTEST_MAIN(MenuCommandsTest)
#include "tst_menucommands.moc"
