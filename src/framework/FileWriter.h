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
// Where no file can be made or renamed beside the earlier one for want of
// permission (a folder the user may not add to, a shared folder that keeps
// other users' files) or of an inode, and the earlier file may be written,
// the bytes are written over it instead, once the disk has taken room for
// every one of them. A failure of the disk itself mid-way (or a run killed
// then) leaves that file half written, so this is only the last road.
//
// The hidden files are named so that the program knows them for its own
// (a name no user makes by chance), and those that killed runs left in a
// folder are removed when the program next writes a file there.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

struct stat;

namespace fw {

class FileWriter {
public:
    FileWriter() = default;
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    // A file not committed is removed.
    ~FileWriter();

    // Starts a file that is to replace the one at posixPath, if any (through
    // links, however many in a row, the file the last names), keeping its
    // owner, group, permissions and extended attributes where the user may;
    // hidden files that killed runs left in its folder are removed. False,
    // with errorString(), when no file can be made.
    bool open(const QString& posixPath);
    // Starts a new file whose name is the pattern's with its last "XXXXXX"
    // made into characters no file of the folder has there; it replaces
    // nothing and has its name (fileName()) from the start.
    bool openNew(const QString& pattern);
    // The bytes are kept until a block is full; what fails is told by commit().
    void write(QByteArrayView bytes);
    // Puts every byte on the disk and gives the file its name; false, with
    // errorString(), when any of it failed: the new file is then gone.
    bool commit();

    // The name the file has once committed.
    QString fileName() const;
    // The system's words for what failed; empty when nothing has.
    QString errorString() const;

private:
    bool createBeside();
    bool createNamed(const std::function<QByteArray()>& name);
    bool openInPlace();
    bool giveName();
    void takeOn(const struct stat& earlier);
    bool rename();
    bool writeInPlace();
    bool reserveInPlace(const struct stat& before, qint64 size);
    bool fill(const struct stat& before, qint64 size);
    bool putZeros(qint64 count);
    bool fail(int error);
    bool put(QByteArrayView bytes);
    bool flush();
    bool sync();
    bool closeChecked();
    void discard();

    int m_fd = -1;
    int m_lockFd = -1;     // the hidden file's lock, held from its close to its rename
    QByteArray m_path;     // the name of the file written to; empty while it has none
    QByteArray m_target;   // its name once committed
    QByteArray m_buffer;
    bool m_inPlace = false;   // m_fd is the earlier file itself
    int m_error = 0;
};

} // namespace fw
