#pragma once

// Tempo by tapping: the user presses First Phrase on a one count and Next
// Phrase on each following one count, and the window shows the phrases
// counted and the average tempo since the first tap. Nothing is stored.

#include "framework/Controls.h"
#include "framework/Window.h"

class MeasureSong final : public fw::SharedWindow<MeasureSong> {
    Q_OBJECT
public:
    MeasureSong();

    void pbFirstPhrase_Action();
    void pbNextPhrase_Action();
    void pbStartOver_Action();

    double Beat1 = 0;   // ticks at the last First Phrase
    double Beat2 = 0;   // ticks at the latest Next Phrase
    double BPM = 0;     // beats per minute, last computed
    int Phrases = 0;    // Next Phrase presses since First Phrase or Start Over

    fw::PushButton* pbFirstPhrase = nullptr;
    fw::PushButton* pbNextPhrase = nullptr;
    fw::PushButton* pbStartOver = nullptr;
    fw::StaticText* st1 = nullptr;
    fw::StaticText* stBPM = nullptr;
    fw::StaticText* stPhrases = nullptr;

protected:
    void CreateControls() override;
    void Event_Open() override;

private:
    void showFigures();
};
