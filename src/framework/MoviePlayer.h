#pragma once

// The hidden movie player a window owns: plays an audio file and reports its
// position and duration in seconds.

#include "framework/Control.h"

#include <functional>
#include <memory>
#include <optional>

class QDeadlineTimer;
class QEventLoop;
class QMediaPlayer;
class QUrl;

namespace fw {

class TemporaryCopy;

class MoviePlayer final : public Control {
    Q_OBJECT
public:
    MoviePlayer(Window& window, const ControlRecord& record);
    ~MoviePlayer() override;

    // Replaces the movie (a sounding one stops) and waits, at most
    // timeoutMs, until the file is loaded or has failed. A file that cannot
    // be played leaves a movie whose duration is 0; so does a timeout.
    // The wait runs the event loop. False when stop(), another open or the
    // window's closing cut it short: the player then is no longer this
    // caller's to play. An MP3 file whose bitrate varies and that tells its
    // length nowhere is played from a temporary copy that tells it, made in
    // copyFolder(); when none can be made the movie fails (duration 0) and
    // copyProblem() tells why.
    bool open(const FolderItem& file, int timeoutMs = 5000);
    // Why the file last opened, which plays only from a temporary copy, has
    // none (the system's words, as "No space left on device"); empty when
    // it needs none or has one.
    QString copyProblem() const { return m_copyProblem; }
    // Where the temporary copies go: the program's folder in the user's
    // cache folder. A copy lasts while its movie sounds or may sound again:
    // the movie lets it go when it stops (stop(), its end, the next open(),
    // its window's closing) and then still tells where it stood and how long
    // it lasts, but plays again only after the next open().
    static FolderItem copyFolder();
    // Removes the copies that runs of the program no longer running left
    // behind (a run that was killed, or crashed); for the start of a run.
    static void removeLeftCopies();
    // True while open() waits for its file.
    bool isOpening() const { return m_wait != nullptr; }
    bool hasMovie() const { return m_hasMovie; }
    double duration() const;
    double position() const;
    // A negative position plays from the start.
    void setPosition(double seconds);
    void play();
    // Also cuts short an open() that is waiting.
    void stop();
    bool isPlaying() const;
    // True once the movie played has stopped by itself: at the end of its
    // audio, or where the platform could play it no further. Its position
    // then moves no more until it is played again.
    bool hasEnded() const;

    // Tests of what follows the music may fix the position the player
    // reports; nothing (the default) reports the real position.
    void setReportedPosition(std::optional<double> seconds) { m_reported = seconds; }

    void windowClosing() override;

private:
    // Replaces the platform's player by a new one given this source (none
    // when empty).
    void load(const QUrl& source);
    // Ends the wait of a pending open(), which then answers false.
    void cutShortOpening();
    // Lets go of the temporary copy the movie plays from, when it has one:
    // the platform's player is given nothing, the copy removed, and where
    // the movie stood and how long it lasts are kept.
    void releaseCopy();
    // Runs the event loop until done() holds after a change of the player
    // (true), or the deadline passes or the wait is cut short (false).
    bool waitUntil(const QDeadlineTimer& deadline, const std::function<bool()>& done);

    struct Released {
        double position;
        double duration;
    };

    QMediaPlayer* m_player = nullptr;   // a new one for each file
    std::unique_ptr<TemporaryCopy> m_copy;   // what it plays, when the file needs a copy
    QString m_copyProblem;
    std::optional<Released> m_released;   // the movie's copy was let go
    bool m_hasMovie = false;
    bool m_failed = false;
    bool m_played = false;   // play() called since the last open() or stop()
    std::optional<double> m_reported;
    QEventLoop* m_wait = nullptr;   // the wait of the open() under way
    quint64 m_opens = 0;            // counts opens and what cuts them short
};

} // namespace fw
