#pragma once

// The text of a song-script file from its bytes, whatever wrote them: this
// program writes UTF-8; Windows editors save "Unicode" text as UTF-16 or
// UTF-32 with a byte order mark; older copies of the program wrote 8-bit
// text, Mac OS Roman on the Mac and Windows-1252 on Windows; and a UTF-8 file
// can hold a few stray 8-bit bytes pasted in from elsewhere. The file itself
// tells which (see textOf).

#include <QByteArray>
#include <QString>
#include <QStringConverter>
#include <optional>

namespace SongScript {

// Where a UTF-16 or UTF-32 file does not decode: the line, counted as the
// reader counts lines, and the encoding its byte order mark declares.
struct Undecodable {
    qsizetype line = 0;
    QString encoding;   // "UTF-16" or "UTF-32"
};

// The code units of a file's text as its byte order mark declares them:
// two or four bytes in UTF-16 and UTF-32, in the order it declares; one
// byte otherwise, where CR and LF are bytes of their own.
class CodeUnits {
public:
    explicit CodeUnits(std::optional<QStringConverter::Encoding> marked)
        : bytes(marked == QStringConverter::Utf16LE || marked == QStringConverter::Utf16BE   ? 2
                : marked == QStringConverter::Utf32LE || marked == QStringConverter::Utf32BE ? 4
                                                                                             : 1),
          m_bigEndian(marked == QStringConverter::Utf16BE || marked == QStringConverter::Utf32BE)
    {
    }
    // The unit whose bytes begin at unit.
    char32_t at(const char* unit) const
    {
        char32_t c = 0;
        for (int j = 0; j < bytes; ++j) {
            const auto byte = static_cast<unsigned char>(unit[j]);
            c = m_bigEndian ? (c << 8) | byte : c | char32_t(byte) << (8 * j);
        }
        return c;
    }

    const int bytes;

private:
    bool m_bigEndian;
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
