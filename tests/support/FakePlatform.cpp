#include "support/FakePlatform.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace testing {

fw::MsgAnswer FakePlatform::showMessage(const fw::MessageRequest& request)
{
    messages.push_back(request);
    if (whileShown)
        whileShown(request);
    if (request.buttons == fw::MsgButtons::Ok)
        return fw::MsgAnswer::Ok;
    if (answers.empty())
        return request.buttons == fw::MsgButtons::YesNo ? fw::MsgAnswer::No : fw::MsgAnswer::Cancel;
    const fw::MsgAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<QString> FakePlatform::chooseFile(const QString&)
{
    if (chosenFiles.empty())
        return std::nullopt;
    QString path = chosenFiles.front();
    chosenFiles.pop_front();
    return path;
}

std::optional<QString> FakePlatform::popupMenu(const QStringList& rows, const QPoint&)
{
    menusShown.push_back(rows);
    if (menuChoices.empty())
        return std::nullopt;
    QString row = menuChoices.front();
    menuChoices.pop_front();
    return row;
}

namespace {
qint64 sizeOf(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? info.st_size : 0;
}
} // namespace

qint64 FakePlatform::writeFile(int fd, const char* data, qint64 size)
{
    if (whileWriting)
        whileWriting();
    if (pieceBytes > 0)
        size = std::min(size, pieceBytes);
    if (slowDisk) {
        m_interrupted = !m_interrupted;
        if (m_interrupted) {
            errno = EINTR;
            return -1;
        }
        size = std::min<qint64>(size, 3);
    }
    // Bytes over those the file holds, or has room reserved for, take none.
    const qint64 at = ::lseek(fd, 0, SEEK_CUR);
    const qint64 held = std::max(sizeOf(fd), m_reserved[fd]);
    const qint64 fits = diskRoom ? std::max<qint64>(held - at, 0) + *diskRoom : size;
    if (size > 0 && fits == 0) {
        errno = ENOSPC;
        return -1;
    }
    const qint64 taken = Platform::writeFile(fd, data, std::min(size, fits));
    const qint64 grown = std::max<qint64>(at + taken - std::max(held, at), 0);
    if (diskRoom && taken > 0)
        *diskRoom -= grown;
    m_taken[fd] += grown;
    return taken;
}

int FakePlatform::syncFile(int fd)
{
    if (whileSyncing)
        whileSyncing();
    const bool reserved = m_reserved[fd] > 0 && (syncError == ENOSPC || syncError == EDQUOT);
    errno = reserved ? 0 : syncError;
    return errno != 0 ? -1 : Platform::syncFile(fd);
}

int FakePlatform::truncateFile(int fd, qint64 size)
{
    if (whileWriting)
        whileWriting();
    return Platform::truncateFile(fd, size);
}

int FakePlatform::closeFile(int fd)
{
    struct stat info {};
    if (diskRoom && ::fstat(fd, &info) == 0 && info.st_nlink == 0)
        *diskRoom += m_taken[fd];
    m_taken.erase(fd);
    m_reserved.erase(fd);
    const int closed = Platform::closeFile(fd);
    errno = closed == 0 ? closeError : errno;
    return closeError != 0 ? -1 : closed;
}

int FakePlatform::createUnnamedFile(const char* folder)
{
    errno = unnamedError;
    return unnamedError == 0 ? Platform::createUnnamedFile(folder) : -1;
}

int FakePlatform::reserveFile(int fd, qint64 size)
{
    const qint64 grown = std::max(size - std::max(sizeOf(fd), m_reserved[fd]), qint64(0));
    errno = reserveError != 0 ? reserveError : ENOSPC;
    if (reserveError != 0 || (diskRoom && grown > *diskRoom))
        return -1;
    const int reserved = Platform::reserveFile(fd, size);
    if (reserved == 0) {
        if (diskRoom)
            *diskRoom -= grown;
        m_reserved[fd] = std::max(m_reserved[fd], size);
    }
    return reserved;
}

QStringList FakePlatform::messageTexts() const
{
    QStringList texts;
    for (const fw::MessageRequest& m : messages)
        texts << m.text;
    return texts;
}

QString FakePlatform::lastMessage() const
{
    return messages.empty() ? QString() : messages.back().text;
}

void FakePlatform::clear()
{
    messages.clear();
    beeps = 0;
    urls.clear();
    folders.clear();
    menusShown.clear();
    answers.clear();
    chosenFiles.clear();
    menuChoices.clear();
    diskRoom.reset();
    syncError = 0;
    closeError = 0;
    slowDisk = false;
    reserveError = 0;
    unnamedError = 0;
    whileSyncing = nullptr;
    whileWriting = nullptr;
    pieceBytes = 0;
}

ScopedFakePlatform::ScopedFakePlatform()
{
    auto fake = std::make_unique<FakePlatform>();
    m_fake = fake.get();
    m_previous = fw::setPlatform(std::move(fake));
}

ScopedFakePlatform::~ScopedFakePlatform()
{
    fw::setPlatform(std::move(m_previous));
}

} // namespace testing
