#include "core/App.h"

#include "core/About.h"
#include "core/Code.h"
#include "core/MenuBar1.h"
#include "core/Settings.h"
#include "library/SetupSongs.h"
#include "library/SongLocations.h"
#include "library/Songs.h"
#include "player/TheCount.h"
#include "practice/Feet.h"
#include "practice/TestSongs.h"
#include "tracks/MeasureSong.h"
#include "tracks/SongSynch.h"

#include "framework/Controls.h"
#include "framework/FolderItem.h"
#include "framework/MoviePlayer.h"
#include "framework/Platform.h"
#include "generator/StarterLibrary.h"

#include <QApplication>
#include <exception>

namespace {
// Any failure while the settings row is read or the first run is written.
struct LoadSettingsFailure {};

void check(bool failed)
{
    if (failed)
        throw LoadSettingsFailure{};
}

// First-run window places, in the order they are written.
const std::pair<const char*, int> kFirstRunPlaces[] = {
    {"SongsTop", 516}, {"SongsLeft", 177}, {"SongsHeight", 242}, {"SongsWidth", 488},
    {"SetupSongsTop", 67}, {"SetupSongsLeft", 32}, {"SetupSongsHeight", 414}, {"SetupSongsWidth", 750},
    {"TrackTop", 127}, {"TrackLeft", 11}, {"TrackHeight", 413}, {"TrackWidth", 796},
    {"TheCountTop", 50}, {"TheCountLeft", 12}, {"TheCountHeight", 435}, {"TheCountWidth", 338},
    {"FeetTop", 52}, {"FeetLeft", 356},
    {"SongLocationsTop", 57}, {"SongLocationsLeft", 26}, {"SongLocationsHeight", 577},
    {"SongLocationsWidth", 809},
    {"TestTop", 50}, {"TestLeft", 50}, {"TestHeight", 388}, {"TestWidth", 640},
};
} // namespace

App::App()
{
    // The pictures the layouts name as backdrops.
    fw::registerPicture(QStringLiteral("LeftFoot"), starter::leftFootPicture());
    fw::registerPicture(QStringLiteral("RightFoot"), starter::rightFootPicture());
}

App& App::instance()
{
    return static_cast<App&>(*fw::Application::instance());
}

void App::ApplicationAddMenuHandlers()
{
    AddMenuHandler(QStringLiteral("mSongs"), [this] { return _mSongs_Action(); });
    AddMenuHandler(QStringLiteral("mBeatOn1357"), [this] { return _mBeatOn1357_Action(); });
    AddMenuHandler(QStringLiteral("mSettings"), [this] { return _mSettings_Action(); });
    AddMenuHandler(QStringLiteral("mAbout"), [this] { return _mAbout_Action(); });
    AddMenuHandler(QStringLiteral("mExit"), [this] { return _mExit_Action(); });
    AddMenuHandler(QStringLiteral("mFeet"), [this] { return _mFeet_Action(); });
    AddMenuHandler(QStringLiteral("mTest"), [this] { return _mTest_Action(); });
    AddMenuHandler(QStringLiteral("mTheCount"), [this] { return _mTheCount_Action(); });
    AddMenuHandler(QStringLiteral("mUserManual"), [this] { return _mUserManual_Action(); });
    AddMenuHandler(QStringLiteral("mSetupSongs"), [this] { return _mSetupSongs_Action(); });
    AddMenuHandler(QStringLiteral("mSongLocations"), [this] { return _mSongLocations_Action(); });
    AddMenuHandler(QStringLiteral("mMeasureSong"), [this] { return _mMeasureSong_Action(); });
    AddMenuHandler(QStringLiteral("mProgramFolder"), [this] { return _mProgramFolder_Action(); });
    AddMenuHandler(QStringLiteral("mAppDataFolder"), [this] { return _mAppDataFolder_Action(); });
    AddMenuHandler(QStringLiteral("mSynch"), [this] { return _mSynch_Action(); });
}

