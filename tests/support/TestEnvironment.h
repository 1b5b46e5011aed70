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

// The file size this process may write (ulimit -f), for as long as this
// lives: a full disk as one program meets it, a write past it failing "File
// too large". A program that left SIGXFSZ as it comes would be ended by such
// a write: the limit is set only where the program catches it (holds()).
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool holds() const { return m_holds; }

private:
    quint64 m_before = 0;
    bool m_holds = false;
};

// For as long as this lives, the test's own thread meets permission bits as
// any user does: a test run as root gives up, for that thread, the powers to
// pass over them (to read, write and search any file, to act as any file's
// owner, to give a file to another user), and takes them back after.
class OwnPermissionsOnly {
public:
    OwnPermissionsOnly();
    ~OwnPermissionsOnly();
    OwnPermissionsOnly(const OwnPermissionsOnly&) = delete;
    OwnPermissionsOnly& operator=(const OwnPermissionsOnly&) = delete;

private:
    quint32 m_effective[2] = {};   // the thread's powers before
    bool m_changed = false;
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
