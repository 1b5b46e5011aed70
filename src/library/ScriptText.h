#pragma once

// The text of a song-script file from its bytes, whatever wrote them: this
// program writes UTF-8; Windows editors save "Unicode" text as UTF-16 or
// UTF-32 with a byte order mark; older copies of the program wrote 8-bit
// text, Mac OS Roman on the Mac and Windows-1252 on Windows; and a UTF-8 file
// can hold a few stray 8-bit bytes pasted in from elsewhere. The file itself
// tells which (see textOf).

#include <QByteArray>
#include <QString>
#include <optional>

namespace SongScript {

// Where a UTF-16 or UTF-32 file does not decode: the line, counted as the
// reader counts lines, and the encoding its byte order mark declares.
struct Undecodable {
    qsizetype line = 0;
    QString encoding;   // "UTF-16" or "UTF-32"
};

// The file's text, line ends as they stand. Nothing when the file is UTF-16
// or UTF-32 that does not decode, and then *undecodable tells where.
std::optional<QString> textOf(const QByteArray& content, Undecodable* undecodable = nullptr);

// How much likelier, in half bits, the letters of a file's stray bytes make
// them Windows-1252 than Mac OS Roman, as textOf weighs them before the line
// ends. Nothing when the file has no stray bytes, or bytes that only Mac OS
// Roman reads. bench/bench_letters tunes the line ends' weights with it.
std::optional<double> lettersLeaning(const QByteArray& content);

} // namespace SongScript
