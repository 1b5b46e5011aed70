#pragma once

// The hidden movie player a window owns: plays an audio file and reports its
// position and duration in seconds.

#include "framework/Control.h"

#include <optional>

class QAudioOutput;
class QMediaPlayer;

namespace fw {

class MoviePlayer final : public Control {
    Q_OBJECT
public:
    MoviePlayer(Window& window, const ControlRecord& record);
    ~MoviePlayer() override;

    // Replaces the movie (a sounding one stops) and waits, at most
    // timeoutMs, until the file is loaded or has failed. A file that cannot
    // be played leaves a movie whose duration is 0; so does a timeout.
    void open(const FolderItem& file, int timeoutMs = 5000);
    bool hasMovie() const { return m_hasMovie; }
    double duration() const;
    double position() const;
    // A negative position plays from the start.
    void setPosition(double seconds);
    void play();
    void stop();
    bool isPlaying() const;

    // Tests of what follows the music may fix the position the player
    // reports; nothing (the default) reports the real position.
    void setReportedPosition(std::optional<double> seconds) { m_reported = seconds; }

    void windowClosing() override;

private:
    QMediaPlayer* m_player;
    QAudioOutput* m_output;
    bool m_hasMovie = false;
    bool m_failed = false;
    std::optional<double> m_reported;
};

} // namespace fw
