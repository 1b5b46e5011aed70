#pragma once

// How the program writes every file: so that a file is either written whole
// or not at all, and never found half written or emptied.
//
// The bytes go to a new file of their own; commit() puts them on the disk
// (every write checked, fsync, close) and only then gives the file its name.
// A file that replaces an earlier one is written beside it, without a name
// where the file system allows (so a run killed while it writes leaves
// nothing), else under a hidden name, and renamed over it once whole, so a
// write that fails (a full disk, an I/O error) leaves the earlier file as it
// was. Whatever fails, the new file is removed and errorString() gives the
// system's words for it, as "No space left on device". The writes, fsync and
// close go through the platform (Platform.h), where tests make them fail as
// a full or failing disk does.
//
// Where the earlier file cannot be replaced so, it is written over instead,
// once the disk has taken room for every new byte: where no file can be made
// or renamed beside it for want of permission (a folder the user may not add
// to, a shared folder that keeps other users' files) or of an inode; where
// the disk has no room for the new file beside it (both copies at once);
// and where the new file could not take the earlier one's owner or group
// (another user's file, a group the user is not in), so that the file keeps
// its owner, group and permissions. A file the user may not write is never
// replaced: the folder's permission does not decide that. Written over, the
// file reads as it did until its new bytes go: where the file system takes
// no room ahead, the room past its end is taken by writing bytes there that
// the caller chooses to leave it reading as it did (open's padding; zeros
// where it names none). Its first bytes are then made zeros, which no
// reader takes for text, and synced before the rest goes over it, and its
// new first bytes go last: a failure of the disk, or a run killed, while the
// new bytes go over it leaves a file that reads as it did, as the new one,
// or not at all (cutShort), never one part new and part earlier. A file that
// reads as neither is the limit of this road, and why it is only the last.
//
// The hidden files are named so that the program knows them for its own
// (a name no user makes by chance). Those that killed runs left in a folder
// are removed when the program next writes a file there, once no run holds
// them and none has written them for ten minutes: a run reaching the folder
// by another path (another mount of it) does not see the lock of a run still
// writing one, so a run keeps its hidden file's time fresh while it waits.
//
// An earlier file linked under other names too is not one file with the new
// one after the rename: those names keep the earlier bytes.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>

class QTimer;
struct stat;

namespace fw {

class FileWriter {
public:
    FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    // A file not committed is removed.
    ~FileWriter();

    // The bytes that pad an earlier file past its end where it is written
    // over, given its name: repeated, they must leave it reading as it did.
    // Empty: zeros.
    using Padding = std::function<QByteArray(const QString& earlierPath)>;

    // Starts a file that is to replace the one at posixPath, if any (through
    // links, however many in a row, the file the last names), keeping its
    // owner, group, permissions and extended attributes; hidden files that
    // killed runs left in its folder are removed. False, with errorString(),
    // when no file can be made, or the earlier file is one the user may not
    // write.
    bool open(const QString& posixPath, Padding padding = {});
    // Starts a new file whose name is the pattern's with its last "XXXXXX"
    // made into characters no file of the folder has there; it replaces
    // nothing and has its name (fileName()) from the start.
    bool openNew(const QString& pattern);
    // The bytes are kept until a block is full; what fails is told by commit().
    void write(QByteArrayView bytes);
    // Puts every byte on the disk and gives the file its name; false, with
    // errorString(), when any of it failed: the new file is then gone.
    bool commit();

    // Whether the file is one that a run writing over it left unfinished
    // (killed, or its disk failing): it begins with the zeros such a run
    // writes first.
    static bool cutShort(const QString& posixPath);

    // The name the file has once committed.
    QString fileName() const;
    // The system's words for what failed; empty when nothing has.
    QString errorString() const;

private:
    bool createBeside();
    bool createNamed(const std::function<QByteArray()>& name);
    bool takesOwner(const struct stat& earlier);
    void keepFresh();
    bool openInPlace();
    bool giveName();
    void takeOn(const struct stat& earlier);
    bool rename();
    bool overEarlier();
    bool writeInPlace();
    bool reserveInPlace(const struct stat& before, qint64 size);
    bool fill(const struct stat& before, qint64 size);
    bool putRepeated(qint64 count, const QByteArray& unit);
    bool seek(qint64 offset);
    bool truncate(qint64 size);
    bool fail(int error);
    bool put(QByteArrayView& bytes);
    bool flush(QByteArrayView more = {});
    bool sync();
    bool closeChecked();
    void dropNew();
    void discard();

    int m_fd = -1;
    int m_lockFd = -1;     // the hidden file's lock, held from its close to its rename
    QByteArray m_path;     // the name of the file written to; empty while it has none
    QByteArray m_target;   // its name once committed
    QByteArray m_buffer;
    bool m_replaces = false;   // an earlier file the user may write is there
    bool m_inPlace = false;    // m_fd is the earlier file itself
    bool m_holding = false;    // no byte is written before commit(): all are held
    int m_error = 0;
    Padding m_padding;
    std::unique_ptr<QTimer> m_freshness;   // keeps a hidden file's time fresh
};

} // namespace fw
