#pragma once

// A private data home for one test: a temporary folder set as XDG_DATA_HOME
// (and as the desktop folder and the cache home), optionally holding an
// installed starter library in Corvantis/, exactly as the installer leaves
// it. A folder that cannot be made stops the test program at once.

#include <QString>
#include <QTemporaryDir>

#include <initializer_list>
#include <utility>
#include <vector>

namespace testing {

class TestEnvironment {
public:
    enum class Starter { None, Installed };
    // lengthScale shortens the demo songs' audio (tests need seconds, not minutes).
    explicit TestEnvironment(Starter starter = Starter::Installed, double lengthScale = 0.1);
    ~TestEnvironment();

    QString root() const { return m_dir.path(); }
    QString dataHome() const;        // the XDG data home
    QString appDataFolder() const;   // <data home>/Corvantis
    QString databasePath() const;    // <data home>/Corvantis/Melvaro.sdb
    QString desktopFolder() const;
    QString cacheHome() const;       // the XDG cache home (not made: the program makes its folder)

private:
    QTemporaryDir m_dir;
    QByteArray m_oldDataHome;
    QByteArray m_oldDesktop;
    QByteArray m_oldCacheHome;
};

// Environment variables set (an empty value: unset) while this lives, and
// put back as they were after.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, QString>> values);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::vector<std::pair<const char*, QByteArray>> m_before;   // a null value: was unset
};

// Writes a WAV file of silence-with-clicks of the given length; true on success.
bool writeWav(const QString& path, double seconds);

// One sound of a file made by encodeAudio, lasting tenths of a second.
struct Sound {
    enum Kind { Tone, Noise, Silence } kind;
    int tenths;
};

// Makes an audio file with the platform's own encoders (gst-launch-1.0): the
// sounds one after the other, as 44.1 kHz stereo, put through the encoder
// elements (separated by spaces) into the file. Answers what went wrong, or
// nothing.
QString encodeAudio(const QString& path, const QString& encoder, const QList<Sound>& sounds = {{Sound::Tone, 20}});

} // namespace testing
