#include "framework/FileWriter.h"

#include "framework/Platform.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

constexpr qsizetype kBlockBytes = 64 * 1024;
constexpr qsizetype kMaxNameBytes = 255;
constexpr int kNameTries = 100;
// As many links in a row as the system follows before it takes them for a loop.
constexpr int kMaxLinks = 40;
const QByteArray kMark = QByteArrayLiteral("XXXXXX");
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// The system's randomness, not a generator's: a forked process, whose
// generator is its parent's, makes other names.
QByteArray withRandomMark(QByteArray pattern)
{
    const qsizetype at = pattern.lastIndexOf(kMark);
    for (qsizetype k = 0; at >= 0 && k < kMark.size(); ++k)
        pattern[at + k] = kLetters[QRandomGenerator::system()->bounded(int(sizeof kLetters) - 1)];
    return pattern;
}

// Whether a name is one withRandomMark makes of the pattern (both without
// their folder).
bool madeFrom(const QByteArray& pattern, QByteArrayView name)
{
    const qsizetype at = pattern.lastIndexOf(kMark);
    if (at < 0 || name.size() != pattern.size())
        return false;
    for (qsizetype k = 0; k < name.size(); ++k) {
        const bool marked = k >= at && k < at + kMark.size();
        if (marked ? name[k] == 0 || std::strchr(kLetters, name[k]) == nullptr : name[k] != pattern[k])
            return false;
    }
    return true;
}

// Tries marks until make(path) makes a file under one: 0, or the errno of
// the failure (EEXIST from make: the name is taken, another is tried).
template <typename Make>
int underFreeName(const QByteArray& pattern, Make make)
{
    for (int tries = 0; tries < kNameTries; ++tries) {
        const int error = make(withRandomMark(pattern));
        if (error != EEXIST && error != EINTR)
            return error;
    }
    return EEXIST;
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArrayLiteral(".") : path.left(std::max<qsizetype>(slash, 1));
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

// Makes path the file it names through links, however many in a row, each
// relative one read from its own link's folder. The file need not exist: a
// link may name one yet to be made. 0, or the errno (ELOOP for a chain
// longer than the system follows).
int followLinks(QByteArray& path)
{
    for (int links = 0;; ++links) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return 0;
        if (links == kMaxLinks)
            return ELOOP;
        char target[PATH_MAX];
        const ssize_t size = ::readlink(path.constData(), target, sizeof target);
        if (size < 0)
            return errno;
        if (size == qsizetype(sizeof target))
            return ENAMETOOLONG;
        const QByteArray named(target, size);
        path = named.startsWith('/') ? named : path.left(path.lastIndexOf('/') + 1) + named;
    }
}

