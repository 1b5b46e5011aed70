#include "support/FakePlatform.h"

#include <cerrno>

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

qint64 FakePlatform::writeFile(int fd, const char* data, qint64 size)
{
    if (slowDisk) {
        m_interrupted = !m_interrupted;
        if (m_interrupted) {
            errno = EINTR;
            return -1;
        }
        size = std::min<qint64>(size, 3);
    }
    if (diskRoom && size > 0 && *diskRoom == 0) {
        errno = ENOSPC;
        return -1;
    }
    const qint64 taken = Platform::writeFile(fd, data, diskRoom ? std::min(size, *diskRoom) : size);
    if (diskRoom && taken > 0)
        *diskRoom -= taken;
    return taken;
}

int FakePlatform::syncFile(int fd)
{
    errno = syncError;
    return syncError != 0 ? -1 : Platform::syncFile(fd);
}

int FakePlatform::closeFile(int fd)
{
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
    errno = reserveError != 0 ? reserveError : ENOSPC;
    if (reserveError != 0 || (diskRoom && size > *diskRoom))
        return -1;
    return Platform::reserveFile(fd, size);
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
