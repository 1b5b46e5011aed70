#pragma once

// The timing test of one song: the song plays from its beginning, the window
// counts the seconds down to the song's test section, then scores each click
// or key press against the next One of the section ("Right" strictly within
// half a second of it), and shows the right and wrong presses, the
// percentage and a grade.

#include "framework/Controls.h"
#include "framework/ListBox.h"
#include "framework/MoviePlayer.h"
#include "framework/Window.h"

#include <QString>

class Test final : public fw::SharedWindow<Test> {
    Q_OBJECT
public:
    Test();

    bool List_CellClick(int row, int column, int x, int y);
    void TheTimer_Action();
    // Scores one press against the next One.
    void RecordClick();
    // Starts the test of the song with this Songs.ID; on a window whose test
    // runs, that test ends and the new one starts over.
    void Init(int songID);
    // Song set-up has deleted a song: a test of it ends where it stands.
    void songDeleted(int songID);

    // Whole seconds of play counted down so far.
    int CountDownTrigger = 0;
    // The seconds left before the test arms.
    double TestStart = 0.0;
    // A play position beyond this ends the test.
    double TestEnd = 0.0;
    // Presses scored since the test armed: the row of the next One.
    int ClickNumber = 0;
    int Yaay = 0;
    int Boo = 0;
    int Questions = 0;
    int ThePercent = 0;
    QString Grade;
    bool TestStarted = false;

    fw::ListBox* List = nullptr;
    fw::MoviePlayer* qtPlayer = nullptr;
    fw::Timer* TheTimer = nullptr;
    fw::StaticText* stCountdown = nullptr;
    fw::StaticText* st1 = nullptr;
    fw::StaticText* st2 = nullptr;
    fw::StaticText* st4 = nullptr;
    fw::StaticText* st3 = nullptr;
    fw::StaticText* stRight = nullptr;
    fw::StaticText* stWrong = nullptr;
    fw::StaticText* stPercent = nullptr;
    fw::StaticText* stGrade = nullptr;
    fw::StaticText* st5 = nullptr;

protected:
    void CreateControls() override;
    bool Event_MouseDown(int x, int y) override;
    bool Event_KeyDown(const QString& key) override;
    void Event_Open() override;

private:
    void aimNextTick();
    // Init goes on after events ran only while the window is open and no
    // later Init has started over.
    bool stillCurrent(int run) const { return !isClosed() && run == m_run; }

    int m_run = 0;
    // The song tested; 0 for none.
    int m_songID = 0;
};
