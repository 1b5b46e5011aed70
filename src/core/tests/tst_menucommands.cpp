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
    }

    // The window opens with the stored flag; a choice takes effect at once.
    // A Save the database refuses (another program reading the file) is told
    // and Save stays offered; a later Save stores the choice as a word that
    // reads back as a Boolean at the next start. Closing without Save keeps
    // the row as it was.
    void settingsWindowOpensWithTheFlagAndSaveStoresTheWord()
    {
        AppHarness h;
        testing::execute(h, "Update Settings Set UseQuickTime='True'");
        h.start();
        // The window as the menu command shows it: its two choices and Save.
        const auto shown = [&h] {
            h.app->chooseMenuItem(QStringLiteral("mSettings"));
            Settings& w = Settings::instance();
            return QList<bool>({w.control<fw::RadioButton>(QStringLiteral("rbQuickTime"))->value(),
                                w.control<fw::RadioButton>(QStringLiteral("rbWMP"))->value(),
                                w.control<fw::PushButton>(QStringLiteral("pbSave"))->enabled()});
        };
        QCOMPARE(shown(), QList<bool>({true, false, false}));
        Settings& w = Settings::instance();
        auto* save = w.control<fw::PushButton>(QStringLiteral("pbSave"));
        QTest::mouseClick(w.control<fw::RadioButton>(QStringLiteral("rbWMP"))->widget(), Qt::LeftButton);
        QVERIFY(!Code::UseQuickTime && save->enabled());
        std::optional<testing::OtherProgram> reader(std::in_place, h, testing::OtherProgram::Hold::Reading);
        save->push();
        reader.reset();
        QCOMPARE(h.fake->messageTexts(), QStringList{"Could not save the setting. Error: database is locked"});
        QVERIFY(save->enabled() && testing::noTransactionOpen() && setting(h, "UseQuickTime") == "True");
        save->push();
        QVERIFY(!save->enabled() && setting(h, "UseQuickTime") == "False");
        w.control<fw::RadioButton>(QStringLiteral("rbQuickTime"))->setValue(true);
        w.Close();
        QVERIFY(Code::UseQuickTime && setting(h, "UseQuickTime") == "False");
        h.quit();
        h.restart();
        h.start();
        QVERIFY(!Code::UseQuickTime);
        QCOMPARE(shown(), QList<bool>({false, true, false}));
    }
};

QTEST_MAIN(MenuCommandsTest)
#include "tst_menucommands.moc"