// ---- start-up and shut-down ---------------------------------------------

void App::Event_Open()
{
    Code::HomePage = Code::kSiteHost + QStringLiteral("/melvaro");
    Code::UserManualPage = Code::sitePage(QStringLiteral("/melvaro/docs"));

    Code::AppDataFolder = fw::SpecialFolder::ApplicationData().child(QStringLiteral("Corvantis"));
    if (!Code::AppDataFolder.valid()) {
        failStart(QStringLiteral("Can't access the Application Support Folder."));
        return;
    }
    if (!Code::AppDataFolder.exists())
        Code::AppDataFolder.createAsFolder();

    // Copies of songs a killed run was playing are not left for good.
    fw::MoviePlayer::removeLeftCopies();

    Code::fApp = fw::SpecialFolder::Applications();
    Code::dbPath = Code::AppDataFolder.child(QStringLiteral("Melvaro.sdb")).posixPath();

    if (fw::MenuItem* quit = mExit()) {
        quit->setText(QStringLiteral("Quit"));
        quit->setCommandKey(QStringLiteral("Q"));
    }

    if (!OpenDB() || !LoadSettings())
        return;
    OpenWindows();
}

void App::failStart(const QString& message)
{
    fw::MsgBox(message);
    Quit(1);
}

bool App::OpenDB()
{
    const fw::FolderItem file = fw::FolderItem::fromPosixPath(Code::dbPath);
    if (!file.exists()) {
        failStart(QStringLiteral("Couldn't locate the Melvaro.sdb database file."));
        return false;
    }
    Code::db = std::make_unique<fw::Database>();
    if (!Code::db->Connect(file.posixPath())) {
        failStart(QStringLiteral("Can't open database file."));
        return false;
    }
    return true;
}

bool App::LoadSettings()
{
    try {
        std::unique_ptr<fw::RecordSet> row = Code::db->SQLSelect(QStringLiteral("Select * from Settings"));
        check(!row);   // a table that cannot be read is no missing row
        if (row->eof())
            return true;   // no settings row: the flags stay false
        Code::BeatOn1357 = row->Field(QStringLiteral("BeatOn1357")).BooleanValue();
        if (fw::MenuItem* item = mBeatOn1357())
            item->setChecked(Code::BeatOn1357);
        Code::UseQuickTime = row->Field(QStringLiteral("UseQuickTime")).BooleanValue();
        Code::FirstRun = row->Field(QStringLiteral("FirstRun")).BooleanValue();
        check(Code::db->Error());
        if (Code::FirstRun) {
            check(!AssignSongPaths());
            check(!Code::db->transaction([&] {
                row->Edit();
                row->Field(QStringLiteral("FirstRun")).setBooleanValue(false);
                for (const auto& [key, value] : kFirstRunPlaces)
                    row->Field(QLatin1String(key)).setIntegerValue(value);
                if (Code::db->Error())
                    return false;
                row->Update();
                return true;
            }));
        }
        m_settingsLoaded = true;
        return true;
    } catch (const LoadSettingsFailure&) {
        // A first-run write that failed was rolled back whole; paths already
        // committed stay. The user learns what the database said.
        failStart(QStringLiteral("Something went wrong in App.LoadSettings. Error: ") + Code::db->ErrorMessage());
        return false;
    }
}

bool App::AssignSongPaths()
{
    return Code::db->transaction([] {
        std::unique_ptr<fw::RecordSet> songs = Code::db->SQLSelect(QStringLiteral("Select * from Songs"));
        if (!songs)
            return false;
        for (; !songs->eof(); songs->MoveNext()) {
            const QString path = songs->Field(QStringLiteral("Path")).StringValue();
            if (Code::db->Error())
                return false;
            if (!path.isEmpty()) {
                const fw::FolderItem file = Code::AppDataFolder.child(path);
                if (file.valid() && file.exists()) {
                    songs->Edit();
                    songs->Field(QStringLiteral("Path")).setStringValue(file.absolutePath());
                    songs->Update();
                    if (Code::db->Error())
                        return false;
                }
            }
        }
        return true;
    });
}

