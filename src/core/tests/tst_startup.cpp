// Start-up and shut-down on a real data folder: the failures with their
// messages, the first run and the second, the menu bar after start, and the
// flag written back by quitting.

#include "core/Code.h"
#include "core/MenuBar1.h"
#include "framework/Layout.h"
#include "player/TheCount.h"
#include "practice/Feet.h"
#include "support/app/AppHarness.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using testing::AppHarness;
using testing::TestEnvironment;

namespace {
QStringList visibleCaptions(const QString& menuName)
{
    QStringList captions;
    fw::MenuItem* menu = MenuBar1::instance().child(menuName);
    for (int i = 0; i < menu->count(); ++i) {
        fw::MenuItem* item = menu->item(i);
        if (!item->action()->isVisible())
            continue;
        QString caption = item->text();
        if (!item->keyboardShortcut().isEmpty())
            caption += QLatin1Char('\t') + item->keyboardShortcut();
        captions << caption;
    }
    return captions;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void missingDataFolderIsCreatedThenNoDatabase()
    {
        AppHarness h(TestEnvironment::Starter::None);
        QVERIFY(!QDir(h.env.appDataFolder()).exists());
        h.start();
        QVERIFY(QDir(h.env.appDataFolder()).exists());
        QCOMPARE(h.fake->messageTexts(), QStringList{"Couldn't locate the Melvaro.sdb database file."});
        QVERIFY(h.app->quitRequested());
        QVERIFY(!QFile::exists(h.env.databasePath()));   // the program never creates it
        QVERIFY(!TheCount::isOpen());
    }

    void noApplicationDataFolderAtAll()
    {
        AppHarness h(TestEnvironment::Starter::None);
        const QByteArray home = qgetenv("HOME");
        qputenv("XDG_DATA_HOME", "relative/path");
        qunsetenv("HOME");
        h.start();
        qputenv("HOME", home);
        QCOMPARE(h.fake->messageTexts(), QStringList{"Can't access the Application Support Folder."});
        QVERIFY(h.app->quitRequested());
    }

    void fileThatIsNotADatabase()
    {
        AppHarness h(TestEnvironment::Starter::None);
        QDir().mkpath(h.env.appDataFolder());
        QFile text(h.env.databasePath());
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("Title\tArtist\nnot a database\n");
        text.close();
        const QByteArray before = fileBytes(h.env.databasePath());
        h.start();
        h.app->Quit(1);
        QCOMPARE(h.fake->messageTexts(), QStringList{"Can't open database file."});
        QVERIFY(h.app->quitRequested());
        QCOMPARE(fileBytes(h.env.databasePath()), before);
    }

    void brokenSettingsRowStopsTheStart()
    {
        AppHarness h;
        {
            auto db = h.openDatabase();
            // A settings table without the first-run column cannot be loaded.
            db->SQLExecute(QStringLiteral("ALTER TABLE Settings DROP COLUMN FirstRun"));
            QVERIFY(!db->Error());
        }
        h.start();
        QCOMPARE(h.fake->messageTexts(), QStringList{"Something went wrong in App.LoadSettings."});
        QVERIFY(h.app->quitRequested());
        QVERIFY(!TheCount::isOpen());
        // Nothing of the first run was written, and quitting wrote no flag.
        QCOMPARE(h.queryValue(QStringLiteral("Select SongsTop from Settings")), QStringLiteral("0"));
        QCOMPARE(h.queryValue(QStringLiteral("Select BeatOn1357 from Settings")), QStringLiteral("0"));
    }

    void windowThatCannotBeBuiltStopsTheStart()
    {
        const fw::LayoutRecords kept = fw::layoutRecords(QStringLiteral("Feet"));
        fw::LayoutRecords broken = kept;
        broken.controls.front().kind = QStringLiteral("NoSuchControl");
        fw::registerLayout(broken);
        AppHarness h;
        h.start();
        fw::registerLayout(kept);
        QCOMPARE(h.fake->messageTexts(), QStringList{"Something went wrong in App.OpenWindows."});
        QVERIFY(h.app->quitRequested());
        QVERIFY(!Feet::isOpen());   // the half-built window is gone, not kept
    }

    void firstRunMakesPathsAbsoluteAndWritesThePlaces()
    {
        AppHarness h;
        {
            auto db = h.openDatabase();
            // A song whose file is elsewhere keeps its name.
            db->SQLExecute(QStringLiteral("Insert Into Songs (Title, Path) Values ('Elsewhere', 'nowhere.wav')"));
        }
        h.start();
        QVERIFY(h.fake->messages.empty());
        QVERIFY(Code::FirstRun);   // stays true for the whole run
        QCOMPARE(h.queryValue(QStringLiteral("Select FirstRun from Settings")), QStringLiteral("0"));
        QCOMPARE(h.queryValue(QStringLiteral("Select SongsTop || ',' || SongsLeft || ',' || SongsHeight || ',' || SongsWidth from Settings")),
                 QStringLiteral("516,177,242,488"));
        QCOMPARE(h.queryValue(QStringLiteral("Select TestTop || ',' || TestWidth || ',' || FeetLeft || ',' || SongLocationsHeight from Settings")),
                 QStringLiteral("50,640,356,577"));

        auto db = h.openDatabase();
        auto songs = db->SQLSelect(QStringLiteral("Select Title, Path from Songs"));
        int absolute = 0;
        while (!songs->eof()) {
            const QString title = songs->Field(QStringLiteral("Title")).StringValue();
            const QString path = songs->Field(QStringLiteral("Path")).StringValue();
            const auto posix = fw::posixPathFromColon(path);
            if (posix && QFile::exists(*posix)) {
                QVERIFY(posix->startsWith(h.env.appDataFolder() + QLatin1Char('/')));
                ++absolute;
            } else {
                // Not shipped, or not in the data folder: the bare name stays.
                QVERIFY2(!path.contains(QLatin1Char(':')), qPrintable(title + QLatin1String(": ") + path));
            }
            songs->MoveNext();
        }
        QVERIFY(absolute >= 2);
        QCOMPARE(h.queryValue(QStringLiteral("Select Path from Songs where Title='Elsewhere'")),
                 QStringLiteral("nowhere.wav"));
    }

    void secondRunWritesNothingAgain()
    {
        AppHarness h;
        h.start();
        h.quit();
        // Quitting saved the windows' places; a place changed since must stay.
        h.openDatabase()->SQLExecute(QStringLiteral("Update Settings Set SongsTop=300"));
        h.restart();
        h.start();
        QVERIFY(!Code::FirstRun);
        QVERIFY(h.fake->messages.empty());
        QCOMPARE(h.queryValue(QStringLiteral("Select SongsTop from Settings")), QStringLiteral("300"));
        QVERIFY(TheCount::isOpen());
    }

    void missingSettingsRowIsNoFailure()
    {
        AppHarness h;
        h.openDatabase()->SQLExecute(QStringLiteral("Delete From Settings"));
        h.start();
        QVERIFY(h.fake->messages.empty());
        QVERIFY(!Code::BeatOn1357 && !Code::UseQuickTime && !Code::FirstRun);
        QVERIFY(TheCount::isOpen());
        QCOMPARE(TheCount::instance().width(), 313);
        QCOMPARE(TheCount::instance().height(), 441);
        h.quit();
        QCOMPARE(h.queryValue(QStringLiteral("Select count(*) from Settings")), QStringLiteral("0"));
    }

    void menuBarAfterStart()
    {
        AppHarness h;
        h.start();
        h.app->updateMenus();
        QCOMPARE(visibleCaptions(QStringLiteral("FileMenu")),
                 QStringList({"Songs", "The Count", "Basic Step", "Test", "-", "Beat Only on 1,3,5,7",
                              "Song Locations", "Song Synchronization", "-", "Measure a Song", "Setup Songs",
                              "-", "Quit\tCmd+Q"}));
        QCOMPARE(visibleCaptions(QStringLiteral("mEdit")),
                 QStringList({"&Undo\tCmd+Z", "-", "Cu&t\tCmd+X", "&Copy\tCmd+C", "&Paste\tCmd+V", "Clear"}));
        QCOMPARE(visibleCaptions(QStringLiteral("mHelp")),
                 QStringList({"Go to Help Page", "-", "Open Program Folder", "Open App Data Folder", "-",
                              "About Corvantis"}));
        QCOMPARE(mExit()->action()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(MenuBar1::instance().child(QStringLiteral("FileMenu"))->menu()->title(), QStringLiteral("&File"));
        QCOMPARE(MenuBar1::instance().child(QStringLiteral("mHelp"))->menu()->title(), QStringLiteral("Help"));
        // The player window carries the same bar: a check mark shows there too.
        auto* bar = TheCount::instance().frame()->findChild<QMenuBar*>();
        QVERIFY(bar);
        QCOMPARE(bar->actions().first()->menu(), MenuBar1::instance().child(QStringLiteral("FileMenu"))->menu());
    }

    void quitWritesTheOddBeatsFlagBack_data()
    {
        QTest::addColumn<int>("toggles");
        QTest::addColumn<QString>("stored");
        QTest::newRow("never") << 0 << "0";
        QTest::newRow("once") << 1 << "1";
        QTest::newRow("three times") << 3 << "1";
        QTest::newRow("twice") << 2 << "0";
    }
    void quitWritesTheOddBeatsFlagBack()
    {
        QFETCH(int, toggles);
        QFETCH(QString, stored);
        AppHarness h;
        h.start();
        for (int i = 0; i < toggles; ++i)
            h.app->chooseMenuItem(QStringLiteral("mBeatOn1357"));
        QCOMPARE(mBeatOn1357()->checked(), toggles % 2 == 1);
        QCOMPARE(Code::BeatOn1357, toggles % 2 == 1);
        QCOMPARE(h.queryValue(QStringLiteral("Select BeatOn1357 from Settings")), QStringLiteral("0"));
        h.quit();
        QVERIFY(h.fake->messages.empty());   // quitting asks nothing
        QCOMPARE(h.queryValue(QStringLiteral("Select BeatOn1357 from Settings")), stored);
    }

    void storedFlagsAreLoaded()
    {
        AppHarness h;
        h.openDatabase()->SQLExecute(
            QStringLiteral("Update Settings Set BeatOn1357=1, UseQuickTime='False', FirstRun='False'"));
        h.start();
        QVERIFY(Code::BeatOn1357);
        QVERIFY(mBeatOn1357()->checked());
        QVERIFY(!Code::UseQuickTime);
        QVERIFY(!Code::FirstRun);
    }

    void playerWindowKeepsItsPlace()
    {
        AppHarness h;
        h.start();
        TheCount& player = TheCount::instance();
        QCOMPARE(player.top(), 50);
        QCOMPARE(player.left(), 12);
        QCOMPARE(player.width(), 338);
        QCOMPARE(player.height(), 435);
        player.setTop(80);
        player.setLeft(-4);
        player.Close();
        QCOMPARE(h.queryValue(QStringLiteral("Select TheCountTop || ',' || TheCountLeft from Settings")),
                 QStringLiteral("80,-4"));
        // A window whose top is 0 or above leaves the saved place as it was.
        TheCount::instance().setTop(0);
        TheCount::instance().Close();
        QCOMPARE(h.queryValue(QStringLiteral("Select TheCountTop from Settings")), QStringLiteral("80"));
        QCOMPARE(TheCount::instance().top(), 80);
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
