// Start-up and shut-down on a real data folder: the failures with their
// messages, the first run and the second, the menu bar after start, and the
// flag written back by quitting.

#include "core/Code.h"
#include "core/MenuBar1.h"
#include "framework/Layout.h"
#include "player/TheCount.h"
#include "practice/Feet.h"
#include "support/app/AppHarness.h"

#include <QMenuBar>
#include <QtTest>

using testing::AppHarness;
using testing::TestEnvironment;
using testing::execute;
using testing::setting;

namespace {
// The menu's title, then the captions of its visible items with their shortcuts.
QStringList visibleCaptions(const QString& menuName)
{
    fw::MenuItem* menu = MenuBar1::instance().child(menuName);
    QStringList captions{menu->menu()->title()};
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

// Starts the program and checks that the start failed with this one message
// and quit, leaving no player window open.
void checkFailedStart(AppHarness& h, const QString& message)
{
    h.start();
    QCOMPARE(h.fake->messageTexts(), QStringList{message});
    QVERIFY(h.app->quitRequested());
    QVERIFY(!TheCount::isOpen());
}
} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void missingDataFolderIsCreatedThenNoDatabase()
    {
        AppHarness h(TestEnvironment::Starter::None);
        QVERIFY(!QDir(h.env.appDataFolder()).exists());
        checkFailedStart(h, "Couldn't locate the Melvaro.sdb database file.");
        QVERIFY(QDir(h.env.appDataFolder()).exists());
        QVERIFY(!QFile::exists(h.env.databasePath()));   // the program never creates it
    }

    void noApplicationDataFolderAtAll()
    {
        AppHarness h(TestEnvironment::Starter::None);
        const QByteArray home = qgetenv("HOME");
        qputenv("XDG_DATA_HOME", "relative/path");
        qunsetenv("HOME");
        checkFailedStart(h, "Can't access the Application Support Folder.");
        qputenv("HOME", home);
    }