bool App::OpenWindows()
{
    try {
        TheCount::instance().Show();
        Feet::instance().Show();
        Songs::instance().Show();
        return true;
    } catch (const std::exception&) {
        failStart(QStringLiteral("Something went wrong in App.OpenWindows."));
        return false;
    }
}

void App::SaveWindows()
{
    // Each window that keeps its place saves it itself when it closes.
}

bool App::Event_CancelClose()
{
    return false;
}

void App::Event_Close()
{
    // A start that stopped before the settings row was read writes nothing.
    if (!m_settingsLoaded || !Code::db || !Code::db->isConnected())
        return;
    const QString lost = QStringLiteral("Could not save the choice Beat Only on 1,3,5,7. Error: ");
    std::unique_ptr<fw::RecordSet> row = Code::db->SQLSelect(QStringLiteral("Select * From Settings"));
    if (!row) {
        Code::toldDatabaseFailure(lost);
        return;
    }
    if (row->eof())
        return;
    const bool stored = row->Field(QStringLiteral("BeatOn1357")).BooleanValue();
    row->Edit();
    row->Field(QStringLiteral("BeatOn1357")).setBooleanValue(Code::BeatOn1357);
    row->Update();
    // Refused (another program holding the file): told only when the flag
    // the user set is not the one stored.
    if (stored != Code::BeatOn1357)
        Code::toldDatabaseFailure(lost);
}

void App::Event_EnableMenuItems()
{
    if (fw::MenuItem* item = mSettings())
        item->setVisible(false);
}

// ---- menu commands -------------------------------------------------------

bool App::_mSongs_Action()
{
    Songs::instance().Show();
    return false;
}

bool App::_mBeatOn1357_Action()
{
    Code::BeatOn1357 = !Code::BeatOn1357;
    if (fw::MenuItem* item = mBeatOn1357())
        item->setChecked(Code::BeatOn1357);
    return false;
}

bool App::_mSettings_Action()
{
    Settings::instance().Show();
    return false;
}

bool App::_mAbout_Action()
{
    About::instance().Show();
    return false;
}

bool App::_mExit_Action()
{
    SaveWindows();
    Quit(0);
    return false;
}

bool App::_mFeet_Action()
{
    Feet::instance().Show();
    return false;
}

bool App::_mTest_Action()
{
    TestSongs::instance().Show();
    return false;
}

bool App::_mTheCount_Action()
{
    TheCount::instance().Show();
    return false;
}

bool App::_mUserManual_Action()
{
    fw::ShowURL(Code::UserManualPage);
    return false;
}

bool App::_mSetupSongs_Action()
{
    SetupSongs::instance().Show();
    return false;
}

bool App::_mSongLocations_Action()
{
    SongLocations::instance().Show();
    return false;
}

bool App::_mMeasureSong_Action()
{
    MeasureSong::instance().Show();
    return false;
}

bool App::_mProgramFolder_Action()
{
    // With no applications folder on this system there is nothing to open.
    if (Code::fApp.valid())
        fw::OpenFolder(Code::fApp);
    else
        fw::Beep();
    return false;
}

bool App::_mAppDataFolder_Action()
{
    fw::OpenFolder(Code::AppDataFolder);
    return false;
}

bool App::_mSynch_Action()
{
    SongSynch::instance().Show();
    return false;
}

// ---- program entry -------------------------------------------------------

int Main(int argc, char* argv[])
{
    QApplication qtApp(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Corvantis"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANTIS_VERSION));
    // The desktop shows the windows under the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("corvantis"));
    App app;
    app.setMenuBar(&MenuBar1::instance());
    app.ApplicationAddMenuHandlers();
    return app.run();
}
