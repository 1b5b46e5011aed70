#pragma once

// The program's one menu bar: File, Edit and Help.

#include "framework/MenuBar.h"

class MenuBar1 final : public fw::MenuBar {
    Q_OBJECT
public:
    // The shared bar, built on first use.
    static MenuBar1& instance();

private:
    MenuBar1();
    void Untitled1();   // File
    void Untitled2();   // Edit
    void Untitled3();   // Help
    void addItem(const QString& menuName, const QString& itemName, const QString& caption,
                 const QString& shortcut = QString());
};

// Items reached from code, looked up by name in the application's bar;
// null when the bar holds no such item.
fw::MenuItem* mExit();
fw::MenuItem* mSettings();
fw::MenuItem* mBeatOn1357();
fw::MenuItem* mFeet();
