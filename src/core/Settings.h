#pragma once

// The media-player choice. Its menu item is hidden every time the menus are
// brought up to date, so the user never reaches it.

#include "framework/Controls.h"
#include "framework/Window.h"

class Settings final : public fw::SharedWindow<Settings> {
    Q_OBJECT
public:
    Settings();

    void rbQuickTime_Open();
    void rbWMP_Open();
    void rbQuickTime_Action();
    void rbWMP_Action();
    void pbSave_Action();

protected:
    void CreateControls() override;

private:
    fw::RadioButton* rbQuickTime = nullptr;
    fw::RadioButton* rbWMP = nullptr;
    fw::PushButton* pbSave = nullptr;
};
