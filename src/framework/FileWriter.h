#pragma once

// How the program writes every file: so that a file is either written whole
// or not at all, and never found half written or emptied.
//
// The bytes go to a new file of their own; commit() puts them on the disk
// (every write checked, fsync, close) and only then gives the file its name.
// A file that replaces an earlier one is written beside it under a hidden
// name and renamed over it, so a write that fails (a full disk, an I/O
// error) leaves the earlier file as it was. Whatever fails, the new file is
// removed and errorString() gives the system's words for it, as "No space
// left on device". The writes, fsync and close go through the platform
// (Platform.h), where tests make them fail as a full or failing disk does.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace fw {

class FileWriter {
public:
    FileWriter() = default;
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;
    // A file not committed is removed.
    ~FileWriter();

    // Starts a file that is to replace the one at posixPath, if any (through
    // a link, the file it names), keeping its permissions. False, with
    // errorString(), when no file can be made in its folder.
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
    // Makes the file written to, named after the pattern.
    bool create(const QByteArray& pattern);
    bool fail(int error);
    bool put(QByteArrayView bytes);
    bool flush();
    bool syncAndClose();
    void discard();

    int m_fd = -1;
    QByteArray m_path;     // the file written to
    QByteArray m_target;   // its name once committed
    QByteArray m_buffer;
    int m_error = 0;
};

} // namespace fw
