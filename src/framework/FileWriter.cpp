#include "framework/FileWriter.h"

#include "framework/Platform.h"

#include <QAbstractEventDispatcher>
#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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
constexpr int kLetterCount = int(sizeof kLetters) - 1;
// A hidden file's name ends in a dot, random letters, and letters that a
// keyed hash makes of the whole name before them: a name no user gives a
// file by chance (one in 62^6), by which the program knows its own files.
constexpr int kRandomLetters = 10;
constexpr int kCheckLetters = 6;
const QByteArray kHiddenKey = QByteArrayLiteral("Corvantis: a file not yet whole");
// A hidden file unwritten for this long, and unlocked, is a killed run's
// leftover; a run keeps its own fresher than that while it waits (an export
// waits in the event loop, as long as a message box shown meanwhile is up).
constexpr time_t kLeftoverSeconds = 10 * 60;
constexpr int kFreshnessMs = 60 * 1000;
// The zeros that open a file written over until all its other bytes are in
// place: four, so that no byte order mark is left (UTF-32's begins with two
// zeros), and no reading as UTF-16 or UTF-32 that would hide them.
constexpr qsizetype kMarkBytes = 4;
const QByteArray kZeros(kMarkBytes, '\0');

// The system's randomness, not a generator's: a forked process, whose
// generator is its parent's, makes other names.
QByteArray randomLetters(qsizetype count)
{
    QByteArray letters(count, Qt::Uninitialized);
    for (char& letter : letters)
        letter = kLetters[QRandomGenerator::system()->bounded(kLetterCount)];
    return letters;
}

QByteArray withRandomMark(QByteArray pattern)
{
    const qsizetype at = pattern.lastIndexOf(kMark);
    if (at >= 0)
        pattern.replace(at, kMark.size(), randomLetters(kMark.size()));
    return pattern;
}

QByteArray checkLetters(QByteArrayView named)
{
    const QByteArray digest = QCryptographicHash::hash(kHiddenKey + named.toByteArray(), QCryptographicHash::Sha256);
    QByteArray letters;
    for (int k = 0; k < kCheckLetters; ++k)
        letters += kLetters[uchar(digest[k]) % kLetterCount];
    return letters;
}

// A new hidden name, in its folder, for a file written before it replaces
// the target: a dot, as much of the target's name as fits whole
// characters, a dot and the letters above.
QByteArray hiddenName(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray name = target.mid(slash + 1);
    qsizetype keep = std::min(name.size(), kMaxNameBytes - 2 - kRandomLetters - kCheckLetters);
    while (keep > 0 && keep < name.size() && (uchar(name[keep]) & 0xC0) == 0x80)
        --keep;
    const QByteArray hidden = '.' + name.left(keep) + '.' + randomLetters(kRandomLetters);
    return target.left(slash + 1) + hidden + checkLetters(hidden);
}

// Whether a name (without its folder) is one hiddenName makes.
bool isHiddenName(QByteArrayView name)
{
    const qsizetype random = name.size() - kRandomLetters - kCheckLetters;
    if (random < 2 || name[0] != '.' || name[random - 1] != '.')
        return false;
    for (qsizetype k = random; k < name.size(); ++k) {
        if (name[k] == 0 || std::strchr(kLetters, name[k]) == nullptr)
            return false;
    }
    return name.last(kCheckLetters) == checkLetters(name.first(name.size() - kCheckLetters));
}

