#include "core/MenuBar1.h"

#include "framework/Application.h"

namespace {
const QString kSeparator = QStringLiteral("-");

fw::MenuItem* itemOfAppBar(const QString& name)
{
    fw::Application* app = fw::Application::instance();
    if (!app || !app->menuBar())
        return nullptr;
    return app->menuBar()->findItem(name);
}
} // namespace

MenuBar1& MenuBar1::instance()
{
    static MenuBar1* bar = new MenuBar1();   // lives as long as the program
    return *bar;
}

MenuBar1::MenuBar1()
    : fw::MenuBar(QStringLiteral("MenuBar1"))
{
    Untitled1();
    Untitled2();
    Untitled3();
}

void MenuBar1::addItem(const QString& menuName, const QString& itemName, const QString& caption,
                       const QString& shortcut)
{
    auto item = std::make_unique<fw::MenuItem>(itemName, caption);
    item->setAutoEnable(true);
    if (caption != kSeparator)
        item->setKeyboardShortcut(shortcut);
    child(menuName)->append(std::move(item));
}

void MenuBar1::Untitled1()
{
    const QString file = QStringLiteral("FileMenu");
    append(std::make_unique<fw::MenuItem>(file, QStringLiteral("&File")));
    addItem(file, QStringLiteral("mSongs"), QStringLiteral("Songs"));
    addItem(file, QStringLiteral("mTheCount"), QStringLiteral("The Count"));
    addItem(file, QStringLiteral("mFeet"), QStringLiteral("Basic Step"));
    addItem(file, QStringLiteral("mTest"), QStringLiteral("Test"));
    addItem(file, QStringLiteral("UntitledMenu4"), kSeparator);
    addItem(file, QStringLiteral("mBeatOn1357"), QStringLiteral("Beat Only on 1,3,5,7"));
    addItem(file, QStringLiteral("mSongLocations"), QStringLiteral("Song Locations"));
    addItem(file, QStringLiteral("mSynch"), QStringLiteral("Song Synchronization"));
    addItem(file, QStringLiteral("UntitledSeparator"), kSeparator);
    addItem(file, QStringLiteral("mSettings"), QStringLiteral("Settings"));
    addItem(file, QStringLiteral("mMeasureSong"), QStringLiteral("Measure a Song"));
    addItem(file, QStringLiteral("mSetupSongs"), QStringLiteral("Setup Songs"));
    addItem(file, QStringLiteral("UntitledMenu2"), kSeparator);
    addItem(file, QStringLiteral("mExit"), QStringLiteral("E&xit"), QStringLiteral("Cmd+Q"));
}

void MenuBar1::Untitled2()
{
    const QString edit = QStringLiteral("mEdit");
    append(std::make_unique<fw::MenuItem>(edit, QStringLiteral("&Edit")));
    addItem(edit, QStringLiteral("EditUndo"), QStringLiteral("&Undo"), QStringLiteral("Cmd+Z"));
    addItem(edit, QStringLiteral("UntitledMenu1"), kSeparator);
    addItem(edit, QStringLiteral("EditCut"), QStringLiteral("Cu&t"), QStringLiteral("Cmd+X"));
    addItem(edit, QStringLiteral("EditCopy"), QStringLiteral("&Copy"), QStringLiteral("Cmd+C"));
    addItem(edit, QStringLiteral("EditPaste"), QStringLiteral("&Paste"), QStringLiteral("Cmd+V"));
    addItem(edit, QStringLiteral("EditClear"), QStringLiteral("Clear"));
}

void MenuBar1::Untitled3()
{
    const QString help = QStringLiteral("mHelp");
    append(std::make_unique<fw::MenuItem>(help, QStringLiteral("Help")));
    addItem(help, QStringLiteral("mUserManual"), QStringLiteral("Go to Help Page"));
    addItem(help, QStringLiteral("UntitledMenu0"), kSeparator);
    addItem(help, QStringLiteral("mProgramFolder"), QStringLiteral("Open Program Folder"));
    addItem(help, QStringLiteral("mAppDataFolder"), QStringLiteral("Open App Data Folder"));
    addItem(help, QStringLiteral("UntitledSeparator0"), kSeparator);
    addItem(help, QStringLiteral("mAbout"), QStringLiteral("About Corvantis"));
}

fw::MenuItem* mExit() { return itemOfAppBar(QStringLiteral("mExit")); }
fw::MenuItem* mSettings() { return itemOfAppBar(QStringLiteral("mSettings")); }
fw::MenuItem* mBeatOn1357() { return itemOfAppBar(QStringLiteral("mBeatOn1357")); }
fw::MenuItem* mFeet() { return itemOfAppBar(QStringLiteral("mFeet")); }
