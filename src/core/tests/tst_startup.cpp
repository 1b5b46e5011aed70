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
// The menu's title, then the captions of its visible items with their
// shortcuts, joined by '|'.
QString visibleCaptions(const QString& menuName)
{
    fw::MenuItem* menu = MenuBar1::instance().child(menuName);
    QString captions = menu->menu()->title();
    for (int i = 0; i < menu->count(); ++i) {
        const fw::MenuItem* item = menu->item(i);
        if (item->action()->isVisible())
            captions += '|' + item->text() + (item->keyboardShortcut().isEmpty() ? "" : ' ' + item->keyboardShortcut());
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
    QString declared = columns.join(" Boolean, ") + " Boolean";
    for (const auto& [key, value] : kFirstRunPlaces) {
        columns << key;
        declared += QStringLiteral(", %1 Integer").arg(QLatin1String(key));
    }
    execute(h, "Create Table Bare (" + declared + ")");
    execute(h, "Insert Into Bare Select " + columns.join(", ") + " From Settings");
    execute(h, "Drop Table Settings");
    execute(h, "Alter Table Bare Rename To Settings");
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    // A start that fails shows its one message, quits, keeps no window and
    // writes nothing: the program makes its data folder but never its
    // database, leaves a file that is no database as it was, and writes no
    // first-run value or flag when the settings cannot be read.
    void failedStartWritesNothing_data()
    {
        QTest::addColumn<QString>("damage");   // a statement on the installed library, or what is wrong
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("left");     // SongsTop and BeatOn1357 afterwards
        const QString load = "Something went wrong in App.LoadSettings. Error: ";
        QTest::newRow("no data folder") << "home" << "Can't access the Application Support Folder." << "";
        QTest::newRow("no database") << "none" << "Couldn't locate the Melvaro.sdb database file." << "";
        QTest::newRow("not a database") << "text" << "Can't open database file." << "";
        QTest::newRow("column missing") << "Alter Table Settings Drop Column FirstRun" << load + "no such column: FirstRun"
                                        << "0,0";
        QTest::newRow("no settings table") << "Alter Table Settings Rename To Gone" << load + "no such table: Settings"
                                           << "<no row>";
        QTest::newRow("no song table") << "Alter Table Songs Rename To Gone" << load + "no such table: Songs" << "0,0";
        QTest::newRow("window cannot be built") << "layout" << "Something went wrong in App.OpenWindows." << "";
    }
    void failedStartWritesNothing()
    {
        QFETCH(QString, damage);
        QFETCH(QString, message);
        QFETCH(QString, left);
        const QByteArray text = "Title\tArtist\nnot a database\n";
        const QByteArray home = qgetenv("HOME");
        const fw::LayoutRecords feet = fw::layoutRecords(QStringLiteral("Feet"));
        const bool installed = damage.contains(' ') || damage == "layout";
        AppHarness h(installed ? TestEnvironment::Starter::Installed : TestEnvironment::Starter::None);
        QFile file(h.env.databasePath());
        if (damage == "home") {
            qputenv("XDG_DATA_HOME", "relative/path");
            qunsetenv("HOME");
        } else if (damage == "text") {
            QVERIFY(QDir().mkpath(h.env.appDataFolder()) && file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
            file.close();
        } else if (damage == "layout") {
            fw::LayoutRecords broken = feet;
            broken.controls.front().kind = QStringLiteral("NoSuchControl");
            fw::registerLayout(broken);
        } else if (installed) {
            execute(h, damage);
        } else {
            QVERIFY(!QDir(h.env.appDataFolder()).exists());
        }
        h.start();
        qputenv("HOME", home);
        fw::registerLayout(feet);
        QCOMPARE(h.fake->messageTexts(), QStringList{message});
        // The half-built window is gone, not kept.
        QVERIFY(h.app->quitRequested() && !TheCount::isOpen() && !Feet::isOpen() && testing::noTransactionOpen());
        if (damage == "none")
            QVERIFY(QDir(h.env.appDataFolder()).exists() && !file.exists());
        if (damage == "text")
            QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == text);
        if (!left.isEmpty())
            QCOMPARE(setting(h, "SongsTop, BeatOn1357"), left);
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
        TheCount& player = TheCount::instance();
        QCOMPARE(QRect(player.left(), player.top(), player.width(), player.height()), QRect(12, 50, 338, 435));
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
        // Quitting keeps the flag the user set; the next start reads it and
        // writes no place again (one changed since must stay).
        h.app->chooseMenuItem(QStringLiteral("mBeatOn1357"));
        h.quit();
        QCOMPARE(setting(h, "BeatOn1357, FirstRun"), QStringLiteral("1,0"));
        execute(h, QStringLiteral("Update Settings Set SongsTop=300"));
        h.restart();
        h.start();
        QVERIFY(h.fake->messages.empty() && !Code::FirstRun && Code::BeatOn1357 && mBeatOn1357()->checked());
        QVERIFY(TheCount::isOpen() && setting(h, "SongsTop") == "300");
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
        QCOMPARE(visibleCaptions("FileMenu"), "&File|Songs|The Count|Basic Step|Test|-|Beat Only on 1,3,5,7|Song Locations|"
                                              "Song Synchronization|-|Measure a Song|Setup Songs|-|Quit Cmd+Q");
        QCOMPARE(visibleCaptions("mEdit"), "&Edit|&Undo Cmd+Z|-|Cu&t Cmd+X|&Copy Cmd+C|&Paste Cmd+V|Clear");
        QCOMPARE(visibleCaptions("mHelp"), "Help|Go to Help Page|-|Open Program Folder|Open App Data Folder|-|About Corvantis");
        // Settings is never seen, though something shows it.
        mSettings()->setVisible(true);
        emit MenuBar1::instance().child(QStringLiteral("FileMenu"))->menu()->aboutToShow();
        QVERIFY(!mSettings()->action()->isVisible());
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
        QTest::newRow("once") << 1 << false;
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
        h.app->chooseMenuItem(QStringLiteral("mExit"));
        other.reset();
        const bool lost = otherReads && on;
        // Quitting asks nothing.
        QCOMPARE(h.fake->messageTexts(),
                 lost ? QStringList{"Could not save the choice Beat Only on 1,3,5,7. Error: database is locked"}
                      : QStringList());
        QCOMPARE(setting(h, "BeatOn1357"), on && !otherReads ? "1" : "0");
        QVERIFY(testing::noTransactionOpen());
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