// Tries names until make(path) makes a file under one: 0, or the errno of
// the failure (EEXIST from make: the name is taken, another is tried).
template <typename Name, typename Make>
int underFreeName(Name name, Make make)
{
    for (int tries = 0; tries < kNameTries; ++tries) {
        const int error = make(name());
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

// Removes the hidden files that runs of the program killed while writing
// left in the folder, whatever file each was to replace: only files of the
// program's own names (isHiddenName), this user's, and without a writer. A
// writer holds a lock (flock, which no other opening of the file shares, in
// this program or another) on its file from its making to its rename or
// removal, so a file that can be locked has no writer on this mount of the
// folder. The lock does not reach a writer on another mount of it (another
// path to the folder, a folder shared over the network), which keeps its
// file's time of change fresh instead: a file is removed only once none has
// written it for kLeftoverSeconds too. It is removed while locked, and only
// while its name still names it, so no writer takes it up meanwhile
// (createNamed).
void removeLeftovers(const QByteArray& folderPath)
{
    DIR* folder = ::opendir(folderPath.constData());
    if (!folder)
        return;
    const int at = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        if (!isHiddenName(entry->d_name))
            continue;
        const int fd = ::openat(at, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid()
            && opened.st_mtim.tv_sec <= ::time(nullptr) - kLeftoverSeconds && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::fstatat(at, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev
            && named.st_ino == opened.st_ino)
            ::unlinkat(at, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(folder);
}

// What a call that fills a buffer of a size asked first gives (the names
// of a file's extended attributes, or one's value); nothing when it fails.
template <typename Read>
std::optional<QByteArray> sizedRead(Read read)
{
    for (;;) {
        const ssize_t size = read(nullptr, 0);
        if (size < 0)
            return std::nullopt;
        QByteArray bytes(size, Qt::Uninitialized);
        const ssize_t got = read(bytes.data(), size_t(bytes.size()));
        if (got >= 0) {
            bytes.truncate(got);
            return bytes;
        }
        if (errno != ERANGE)   // ERANGE: it grew meanwhile
            return std::nullopt;
    }
}

QByteArrayList attributeNames(const std::optional<QByteArray>& list)
{
    QByteArrayList names = list.value_or(QByteArray()).split('\0');
    names.removeAll(QByteArray());
    return names;
}

// The file's extended attributes become the path's, its access control
// list among them, each where this user may set it; those it was given
// that the path's file lacks (a folder's default access list) go.
void copyAttributes(const QByteArray& path, int fd)
{
    const char* from = path.constData();
    const QByteArrayList earlier
        = attributeNames(sizedRead([&](char* names, size_t size) { return ::llistxattr(from, names, size); }));
    for (const QByteArray& name : earlier) {
        const std::optional<QByteArray> value = sizedRead(
            [&](char* bytes, size_t size) { return ::lgetxattr(from, name.constData(), bytes, size); });
        if (value)
            ::fsetxattr(fd, name.constData(), value->constData(), size_t(value->size()), 0);
    }
    for (const QByteArray& name :
         attributeNames(sizedRead([&](char* names, size_t size) { return ::flistxattr(fd, names, size); }))) {
        if (!earlier.contains(name))
            ::fremovexattr(fd, name.constData());
    }
}

// Why no file can be made or named beside the earlier one, or made whole
// there: the folder's permission, or the disk's room or inodes.
bool refusedBeside(int error)
{
    return error == EACCES || error == EPERM || error == ENOSPC || error == EDQUOT;
}

// The most bytes this run may write into a file (ulimit -f).
qint64 largestFile()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::numeric_limits<qint64>::max();
    return qint64(std::min<rlim_t>(limit.rlim_cur, rlim_t(std::numeric_limits<qint64>::max())));
}

} // namespace

FileWriter::FileWriter() = default;

FileWriter::~FileWriter()
{
    discard();
}

bool FileWriter::open(const QString& posixPath, Padding padding)
{
    discard();
    m_error = 0;
    m_padding = std::move(padding);
    m_target = QFile::encodeName(posixPath);
    if (const int error = followLinks(m_target)) {
        m_target.clear();
        return fail(error);
    }
    removeLeftovers(folderOf(m_target));
    struct stat earlier {};
    if (::stat(m_target.constData(), &earlier) == 0 && S_ISREG(earlier.st_mode)) {
        // A file the user may not write (another user's, or one the user
        // protected) is kept, whatever the folder allows, as older copies,
        // which wrote over it, kept it.
        if (::faccessat(AT_FDCWD, m_target.constData(), W_OK, AT_EACCESS) != 0) {
            const int error = errno;
            m_target.clear();
            return fail(error);
        }
        m_replaces = true;
    }
    if (createBeside()) {
        if (!m_replaces || takesOwner(earlier))
            return true;
        // The new file would be the user's where the earlier one is another's,
        // or of another group: written over, the file keeps its own.
        dropNew();
        if (openInPlace())
            return true;
    } else if (m_replaces && refusedBeside(m_error) && openInPlace()) {
        // No file can be made beside the earlier one: the folder takes none
        // from this user, or the disk has no inode (or quota) left for one.
        // The earlier file is written over, once the disk has taken room for
        // every byte. Other failures (a read-only disk) are told, the
        // earlier file kept.
        return true;
    }
    m_target.clear();
    return false;
}

bool FileWriter::openNew(const QString& pattern)
{
    discard();
    m_error = 0;
    const QByteArray named = QFile::encodeName(pattern);
    if (!createNamed([&] { return withRandomMark(named); }))
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
    if (!createNamed([this] { return hiddenName(m_target); }))
        return false;
    keepFresh();
    return true;
}

// Whether the new file has the earlier one's owner and group, or can be
// given them: another user's only by root, a group only one of the user's.
bool FileWriter::takesOwner(const struct stat& earlier)
{
    struct stat made {};
    return ::fstat(m_fd, &made) == 0
        && ((made.st_uid == earlier.st_uid && made.st_gid == earlier.st_gid)
            || ::fchown(m_fd, earlier.st_uid, earlier.st_gid) == 0);
}

// The hidden file's time of change is kept fresh while it waits, in this
// thread's event loop, so that no run on another mount of its folder takes
// it for a leftover (removeLeftovers).
void FileWriter::keepFresh()
{
    if (!QAbstractEventDispatcher::instance())
        return;
    m_freshness = std::make_unique<QTimer>();
    QObject::connect(m_freshness.get(), &QTimer::timeout, [this] {
        if (m_fd >= 0)
            ::futimens(m_fd, nullptr);
    });
    m_freshness->start(kFreshnessMs);
}

// A new file under a name of name(), locked before anything is written to
// it. One that another run took for a killed run's leftover before the lock
// was taken is gone, or going: another name is tried.
bool FileWriter::createNamed(const std::function<QByteArray()>& name)
{
    const int error = underFreeName(name, [this](const QByteArray& path) {
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

// The earlier file itself, open for writing over it. Its new bytes are all
// held until commit(). A failure is told where none was before.
bool FileWriter::openInPlace()
{
    const int fd = ::open(m_target.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(EINVAL);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_inPlace = true;
    m_holding = true;
    m_error = 0;
    return true;
}

void FileWriter::write(QByteArrayView bytes)
{
    if (m_fd < 0 || (m_error != 0 && !m_holding))
        return;
    if (m_holding || m_buffer.size() + bytes.size() <= kBlockBytes)
        m_buffer.append(bytes);
    else
        flush(bytes);
}

bool FileWriter::commit()
{
    if (m_fd < 0)
        return m_error == 0 ? fail(EBADF) : false;
    const bool written = m_inPlace
        ? m_error == 0 && writeInPlace()
        : (m_error == 0 && flush() && giveName() && sync() && closeChecked() && rename()) || overEarlier();
    if (!written) {
        discard();
        return false;
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
    m_path.clear();
    m_freshness.reset();
    return true;
}

bool FileWriter::cutShort(const QString& posixPath)
{
    QFile file(posixPath);
    return file.open(QIODevice::ReadOnly) && file.read(kMarkBytes) == kZeros;
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

// Every byte, however few a write takes and however often it is
// interrupted; those not written stay in bytes.
bool FileWriter::put(QByteArrayView& bytes)
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

// The bytes held, and then more, to the file. Where the disk has no room for
// the new file beside an earlier one (or the folder refuses it), those it
// did not take are held on, and every later one: commit() writes them all
// over the earlier file instead (overEarlier).
bool FileWriter::flush(QByteArrayView more)
{
    QByteArrayView held = m_buffer;
    const bool written = put(held) && put(more);
    if (!written && !m_inPlace && m_replaces && refusedBeside(m_error)) {
        // A failed put leaves its own bytes untaken, and the later ones untried.
        m_buffer = held.toByteArray() + more.toByteArray();
        m_holding = true;
        return false;
    }
    m_buffer.clear();
    return written;
}

// Some file systems take a file's room only when its bytes reach the disk,
// and some tell a failed write only at fsync or close: both are asked.
bool FileWriter::sync()
{
    return uninterrupted([this] { return platform().syncFile(m_fd); }) == 0 || fail(errno);
}

bool FileWriter::closeChecked()
{
    const int closed = platform().closeFile(m_fd);
    const int error = errno;
    m_fd = -1;
    // An interrupted close has closed the file, its bytes synced already.
    return closed == 0 || error == EINTR || fail(error);
}

// The new file takes a name, an unnamed one a hidden name beside the
// earlier file, and what the earlier one has besides its bytes, owner and
// group aside (takesOwner). Its lock is held on by a second descriptor
// through the close that follows, until the rename.
bool FileWriter::giveName()
{
    if (m_path.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
        const int error = underFreeName([this] { return hiddenName(m_target); }, [&](const QByteArray& path) {
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) != 0)
                return errno;
            m_path = path;
            return 0;
        });
        if (error != 0)
            return fail(error);
    }
    struct stat earlier {};
    if (m_path != m_target && ::stat(m_target.constData(), &earlier) == 0 && S_ISREG(earlier.st_mode))
        takeOn(earlier);
    m_lockFd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    return m_lockFd >= 0 || fail(errno);
}

// The earlier file's extended attributes, its access control list among
// them, and its permissions.
void FileWriter::takeOn(const struct stat& earlier)
{
    copyAttributes(m_target, m_fd);
    // Last: the mode sets the access list's mask.
    ::fchmod(m_fd, earlier.st_mode & 07777);
}

// The new file takes the earlier one's name.
bool FileWriter::rename()
{
    return m_path == m_target || ::rename(m_path.constData(), m_target.constData()) == 0 || fail(errno);
}

// The new file could not be made whole beside the earlier one, or named
// over it: the disk has no room for both (at a write, or at fsync where it
// takes room only then), or the folder refuses the rename (a shared folder
// keeps another user's file from being replaced). Its bytes, those it took
// and those held, go over the earlier file instead, once its own room is
// given back and the disk has taken room for every one of them; a disk
// without that room still leaves the earlier file as it was.
bool FileWriter::overEarlier()
{
    if (m_inPlace || !m_replaces || !refusedBeside(m_error))
        return false;
    const int fd = m_fd >= 0 ? m_fd : m_lockFd;
    struct stat made {};
    if (fd < 0 || ::fstat(fd, &made) != 0)
        return false;
    QByteArray bytes(made.st_size, Qt::Uninitialized);
    for (qsizetype got = 0; got < bytes.size();) {
        const ssize_t read = ::pread(fd, bytes.data() + got, size_t(bytes.size() - got), got);
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            return false;
        got += read;
    }
    bytes += m_buffer;
    dropNew();
    if (!openInPlace())
        return false;
    m_buffer = std::move(bytes);
    return writeInPlace();
}

// Over the earlier file: only once the disk holds room for every byte, so
// that a full disk leaves it as it was.
bool FileWriter::writeInPlace()
{
    struct stat before {};
    if (::fstat(m_fd, &before) != 0)
        return fail(errno);
    const qint64 size = m_buffer.size();
    // A write past the file-size limit would fail mid-way: the disk's room
    // does not tell it.
    if (size > largestFile())
        return fail(EFBIG);
    if (!reserveInPlace(before, size))
        return false;
    // Bytes written over a file do not all change at once: a run killed, or
    // a disk failing, mid-way leaves the file part new, part earlier, which
    // could read as a file it never was. So its first bytes are made zeros,
    // which no reader takes for text, and synced; then the rest is written
    // and the file cut to its length, and synced; then the first bytes go,
    // and are synced. Wherever it stops, the file reads as it did, as the
    // new one, or not at all.
    const QByteArrayView bytes = m_buffer;
    const qsizetype marked = std::min(kMarkBytes, bytes.size());
    QByteArrayView mark = QByteArrayView(kZeros).first(marked);
    QByteArrayView rest = bytes.sliced(marked);
    QByteArrayView first = bytes.first(marked);
    const bool written = seek(0) && put(mark) && sync() && put(rest) && truncate(size) && sync() && seek(0)
        && put(first) && sync();
    m_buffer.clear();
    return written && closeChecked();
}

bool FileWriter::seek(qint64 offset)
{
    return ::lseek(m_fd, off_t(offset), SEEK_SET) == off_t(offset) || fail(errno);
}

bool FileWriter::truncate(qint64 size)
{
    return uninterrupted([&] { return platform().truncateFile(m_fd, size); }) == 0 || fail(errno);
}

// Room on the disk for the earlier file's first size bytes. Where the file
// system takes none ahead (no fallocate), it is taken by writing (fill).
// Room taken before the disk ran out is given back: the file's size and its
// times are put back as they were (the times where the user owns it).
bool FileWriter::reserveInPlace(const struct stat& before, qint64 size)
{
    if (platform().reserveFile(m_fd, size) == 0)
        return true;
    if (errno != EOPNOTSUPP && errno != ENOSYS)
        fail(errno);
    else if (fill(before, size))
        return true;
    struct stat after {};
    if (::fstat(m_fd, &after) == 0 && (after.st_size != before.st_size || after.st_blocks > before.st_blocks))
        truncate(before.st_size);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ::futimens(m_fd, times);
    return false;
}

// Takes room by writing: zeros into the holes among the bytes to be written
// over, which read as zeros already, and after the file's end up to the new
// size the padding, whole units of it, which leaves the file reading as it
// did, its own bytes untouched. Once synced the blocks are the file's, and
// writing over them takes no more room on a file system that writes in
// place (Platform::reserveFile answers for those that do not).
bool FileWriter::fill(const struct stat& before, qint64 size)
{
    const QByteArray zero(1, '\0');
    const off_t kept = std::min<off_t>(before.st_size, size);
    for (off_t at = 0; at < kept;) {
        const off_t hole = ::lseek(m_fd, at, SEEK_HOLE);
        if (hole < 0 || hole >= kept)
            break;   // none, or a file system that tells none
        const off_t data = ::lseek(m_fd, hole, SEEK_DATA);
        at = data < 0 ? kept : std::min(data, kept);
        if (::lseek(m_fd, hole, SEEK_SET) < 0 || !putRepeated(at - hole, zero))
            return fail(errno);
    }
    if (size > before.st_size) {
        QByteArray unit = m_padding ? m_padding(QFile::decodeName(m_target)) : QByteArray();
        if (unit.isEmpty())
            unit = zero;
        const qint64 count = size - before.st_size;
        const qint64 whole = (count + unit.size() - 1) / unit.size() * unit.size();
        if (::lseek(m_fd, before.st_size, SEEK_SET) < 0
            || !putRepeated(before.st_size + whole <= largestFile() ? whole : count, unit))
            return fail(errno);
    }
    return sync() && (::lseek(m_fd, 0, SEEK_SET) == 0 || fail(errno));
}

// count bytes of the unit over and over, in blocks of whole units.
bool FileWriter::putRepeated(qint64 count, const QByteArray& unit)
{
    const QByteArray block = unit.repeated(std::max<qsizetype>(kBlockBytes / unit.size(), 1));
    for (; count > 0; count -= block.size()) {
        QByteArrayView bytes = QByteArrayView(block).first(std::min<qint64>(count, block.size()));
        if (!put(bytes))
            return false;
    }
    return true;
}

// The file written to goes, and with it its room; a new file's name goes
// while the file is still locked, so it names no other's.
void FileWriter::dropNew()
{
    if (!m_path.isEmpty())
        ::unlink(m_path.constData());
    if (m_fd >= 0)
        platform().closeFile(m_fd);
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_fd = -1;
    m_lockFd = -1;
    m_path.clear();
    m_freshness.reset();
}

void FileWriter::discard()
{
    dropNew();
    m_target.clear();
    m_buffer.clear();
    m_replaces = false;
    m_inPlace = false;
    m_holding = false;
}

} // namespace fw
