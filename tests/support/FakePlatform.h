#pragma once

// The platform as tests see it: every message box, question, beep, browser
// and file-manager request is recorded; questions, the open-file dialog and
// popup menus are answered from queues filled by the test. Files are written
// to the real disk, which a test can make full or failing.

#include "framework/Platform.h"

#include <deque>
#include <functional>
#include <map>
#include <vector>

namespace testing {

class FakePlatform final : public fw::Platform {
public:
    fw::MsgAnswer showMessage(const fw::MessageRequest& request) override;
    void beep() override { ++beeps; }
    void openUrl(const QString& url) override { urls.push_back(url); }
    void openFolder(const QString& posixPath) override { folders.push_back(posixPath); }
    std::optional<QString> chooseFile(const QString& fileType) override;
    std::optional<QString> popupMenu(const QStringList& rows, const QPoint& globalPos) override;
    qint64 writeFile(int fd, const char* data, qint64 size) override;
    int syncFile(int fd) override;
    int truncateFile(int fd, qint64 size) override;
    int closeFile(int fd) override;
    int createUnnamedFile(const char* folder) override;
    int reserveFile(int fd, qint64 size) override;

    // The texts of all message boxes and questions shown, in order.
    QStringList messageTexts() const;
    QString lastMessage() const;
    void clear();

    std::vector<fw::MessageRequest> messages;
    int beeps = 0;
    QStringList urls;
    QStringList folders;
    std::vector<QStringList> menusShown;

    // Answers for questions (OK/Cancel, Yes/No); when empty a question is
    // answered Cancel (or No), so an unexpected question never goes ahead.
    std::deque<fw::MsgAnswer> answers;
    // Files the open-file dialog returns; when empty it is cancelled.
    std::deque<QString> chosenFiles;
    // Rows the popup menus choose; when empty they are dismissed.
    std::deque<QString> menuChoices;

    // The disk as the program's file writes meet it. diskRoom: the bytes it
    // still takes (none: as many as the real disk), which bytes written past
    // a file's end or the room reserved for it take; a write takes what fits,
    // and one with no room left fails "No space left on device"; a file
    // closed without a name gives its room back. syncError, closeError: the
    // errno every fsync or close fails with (0: none), but for an fsync of a
    // file whose room was reserved when syncError is a want of room; a
    // failing close still closes. slowDisk: each write is first interrupted
    // (EINTR), then takes at most a few bytes. Room for more bytes than
    // diskRoom cannot be reserved either, and reserveError is the errno every
    // reservation fails with (0: none; EOPNOTSUPP: a file system that takes
    // no room ahead). unnamedError: the errno the making of a file without a
    // name fails with (0: none; EOPNOTSUPP: a disk that makes no such file;
    // ENOSPC: one without an inode left).
    std::optional<qint64> diskRoom;
    int syncError = 0;
    int closeError = 0;
    bool slowDisk = false;
    int reserveError = 0;
    int unnamedError = 0;

    // Runs while a message box or question is up, before it is answered:
    // what the program meanwhile does (its timers run under a real box).
    std::function<void(const fw::MessageRequest&)> whileShown;
    // Runs at each fsync, before it: what the disk holds if the run is
    // killed then.
    std::function<void()> whileSyncing;
    // Runs at each write and ftruncate, before it: the same.
    std::function<void()> whileWriting;
    // The most bytes a write takes (0: all it is given), as a file system
    // that splits a large write into pieces.
    qint64 pieceBytes = 0;

private:
    bool m_interrupted = false;    // the slow disk's last write
    std::map<int, qint64> m_taken;      // the room each open file's writes took
    std::map<int, qint64> m_reserved;   // the room reserved for each open file
};

// Installs a FakePlatform for the lifetime of this object.
class ScopedFakePlatform {
public:
    ScopedFakePlatform();
    ~ScopedFakePlatform();
    FakePlatform* operator->() { return m_fake; }

private:
    FakePlatform* m_fake;
    std::unique_ptr<fw::Platform> m_previous;
};

} // namespace testing
