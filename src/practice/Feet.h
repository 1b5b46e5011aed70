#pragma once

// The basic step: where the feet stand at the count the player has just lit,
// for men or ladies, breaking on the one or on the two.

#include "framework/Controls.h"
#include "framework/Window.h"

#include <utility>

class Feet final : public fw::SharedWindow<Feet> {
    Q_OBJECT
public:
    Feet();

    // The home Top of the middle-row feet (Foot2 and Foot3).
    int FeetTop = 0;

    void SetFeetToOne();
    void SetFeetToTwo();
    void SetFeetToThree();
    void SetFeetToFour();
    void SetFeetToFive();
    void SetFeetToSix();
    void SetFeetToSeven();
    void SetFeetToEight();
    // Shows the step of a count (1 to 8); other counts change nothing.
    void SetFeetTo(int count);

    void OneOne();
    void OneTwo();
    void OneThree();
    void OneFour();
    void OneFive();
    void OneSix();
    void OneSeven();
    void OneEight();
    void TwoOne();
    void TwoTwo();
    void TwoThree();
    void TwoFour();
    void TwoFive();
    void TwoSix();
    void TwoSeven();
    void TwoEight();
    void ResetFeet();
    void SaveSettings();

    fw::Canvas* Foot1 = nullptr;
    fw::Canvas* Foot2 = nullptr;
    fw::Canvas* Foot3 = nullptr;
    fw::Canvas* Foot4 = nullptr;
    fw::StaticText* stFeetTop = nullptr;
    fw::StaticText* stFeetMiddle = nullptr;
    fw::StaticText* stFeetBottom = nullptr;
    fw::GroupBox* GroupBox1 = nullptr;
    fw::GroupBox* GroupBox2 = nullptr;
    fw::RadioButton* rbLadies = nullptr;
    fw::RadioButton* rbMens = nullptr;
    fw::RadioButton* rbOnOne = nullptr;
    fw::RadioButton* rbOnTwo = nullptr;
    fw::ImageWell* LoadImage = nullptr;

protected:
    void CreateControls() override;
    void Event_Open() override;
    void Event_Close() override;

private:
    // On The One, Lady's: as the settings row held them at opening (the
    // laid-out choices without a row).
    std::pair<bool, bool> m_storedChoices;
    // The settings row could not be read at opening: the choices shown are
    // the laid-out ones, not the stored ones.
    bool m_readFailed = false;
};