// Removes the hidden files that runs killed while writing under this
// pattern left. A writer holds a lock (flock, which no other opening of the
// file shares, in this program or another) on its file from its making to
// its rename or removal, so a file that can be locked has no writer left.
// It is removed while locked, and only while its name still names it, so no
// writer takes it up meanwhile (createNamed).
void removeLeftovers(const QByteArray& pattern)
{
    DIR* folder = ::opendir(folderOf(pattern).constData());
    if (!folder)
        return;
    const QByteArray hidden = pattern.mid(pattern.lastIndexOf('/') + 1);
    const int at = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        if (!madeFrom(hidden, entry->d_name))
            continue;
        const int fd = ::openat(at, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid()
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstatat(at, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0
            && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
            ::unlinkat(at, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(folder);
}

} // namespace

FileWriter::~FileWriter()
{
    discard();
}

bool FileWriter::open(const QString& posixPath)
{
    discard();
    m_error = 0;
    m_target = QFile::encodeName(posixPath);
    if (const int error = followLinks(m_target)) {
        m_target.clear();
        return fail(error);
    }
    removeLeftovers(besidePattern(m_target));
    if (createBeside())
        return true;
    // A folder the user may not add files to: the earlier file is written
    // over, where the user may write it. Other failures (a full or read-only
    // disk) are told, the earlier file kept.
    const int refused = m_error;
    if ((refused == EACCES || refused == EPERM) && openInPlace(refused))
        return true;
    m_target.clear();
    return false;
}

bool FileWriter::openNew(const QString& pattern)
{
    discard();
    m_error = 0;
    if (!createNamed(QFile::encodeName(pattern)))
        return false;
    m_target = m_path;
    return true;
}

// The file beside the target: one without a name until it is whole, where
// the file system makes such files, else one under a hidden name.
bool FileWriter::createBeside()
{
    // An unnamed file is given its name through its descriptor's path.
    static const bool canName = ::access("/proc/self/fd", X_OK) == 0;
    if (canName) {
        const int fd = platform().createUnnamedFile(folderOf(m_target).constData());
        if (fd >= 0) {
            // No other can reach the file before it has a name: the lock is its
            // own from the start.
            ::flock(fd, LOCK_EX | LOCK_NB);
            m_fd = fd;
            return true;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return fail(errno);
    }
    return createNamed(besidePattern(m_target));
}

// A new file named after the pattern, locked before anything is written to
// it. One that another run took for a killed run's leftover before the lock
// was taken is gone, or going: another name is tried.
bool FileWriter::createNamed(const QByteArray& pattern)
{
    const int error = underFreeName(pattern, [this](const QByteArray& path) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            return errno;
        struct stat info {};
        if ((::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
            || (::fstat(fd, &info) == 0 && info.st_nlink == 0)) {
            ::close(fd);
            return EEXIST;
        }
        m_fd = fd;
        m_path = path;
        return 0;
    });
    return error == 0 || fail(error);
}

// The earlier file itself, open for writing over it, where the user may
// write it. Its new bytes are all kept until commit().
bool FileWriter::openInPlace(int refused)
{
    const int fd = ::open(m_target.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_inPlace = true;
    m_refused = refused;
    m_error = 0;
    return true;
}

void FileWriter::write(QByteArrayView bytes)
{
    if (m_fd < 0 || m_error != 0)
        return;
    // Nothing is written over the earlier file before every byte is known.
    if (!m_inPlace && m_buffer.size() + bytes.size() > kBlockBytes) {
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
    const bool written = m_error == 0
        && (m_inPlace ? writeInPlace() : flush() && sync() && giveName() && closeChecked() && rename());
    if (!written) {
        discard();
        return false;
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
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
bool FileWriter::sync()
{
    int synced;
    do
        synced = platform().syncFile(m_fd);
    while (synced != 0 && errno == EINTR);
    return synced == 0 || fail(errno);
}

bool FileWriter::closeChecked()
{
    const int closed = platform().closeFile(m_fd);
    const int error = errno;
    m_fd = -1;
    // An interrupted close has closed the file, its bytes synced already.
    return closed == 0 || error == EINTR || fail(error);
}

// The new file takes the earlier one's permissions, and a name: an unnamed
// one the hidden name beside the earlier file. Its lock is held on by a
// second descriptor through the close that follows, until the rename.
bool FileWriter::giveName()
{
    struct stat earlier {};
    if (m_path != m_target && ::stat(m_target.constData(), &earlier) == 0 && S_ISREG(earlier.st_mode))
        ::fchmod(m_fd, earlier.st_mode & 07777);
    if (m_path.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
        const int error = underFreeName(besidePattern(m_target), [&](const QByteArray& path) {
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) != 0)
                return errno;
            m_path = path;
            return 0;
        });
        if (error != 0)
            return fail(error);
    }
    m_lockFd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    return m_lockFd >= 0 || fail(errno);
}

// The hidden file takes the earlier one's name. Where the folder refuses
// that (a shared folder keeps another user's file from being replaced), its
// bytes are written over the earlier file, if the user may write it.
bool FileWriter::rename()
{
    if (m_path == m_target || ::rename(m_path.constData(), m_target.constData()) == 0)
        return true;
    const int refused = errno;
    if ((refused != EPERM && refused != EACCES) || !openInPlace(refused))
        return fail(refused);
    struct stat hidden {};
    if (::fstat(m_lockFd, &hidden) != 0)
        return fail(errno);
    m_buffer.resize(hidden.st_size);
    for (qsizetype got = 0; got < m_buffer.size();) {
        const ssize_t read = ::pread(m_lockFd, m_buffer.data() + got, size_t(m_buffer.size() - got), got);
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            return fail(read == 0 ? EIO : errno);
        got += read;
    }
    // Its room is free before room for the bytes is taken over the earlier file.
    ::unlink(m_path.constData());
    m_path.clear();
    ::close(m_lockFd);
    m_lockFd = -1;
    return writeInPlace();
}

// Over the earlier file: only once the disk holds room for every byte, so
// that a full disk leaves it as it was. Where the file system cannot promise
// that room, the file is not written, for the reason no file could be made
// beside it.
bool FileWriter::writeInPlace()
{
    struct stat before {};
    if (::fstat(m_fd, &before) != 0)
        return fail(errno);
    const qint64 size = m_buffer.size();
    // A write past the file-size limit would fail mid-way: the disk's room
    // does not tell it.
    rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && rlim_t(size) > limit.rlim_cur)
        return fail(EFBIG);
    if (platform().reserveFile(m_fd, size) != 0) {
        const int error = errno;
        // Room taken past the file's end before the disk ran out is given
        // back, and the file's times are put back as they were.
        struct stat after {};
        if (::fstat(m_fd, &after) == 0 && after.st_blocks > before.st_blocks)
            ::ftruncate(m_fd, before.st_size);
        const timespec times[2] = {before.st_atim, before.st_mtim};
        ::futimens(m_fd, times);
        return fail(error == EOPNOTSUPP || error == ENOSYS ? m_refused : error);
    }
    return flush() && (::ftruncate(m_fd, size) == 0 || fail(errno)) && sync() && closeChecked();
}

void FileWriter::discard()
{
    // The name goes while the file is still locked, so it names no other's.
    if (!m_path.isEmpty())
        ::unlink(m_path.constData());
    if (m_fd >= 0)
        platform().closeFile(m_fd);
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_fd = -1;
    m_lockFd = -1;
    m_path.clear();
    m_target.clear();
    m_buffer.clear();
    m_inPlace = false;
    m_refused = 0;
}

} // namespace fw
