#pragma once

// A first track for a song that has none: the user gives the song's tempo and
// length, and the track editor lays out evenly spaced counts from 0.00 to the
// end of the song.

#include "framework/Controls.h"
#include "framework/Window.h"

class NewTrack final : public fw::SharedWindow<NewTrack> {
    Q_OBJECT
public:
    NewTrack();

    void pbMakeTrack_Action();

    fw::StaticText* st1 = nullptr;
    fw::StaticText* st2 = nullptr;
    fw::StaticText* st3 = nullptr;
    fw::StaticText* st4 = nullptr;
    fw::StaticText* st5 = nullptr;
    fw::StaticText* st6 = nullptr;
    fw::StaticText* st7 = nullptr;
    fw::StaticText* st8 = nullptr;
    fw::EditField* efBPM = nullptr;
    fw::EditField* efMinutes = nullptr;
    fw::EditField* efSeconds = nullptr;
    fw::PushButton* pbMakeTrack = nullptr;

protected:
    void CreateControls() override;
    void Event_Open() override;
};
