#pragma once

// The player window: the eight counts of a phrase with a note beside each,
// the time and the advice. It owns the hidden movie player and the 50 ms
// timer that follow the music.

#include "framework/Controls.h"
#include "framework/MoviePlayer.h"
#include "framework/Window.h"

#include <QString>
#include <array>
#include <vector>

// What the program says of a song file the movie player cannot open.
inline const QString kCannotOpenSongFile = QStringLiteral(
    "QuickTime cannot open this song file. Please check the location and for any odd characters in the filename.");
// A song that plays only from a temporary copy (an MP3 file that does not
// tell its length) whose copy could not be made: what the user is told.
QString cannotCopySongFile(const fw::MoviePlayer& player);

class TheCount final : public fw::SharedWindow<TheCount> {
    Q_OBJECT
public:
    TheCount();

    // The song the player plays: set by the caller to the song to start just
    // before StartCounting, which sets it back when it refuses that song.
    int TheSongID = 0;

    // Plays the song TheSongID from start (one second early when start > 0);
    // no count at or before lastDone lights during this play.
    void StartCounting(double start, double lastDone);
    void StopCounting();
    // The timer follows the music: it has neither been stopped nor passed
    // the last count.
    bool isCounting() const;
    // Which play this is: each start that plays gets a number no earlier
    // play of the program had.
    quint64 run() const { return m_run; }

    void BeatTimer_Action();
    void UpdateTime(double t);
    void ResetBeats();
    void ClearNotes();
    void SaveSettings();
    // Song set-up has deleted a song: its play stops.
    void songDeleted(int songID);
    bool stAdvice_MouseDown(int x, int y);
    void stAdvice_MouseUp(int x, int y);

    // The playback state.
    int Beat = 0;
    int BeatIndex = 0;
    std::vector<double> Times;
    int TimesIndex = 0;
    double LastTimeDone = 0.0;
    bool StopNow = false;
    double CurrentPosition = 0.0;
    std::vector<QString> Counts;
    std::vector<int> Beats;
    std::vector<QString> Notes;
    std::vector<QString> Advice;

    fw::GroupBox* GroupBox1 = nullptr;
    fw::GroupBox* GroupBox2 = nullptr;
    fw::Timer* BeatTimer = nullptr;
    fw::MoviePlayer* qtPlayer = nullptr;
    std::array<fw::StaticText*, 8> stCount{};
    std::array<fw::StaticText*, 8> stNote{};
    fw::StaticText* stAdvice = nullptr;
    fw::StaticText* stTime = nullptr;

protected:
    void CreateControls() override;
    void Event_Open() override;
    void Event_Close() override;

private:
    quint64 m_run = 0;
    // The song whose file the player was last given.
    int m_loadedSongID = 0;
    // Sets the song list's Play button back, while the song list is open.
    void resetPlayButtons();
};
