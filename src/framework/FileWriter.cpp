#include "framework/FileWriter.h"

#include "framework/Platform.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

constexpr qsizetype kBlockBytes = 64 * 1024;
constexpr qsizetype kMaxNameBytes = 255;
constexpr int kNameTries = 100;
const QByteArray kMark = QByteArrayLiteral("XXXXXX");

QByteArray withRandomMark(QByteArray pattern)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const qsizetype at = pattern.lastIndexOf(kMark);
    for (qsizetype k = 0; at >= 0 && k < kMark.size(); ++k)
        pattern[at + k] = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    return pattern;
}

// The hidden name, in its folder, a file is written under before it
// replaces the earlier one: a dot, as much of the name as fits whole
// characters, and a mark.
QByteArray besidePattern(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray name = target.mid(slash + 1);
    const QByteArray ending = '.' + kMark;
    qsizetype keep = std::min(name.size(), kMaxNameBytes - 1 - ending.size());
    while (keep > 0 && keep < name.size() && (uchar(name[keep]) & 0xC0) == 0x80)
        --keep;
    return target.left(slash + 1) + '.' + name.left(keep) + ending;
}

} // namespace

FileWriter::~FileWriter()
{
    discard();
}

bool FileWriter::open(const QString& posixPath)
{
    discard();
    const QFileInfo info(posixPath);
    const QByteArray target = QFile::encodeName(info.isSymLink() ? info.symLinkTarget() : posixPath);
    if (!create(besidePattern(target)))
        return false;
    m_target = target;
    struct stat earlier {};
    if (::stat(m_target.constData(), &earlier) == 0 && S_ISREG(earlier.st_mode))
        ::fchmod(m_fd, earlier.st_mode & 07777);
    return true;
}

bool FileWriter::openNew(const QString& pattern)
{
    discard();
    if (!create(QFile::encodeName(pattern)))
        return false;
    m_target = m_path;
    return true;
}

bool FileWriter::create(const QByteArray& pattern)
{
    m_error = 0;
    for (int tries = 0; tries < kNameTries; ++tries) {
        const QByteArray path = withRandomMark(pattern);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_path = path;
            return true;
        }
        if (errno != EEXIST && errno != EINTR)
            return fail(errno);
    }
    return fail(EEXIST);
}

void FileWriter::write(QByteArrayView bytes)
{
    if (m_fd < 0 || m_error != 0)
        return;
    if (m_buffer.size() + bytes.size() > kBlockBytes) {
        if (!flush())
            return;
        if (bytes.size() >= kBlockBytes) {
            put(bytes);
            return;
        }
    }
    m_buffer.append(bytes);
}

bool FileWriter::commit()
{
    if (m_fd < 0)
        return m_error == 0 ? fail(EBADF) : false;
    const bool written = m_error == 0 && flush() && syncAndClose()
        && (m_path == m_target || ::rename(m_path.constData(), m_target.constData()) == 0 || fail(errno));
    if (!written) {
        discard();
        return false;
    }
    m_path.clear();
    return true;
}

QString FileWriter::fileName() const
{
    return QFile::decodeName(m_target);
}

QString FileWriter::errorString() const
{
    return m_error == 0 ? QString() : qt_error_string(m_error);
}

bool FileWriter::fail(int error)
{
    if (m_error == 0)
        m_error = error;
    return false;
}

// Every byte, however few a write takes and however often it is interrupted.
bool FileWriter::put(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qint64 taken = platform().writeFile(m_fd, bytes.data(), bytes.size());
        if (taken < 0 && errno == EINTR)
            continue;
        if (taken <= 0)
            return fail(taken == 0 ? ENOSPC : errno);
        bytes = bytes.sliced(taken);
    }
    return true;
}

bool FileWriter::flush()
{
    const bool done = put(m_buffer);
    m_buffer.clear();
    return done;
}

// Some file systems take a file's room only when its bytes reach the disk,
// and some tell a failed write only at fsync or close: both are asked.
bool FileWriter::syncAndClose()
{
    int synced;
    do
        synced = platform().syncFile(m_fd);
    while (synced != 0 && errno == EINTR);
    const int syncError = synced == 0 ? 0 : errno;
    const int closed = platform().closeFile(m_fd);
    const int closeError = closed == 0 ? 0 : errno;
    m_fd = -1;
    if (syncError != 0)
        return fail(syncError);
    // An interrupted close has closed the file, its bytes synced already.
    return closed == 0 || closeError == EINTR || fail(closeError);
}

void FileWriter::discard()
{
    if (m_fd >= 0)
        platform().closeFile(m_fd);
    if (!m_path.isEmpty())
        ::unlink(m_path.constData());
    m_fd = -1;
    m_path.clear();
    m_target.clear();
    m_buffer.clear();
}

} // namespace fw
