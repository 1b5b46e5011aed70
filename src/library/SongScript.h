#pragma once

// The song-script file: one song and its whole track as UTF-8 text, so a
// song can move from one song database to another. Lines 1 to 11 hold the
// song's values, one per line; every later line holds one track row, seven
// values each followed by a TAB. Lines end in "\n" ("\r\n" is read too).
//
// No value may split its line: the writer puts a line break inside a value
// as U+2028 (LINE SEPARATOR), which the reader turns back into "\n", and a
// TAB inside a value as one space.

#include <QFile>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace SongScript {

// The Songs columns of lines 1 to 11, in file order.
inline const QStringList kSongColumns = {
    QStringLiteral("Title"),     QStringLiteral("Artist"),  QStringLiteral("CD"),
    QStringLiteral("Link"),      QStringLiteral("BPM"),     QStringLiteral("Path"),
    QStringLiteral("Notes"),     QStringLiteral("TestStart"), QStringLiteral("TestEnd"),
    QStringLiteral("Install"),   QStringLiteral("InstallLink"),
};
// The Track columns of a track line, in file order.
inline const QStringList kTrackColumns = {
    QStringLiteral("TheCount"), QStringLiteral("TheTime"), QStringLiteral("Beat"),
    QStringLiteral("Speed"),    QStringLiteral("Note"),    QStringLiteral("Advice"),
    QStringLiteral("Comment"),
};

// One song as the file carries it, every value as plain text.
struct Script {
    QStringList song;                 // the 11 values of kSongColumns
    std::vector<QStringList> track;   // per row, the 7 values of kTrackColumns
};

// A value as the file holds it, and back.
QString encodeValue(const QString& value);
QString decodeValue(const QString& value);

// Writes a file line by line, so that an export that stops half-way leaves
// what it has written.
class Writer {
public:
    // Creates the file, replacing one of the same name; false when it cannot.
    bool create(const QString& posixPath);
    // Lines 1 to 11, from the values of kSongColumns in order.
    void writeSong(const QStringList& values);
    // One track line, from the values of kTrackColumns in order.
    void writeTrackRow(const QStringList& values);
    // False when anything could not be written.
    bool close();

private:
    void writeLine(const QString& line);
    QFile m_file;
    bool m_failed = false;
};

// What reading a file gives: the script, or what is wrong with the file in
// words for the user. Nothing of a damaged file is given.
struct Reading {
    std::optional<Script> script;
    QString problem;
};

Reading parse(const QByteArray& content);
Reading read(const QString& posixPath);

} // namespace SongScript
