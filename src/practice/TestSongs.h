#pragma once

// The way into the timing test: the songs that have a test section and
// whose audio file is found, by title; Start Test (or a double-click) starts
// the test of the selected one.

#include "framework/Controls.h"
#include "framework/ListBox.h"
#include "framework/Window.h"

class TestSongs final : public fw::SharedWindow<TestSongs> {
    Q_OBJECT
public:
    TestSongs();

    void List_DoubleClick();
    void pbStartTest_Action();
    void StartTest();

    fw::ListBox* List = nullptr;
    fw::PushButton* pbStartTest = nullptr;

protected:
    void CreateControls() override;
    void Event_Open() override;
};
