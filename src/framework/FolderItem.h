#pragma once

// Files and folders, and the stored colon-separated form of their paths.
//
// The stored form of an absolute path: the POSIX path's components joined by
// ":" with the leading "/" dropped, a ":" inside a name written as "/", and a
// folder ending in ":". So /home/ana/Music/Song.mp3 is stored as
// home:ana:Music:Song.mp3 and /home/ana/Music/ as home:ana:Music:.
// A text without ":" is a bare name, not an absolute path.

#include <QImage>
#include <QString>
#include <optional>

namespace fw {

// POSIX path -> stored form. isFolder adds the closing ":".
QString colonPathFromPosix(const QString& posixPath, bool isFolder);
// Stored form -> POSIX path; nothing for a bare name, an empty text or a
// malformed text (an empty component inside, a leading ":").
std::optional<QString> posixPathFromColon(const QString& colonPath);

class FolderItem {
public:
    FolderItem() = default;                       // no item
    static FolderItem fromPosixPath(const QString& posixPath);
    // The platform's lookup of an absolute path in the stored form; an item
    // that is not valid() when the text cannot be resolved.
    static FolderItem fromAbsolutePath(const QString& colonPath);

    bool valid() const { return !m_path.isEmpty(); }
    bool exists() const;
    bool isDirectory() const;
    QString name() const;
    QString posixPath() const { return m_path; }
    // Stored form; folders end in ":".
    QString absolutePath() const;
    // An item inside this folder, existing or not; not valid() for an empty
    // name, a name with "/", "." or "..".
    FolderItem child(const QString& name) const;
    FolderItem parent() const;
    // Makes the folder and the folders above it that are missing; false,
    // with the system's words in *problem, when it is not a folder then.
    bool createAsFolder(QString* problem = nullptr) const;
    // The picture in the file, or nothing when it is missing or unreadable.
    std::optional<QImage> openAsPicture() const;

    bool operator==(const FolderItem& other) const { return m_path == other.m_path; }

private:
    explicit FolderItem(const QString& path) : m_path(path) {}
    QString m_path;   // absolute, cleaned, without a trailing "/" (but "/")
};

namespace SpecialFolder {
// The user's application-data folder: the XDG data home
// ($XDG_DATA_HOME, else ~/.local/share); not valid() when neither that nor
// $HOME is an absolute path.
FolderItem ApplicationData();
// The user's cache folder, where a program keeps what it may lose: the XDG
// cache home ($XDG_CACHE_HOME, else ~/.cache); not valid() when neither that
// nor $HOME is an absolute path.
FolderItem Cache();
// The user's desktop folder, existing or not: $XDG_DESKTOP_DIR; else the
// one the desktop's settings name (XDG_DESKTOP_DIR in xdg-user-dirs'
// user-dirs.dirs in $XDG_CONFIG_HOME, else in ~/.config); else ~/Desktop.
FolderItem Desktop();
// The system's folder of installed applications; not valid() when none exists.
FolderItem Applications();
} // namespace SpecialFolder

} // namespace fw
