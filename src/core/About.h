#pragma once

// The about box: the program's name, its home page (a click opens it) and
// its version.

#include "framework/Controls.h"
#include "framework/Window.h"

class About final : public fw::SharedWindow<About> {
    Q_OBJECT
public:
    About();

    bool stHomePage_MouseDown(int x, int y);
    void stHomePage_MouseUp(int x, int y);

protected:
    void CreateControls() override;
    void Event_Open() override;

private:
    fw::StaticText* stVersion = nullptr;
    fw::StaticText* stProgramName = nullptr;
    fw::StaticText* stHomePage = nullptr;
    fw::StaticText* stBy = nullptr;
};