    void fileThatIsNotADatabase()
    {
        AppHarness h(TestEnvironment::Starter::None);
        QDir().mkpath(h.env.appDataFolder());
        const QByteArray text = "Title\tArtist\nnot a database\n";
        QFile file(h.env.databasePath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        checkFailedStart(h, "Can't open database file.");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), text);
    }

    void brokenSettingsRowStopsTheStart()
    {
        AppHarness h;
        // A settings table without the first-run column cannot be loaded.
        execute(h, QStringLiteral("ALTER TABLE Settings DROP COLUMN FirstRun"));
        checkFailedStart(h, "Something went wrong in App.LoadSettings.");
        // Nothing of the first run was written, and quitting wrote no flag.
        QCOMPARE(setting(h, "SongsTop, BeatOn1357"), QStringLiteral("0,0"));
    }

    void windowThatCannotBeBuiltStopsTheStart()
    {
        const fw::LayoutRecords kept = fw::layoutRecords(QStringLiteral("Feet"));
        fw::LayoutRecords broken = kept;
        broken.controls.front().kind = QStringLiteral("NoSuchControl");
        fw::registerLayout(broken);
        AppHarness h;
        checkFailedStart(h, "Something went wrong in App.OpenWindows.");
        fw::registerLayout(kept);
        QVERIFY(!Feet::isOpen());   // the half-built window is gone, not kept
    }

    void firstRunMakesPathsAbsoluteAndWritesThePlaces()
    {
        AppHarness h;
        // A song whose file is not in the data folder keeps its bare name.
        execute(h, QStringLiteral("Insert Into Songs (Title, Path) Values ('Elsewhere', 'nowhere.wav')"));
        const QString paths = QLatin1String("Select group_concat(Path, '|') from (Select Path from Songs order by ID)");
        QStringList expected;
        for (const QString& name : h.queryValue(paths).split(QLatin1Char('|'))) {
            const QString file = h.env.appDataFolder() + QLatin1Char('/') + name;
            expected << (!name.isEmpty() && QFile::exists(file) ? file : name);
        }
        QVERIFY(expected.filter(h.env.appDataFolder()).size() >= 2 && expected.contains("nowhere.wav"));
        h.start();
        QVERIFY(h.fake->messages.empty());
        QVERIFY(Code::FirstRun);   // stays true for the whole run
        QCOMPARE(setting(h, "FirstRun, SongsTop, SongsLeft, SongsHeight, SongsWidth, TestTop, TestWidth, FeetLeft,"
                            "SongLocationsHeight"),
                 QStringLiteral("0,516,177,242,488,50,640,356,577"));
        QStringList stored;
        for (const QString& path : h.queryValue(paths).split(QLatin1Char('|')))
            stored << fw::posixPathFromColon(path).value_or(path);
        QCOMPARE(stored, expected);
    }

    void secondRunWritesNothingAgain()
    {
        AppHarness h;
        h.start();
        h.quit();
        // Quitting saved the windows' places; a place changed since must stay.
        execute(h, QStringLiteral("Update Settings Set SongsTop=300"));
        h.restart();
        h.start();
        QVERIFY(!Code::FirstRun && h.fake->messages.empty() && TheCount::isOpen());
        QCOMPARE(setting(h, "SongsTop"), QStringLiteral("300"));
    }

    void missingSettingsRowIsNoFailure()
    {
        AppHarness h;
        execute(h, QStringLiteral("Delete From Settings"));
        h.start();
        QVERIFY(h.fake->messages.empty() && TheCount::isOpen());
        QVERIFY(!Code::BeatOn1357 && !Code::UseQuickTime && !Code::FirstRun);
        QCOMPARE(QSize(TheCount::instance().width(), TheCount::instance().height()), QSize(313, 441));
        h.quit();
        QCOMPARE(setting(h, "count(*)"), QStringLiteral("0"));
    }

    void menuBarAfterStart()
    {
        AppHarness h;
        h.start();
        h.app->updateMenus();
        QCOMPARE(visibleCaptions(QStringLiteral("FileMenu")),
                 QStringList({"&File", "Songs", "The Count", "Basic Step", "Test", "-", "Beat Only on 1,3,5,7",
                              "Song Locations", "Song Synchronization", "-", "Measure a Song", "Setup Songs",
                              "-", "Quit\tCmd+Q"}));
        QCOMPARE(visibleCaptions(QStringLiteral("mEdit")),
                 QStringList({"&Edit", "&Undo\tCmd+Z", "-", "Cu&t\tCmd+X", "&Copy\tCmd+C", "&Paste\tCmd+V", "Clear"}));
        QCOMPARE(visibleCaptions(QStringLiteral("mHelp")),
                 QStringList({"Help", "Go to Help Page", "-", "Open Program Folder", "Open App Data Folder", "-",
                              "About Corvantis"}));
        // The player window carries the same bar: a check mark shows there too.
        auto* bar = TheCount::instance().frame()->findChild<QMenuBar*>();
        QCOMPARE(bar ? bar->actions().first()->menu() : nullptr,
                 MenuBar1::instance().child(QStringLiteral("FileMenu"))->menu());
    }

    void quitWritesTheOddBeatsFlagBack_data()
    {
        QTest::addColumn<int>("toggles");
        QTest::newRow("never") << 0;
        QTest::newRow("once") << 1;
        QTest::newRow("three times") << 3;
        QTest::newRow("twice") << 2;
    }
    void quitWritesTheOddBeatsFlagBack()
    {
        QFETCH(int, toggles);
        const bool on = toggles % 2 == 1;
        AppHarness h;
        h.start();
        for (int i = 0; i < toggles; ++i)
            h.app->chooseMenuItem(QStringLiteral("mBeatOn1357"));
        QCOMPARE(QList<bool>({mBeatOn1357()->checked(), Code::BeatOn1357}), QList<bool>({on, on}));
        QCOMPARE(setting(h, "BeatOn1357"), QStringLiteral("0"));   // written only when quitting
        h.quit();
        QVERIFY(h.fake->messages.empty());   // quitting asks nothing
        QCOMPARE(setting(h, "BeatOn1357"), on ? "1" : "0");
    }

    void storedFlagsAreLoaded()
    {
        AppHarness h;
        execute(h, QStringLiteral("Update Settings Set BeatOn1357=1, UseQuickTime='False', FirstRun='False'"));
        h.start();
        QCOMPARE(QList<bool>({Code::BeatOn1357, mBeatOn1357()->checked(), Code::UseQuickTime, Code::FirstRun}),
                 QList<bool>({true, true, false, false}));
    }

    void playerWindowKeepsItsPlace()
    {
        AppHarness h;
        h.start();
        TheCount& player = TheCount::instance();
        QCOMPARE(QRect(player.left(), player.top(), player.width(), player.height()), QRect(12, 50, 338, 435));
        player.setTop(80);
        player.setLeft(-4);
        player.Close();
        QCOMPARE(setting(h, "TheCountTop, TheCountLeft"), QStringLiteral("80,-4"));
        // A window whose top is 0 or above leaves the saved place as it was.
        TheCount::instance().setTop(0);
        TheCount::instance().Close();
        QCOMPARE(setting(h, "TheCountTop"), QStringLiteral("80"));
        QCOMPARE(TheCount::instance().top(), 80);
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
