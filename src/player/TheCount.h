#pragma once

// The player window: the eight counts of a phrase with a note beside each,
// the time and the advice. It owns the hidden movie player and the 50 ms
// timer that follow the music.

#include "framework/Controls.h"
#include "framework/MoviePlayer.h"
#include "framework/Window.h"

#include <array>

class TheCount final : public fw::SharedWindow<TheCount> {
    Q_OBJECT
public:
    TheCount();

    void ResetBeats();
    void ClearNotes();
    void SaveSettings();

protected:
    void CreateControls() override;
    void Event_Open() override;
    void Event_Close() override;

private:
    fw::GroupBox* GroupBox1 = nullptr;
    fw::GroupBox* GroupBox2 = nullptr;
    fw::Timer* BeatTimer = nullptr;
    fw::MoviePlayer* qtPlayer = nullptr;
    std::array<fw::StaticText*, 8> stCount{};
    std::array<fw::StaticText*, 8> stNote{};
    fw::StaticText* stAdvice = nullptr;
    fw::StaticText* stTime = nullptr;
};
