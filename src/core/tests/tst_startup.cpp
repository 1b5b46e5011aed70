// Start-up and shut-down on a real data folder: the failures with their
// messages, the first run and the second, the menu bar after start, and the
// flag written back by quitting.

#include "core/Code.h"
#include "core/MenuBar1.h"
#include "framework/Layout.h"
#include "player/TheCount.h"
#include "practice/Feet.h"
#include "support/Windows.h"
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

// The window places of a first run, as an installation's first start gives them.
const std::pair<const char*, int> kFirstRunPlaces[] = {
    {"SongsTop", 516}, {"SongsLeft", 177}, {"SongsHeight", 242}, {"SongsWidth", 488},
    {"SetupSongsTop", 67}, {"SetupSongsLeft", 32}, {"SetupSongsHeight", 414}, {"SetupSongsWidth", 750},
    {"TrackTop", 127}, {"TrackLeft", 11}, {"TrackHeight", 413}, {"TrackWidth", 796},
    {"TheCountTop", 50}, {"TheCountLeft", 12}, {"TheCountHeight", 435}, {"TheCountWidth", 338},
    {"FeetTop", 52}, {"FeetLeft", 356},
    {"SongLocationsTop", 57}, {"SongLocationsLeft", 26}, {"SongLocationsHeight", 577}, {"SongLocationsWidth", 809},
    {"TestTop", 50}, {"TestLeft", 50}, {"TestHeight", 388}, {"TestWidth", 640},
};

// The settings table of a database made by another copy of the program: the
// flags and the places, and no ID column. The row is kept.
void settingsWithoutID(const AppHarness& h)
{
    QStringList columns{"BeatOn1357", "UseQuickTime", "FirstRun", "FeetOnOne", "FeetOnLady"};
    QStringList declared;
    for (const QString& column : columns)
        declared << column + " Boolean";
    for (const auto& [key, value] : kFirstRunPlaces) {
        columns << key;
        declared << QLatin1String(key) + " Integer";
    }
    execute(h, "Create Table Bare (" + declared.join(", ") + ")");
    execute(h, "Insert Into Bare Select " + columns.join(", ") + " From Settings");
    execute(h, "Drop Table Settings");
    execute(h, "Alter Table Bare Rename To Settings");
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

    // A settings row or song table that cannot be read stops the start with
    // what the database said; nothing of the first run is written.
    void unreadableSettingsStopTheStart_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("left");   // SongsTop and BeatOn1357 afterwards
        QTest::newRow("column missing") << "Alter Table Settings Drop Column FirstRun" << "no such column: FirstRun"
                                        << "0,0";
        QTest::newRow("no settings table") << "Alter Table Settings Rename To Gone" << "no such table: Settings"
                                           << "<no row>";
        QTest::newRow("no song table") << "Alter Table Songs Rename To Gone" << "no such table: Songs" << "0,0";
    }
    void unreadableSettingsStopTheStart()
    {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        QFETCH(QString, left);
        AppHarness h;
        execute(h, damage);
        checkFailedStart(h, "Something went wrong in App.LoadSettings. Error: " + reason);
        // Quitting wrote no flag either.
        QCOMPARE(setting(h, "SongsTop, BeatOn1357"), left);
        QVERIFY(testing::noTransactionOpen());
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

    // Also on a settings table without an ID column, as other copies of the
    // program make it: the row is found by its row identity.
    void firstRunMakesPathsAbsoluteAndWritesThePlaces_data()
    {
        QTest::addColumn<bool>("withoutID");
        QTest::newRow("installed table") << false;
        QTest::newRow("table without ID") << true;
    }
    void firstRunMakesPathsAbsoluteAndWritesThePlaces()
    {
        QFETCH(bool, withoutID);
        AppHarness h;
        if (withoutID)
            settingsWithoutID(h);
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
        QVERIFY(h.fake->messages.empty() && TheCount::isOpen());
        QVERIFY(Code::FirstRun);   // stays true for the whole run
        QStringList keys{"FirstRun"};
        QStringList values{"0"};
        for (const auto& [key, value] : kFirstRunPlaces) {
            keys << key;
            values << QString::number(value);
        }
        QCOMPARE(setting(h, keys.join(',')), values.join(','));
        QStringList stored;
        for (const QString& path : h.queryValue(paths).split(QLatin1Char('|')))
            stored << fw::posixPathFromColon(path).value_or(path);
        QCOMPARE(stored, expected);
        // Quitting keeps the flag the user set; the next start reads it.
        h.app->chooseMenuItem(QStringLiteral("mBeatOn1357"));
        h.quit();
        QCOMPARE(setting(h, "BeatOn1357, FirstRun"), QStringLiteral("1,0"));
        h.restart();
        h.start();
        QVERIFY(h.fake->messages.empty() && !Code::FirstRun && Code::BeatOn1357 && mBeatOn1357()->checked());
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

    // The flag the user set is told lost when another program holds the
    // file as the program quits (no word when the stored flag is the same).
    void quitWritesTheOddBeatsFlagBack_data()
    {
        QTest::addColumn<int>("toggles");
        QTest::addColumn<bool>("otherReads");
        QTest::newRow("never") << 0 << false;
        QTest::newRow("once") << 1 << false;
        QTest::newRow("three times") << 3 << false;
        QTest::newRow("twice") << 2 << false;
        QTest::newRow("once, refused") << 1 << true;
        QTest::newRow("twice, refused") << 2 << true;
    }
    void quitWritesTheOddBeatsFlagBack()
    {
        QFETCH(int, toggles);
        QFETCH(bool, otherReads);
        const bool on = toggles % 2 == 1;
        AppHarness h;
        h.start();
        for (int i = 0; i < toggles; ++i)
            h.app->chooseMenuItem(QStringLiteral("mBeatOn1357"));
        QCOMPARE(QList<bool>({mBeatOn1357()->checked(), Code::BeatOn1357}), QList<bool>({on, on}));
        QCOMPARE(setting(h, "BeatOn1357"), QStringLiteral("0"));   // written only when quitting
        std::optional<testing::OtherProgram> other;
        if (otherReads) {
            testing::closeAllWindows();   // their places are the windows' tests
            other.emplace(h, testing::OtherProgram::Hold::Reading);
        }
        h.quit();
        other.reset();
        const bool lost = otherReads && on;
        // Quitting asks nothing.
        QCOMPARE(h.fake->messageTexts(),
                 lost ? QStringList{"Could not save the choice Beat Only on 1,3,5,7. Error: database is locked"}
                      : QStringList());
        QCOMPARE(setting(h, "BeatOn1357"), on && !otherReads ? "1" : "0");
        QVERIFY(testing::noTransactionOpen());
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
