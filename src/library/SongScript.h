#pragma once

// The song-script file: one song and its whole track as text, so a song can
// move from one song database to another. Lines 1 to 11 hold the song's
// values, one per line; every later line holds one track row, seven values
// each followed by a TAB.
//
// The writer writes UTF-8 with lines ending in "\n". The reader also takes
// what older copies of the program and the user's editors wrote: lines
// ending in "\r\n" or in "\r" alone; UTF-16 with a byte order mark; UTF-8
// with a few stray 8-bit bytes; and 8-bit text, Mac OS Roman from the Mac or
// Windows-1252 from Windows, told apart by the file itself (textOf).
//
// Older copies wrote a line break inside the notes or the install notes as
// it was, so a song's values can take more lines than eleven: the reader
// reads them back into their values when exactly one reading puts a test
// start and end on their lines, and refuses the file otherwise, naming the
// lines. A test start and end are each any number, or both nothing (0), as
// the song information form stores them. In a file without a track, whose
// every line is ended, the first blank line after the last one that is not
// blank is the empty install link's, unless that last line is a web address
// standing alone, the link itself; further blank lines are an editor's. Every
// value the track holds must lie within the bounds the track editor keeps
// (tracks/CountLimits.h); a file with one outside them is refused, naming
// its line and the value.
//
// No value may split its line: the writer puts a line break inside a value
// as U+2028 (LINE SEPARATOR), which the reader turns back into "\n". A TAB
// splits only a track line, so the song's own values keep theirs; inside a
// track value it is written as one space, and the writer tells so.

#include "framework/FileWriter.h"

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

// The largest song-script: the export writes no larger file, and the reader
// reads every file up to this size; a larger one is something else, dropped
// by mistake, and is refused without being read. The most counts the track
// editor keeps (CountLimits), their numbers at their longest, take 53 MB at
// most; the rest is room for their notes and the song's values.
constexpr qint64 kMaxFileBytes = qint64(128) * 1024 * 1024;

struct Reading;
Reading parse(QByteArray content);

// One song as the file carries it, every value as plain text.
class Script {
public:
    QStringList song;   // the 11 values of kSongColumns
    // The track, as many rows as the file holds: row k's 7 values of
    // kTrackColumns are made when asked for, so that a large track is held
    // as the file's text and not as millions of values besides.
    size_t trackRows() const { return m_trackLines.size(); }
    QStringList trackRow(size_t k) const;

private:
    friend Reading parse(QByteArray content);
    QString m_text;                          // the file's text, never changed
    std::vector<QStringView> m_trackLines;   // its track lines
};

// Writes a file line by line. The file replaces one of the same name only
// when close() succeeds, so an export that fails leaves the earlier file and
// nothing of its own.
class Writer {
public:
    // The bytes lines 1 to 11 and a track line take, as written below.
    static qint64 songBytes(const QStringList& values);
    static qint64 trackRowBytes(const QStringList& values);
    // Opens the file for writing; false when it cannot.
    bool create(const QString& posixPath);
    // Lines 1 to 11, from the values of kSongColumns in order.
    void writeSong(const QStringList& values);
    // One track line, from the values of kTrackColumns in order.
    void writeTrackRow(const QStringList& values);
    // Whether a TAB inside a track value was written as a space.
    bool changedTabs() const { return m_changedTabs; }
    // False when anything could not be written: problem() tells why.
    bool close();
    // The system's words for what failed, as "No space left on device".
    QString problem() const { return m_file.errorString(); }

private:
    fw::FileWriter m_file;
    bool m_changedTabs = false;
};

// What reading a file gives: the script, or what is wrong with the file in
// words for the user. Nothing of a damaged file is given.
struct Reading {
    std::optional<Script> script;
    QString problem;
    // For a file an older copy wrote with line breaks inside the song's
    // values, read back into them: what the user is told of it instead of a
    // plain "imported".
    QString notice;
};

Reading parse(QByteArray content);
Reading read(const QString& posixPath);
// The title, artist and album lines the writer writes for a song of these
// values (those of kSongColumns).
QStringList identityOf(const QStringList& song);
// The title, artist and album lines of a song-script file, in any encoding
// and with any line ends the reader reads, where a song's eleven lines
// follow; nothing for any other file. Of a file of any size it reads no
// more than those lines.
std::optional<QStringList> identityIn(const QString& posixPath);

} // namespace SongScript
