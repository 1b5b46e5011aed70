#pragma once

// The application object: starts the program (data folder, database,
// settings row, first windows), answers every menu command and writes the
// "Beat Only on 1,3,5,7" flag back when the program ends.

#include "framework/Application.h"

class App final : public fw::Application {
    Q_OBJECT
public:
    App();
    // The one application object.
    static App& instance();

    // Binds every menu item name to its handler, once, before the loop runs.
    void ApplicationAddMenuHandlers();

    // The start sequence's steps.
    bool OpenDB();
    bool LoadSettings();
    bool OpenWindows();
    void SaveWindows();
    bool AssignSongPaths();

    // Menu commands; each answers false.
    bool _mSongs_Action();
    bool _mBeatOn1357_Action();
    bool _mSettings_Action();
    bool _mAbout_Action();
    bool _mExit_Action();
    bool _mFeet_Action();
    bool _mTest_Action();
    bool _mTheCount_Action();
    bool _mUserManual_Action();
    bool _mSetupSongs_Action();
    bool _mSongLocations_Action();
    bool _mMeasureSong_Action();
    bool _mProgramFolder_Action();
    bool _mAppDataFolder_Action();
    bool _mSynch_Action();


protected:
    void Event_Open() override;
    void Event_Close() override;
    bool Event_CancelClose() override;
    void Event_EnableMenuItems() override;

private:
    void failStart(const QString& message);
    void writeFirstRunSettings();

    // The settings row was read in full: only then is the flag written back.
    bool m_settingsLoaded = false;
};

// Declares the program's file types, makes the application object with its
// menu bar, binds the menu commands and runs the event loop.
int Main(int argc, char* argv[]);
