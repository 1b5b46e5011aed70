#pragma once

// Everything that would block on the user or leave the program: message
// boxes and questions, the beep, the browser, the file manager, the open-file
// dialog and popup menus, and the calls that put a file's bytes on the disk.
// All of it goes through one replaceable Platform, so tests answer and record
// it, no test ever blocks on a modal box, and a test can meet a full disk.

#include <QPoint>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <memory>
#include <optional>

namespace fw {

class FolderItem;

enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgIcon { None, Caution, Question };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
};

class Platform {
public:
    virtual ~Platform() = default;
    virtual MsgAnswer showMessage(const MessageRequest& request) = 0;
    virtual void beep() = 0;
    virtual void openUrl(const QString& url) = 0;
    virtual void openFolder(const QString& posixPath) = 0;
    // The chosen file's POSIX path, or nothing when the user cancels.
    virtual std::optional<QString> chooseFile(const QString& fileType) = 0;
    // The chosen row's text, or nothing when the menu is dismissed.
    virtual std::optional<QString> popupMenu(const QStringList& rows, const QPoint& globalPos) = 0;
    // The system's write, fsync and close of a file the program writes
    // (FileWriter), answering as they do: -1 with errno on failure.
    virtual qint64 writeFile(int fd, const char* data, qint64 size);
    virtual int syncFile(int fd);
    // The system's ftruncate of such a file.
    virtual int truncateFile(int fd, qint64 size);
    virtual int closeFile(int fd);
    // A new file without a name in the folder, open for reading and writing
    // (O_TMPFILE): its descriptor, or -1 with errno, EOPNOTSUPP where the
    // file system makes none.
    virtual int createUnnamedFile(const char* folder);
    // Takes room on the disk for the open file's first size bytes, so that
    // writing them over what it holds cannot fail for want of room; the
    // file's size and bytes stay as they are. 0, or -1 with errno:
    // EOPNOTSUPP where the file system takes no room ahead (FileWriter then
    // takes it by writing). On a file system that writes every block to a
    // new place, no room can be taken: 0 where the disk has size bytes free
    // now, else ENOSPC.
    virtual int reserveFile(int fd, qint64 size);
};

// A system call answering 0, or -1 with errno, made again for as long as a
// signal interrupts it.
template <typename Call>
int uninterrupted(Call call)
{
    int done;
    do
        done = call();
    while (done != 0 && errno == EINTR);
    return done;
}

Platform& platform();
// Installs another platform (tests); returns the one it replaces.
std::unique_ptr<Platform> setPlatform(std::unique_ptr<Platform> replacement);

// The program's calls, each through platform().
void MsgBox(const QString& text);
MsgAnswer Ask(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon);
void Beep();
// Opens a web address (http or https, a scheme may be left out) in the
// browser; anything else only beeps.
void ShowURL(const QString& url);
void OpenFolder(const FolderItem& folder);
// The open-file dialog for files of a declared type ("special/any": any file).
FolderItem GetOpenFolderItem(const QString& fileType);

} // namespace fw
