#include "library/SongScript.h"

#include "framework/Format.h"
#include "tracks/CountLimits.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cmath>

namespace SongScript {

namespace {

constexpr QChar kLineSeparator(0x2028);
constexpr qsizetype kNumberedValues = 4;   // count, time, beat and speed are numbers
// A song's file names the song by its first lines: title, artist and album,
// the values that tell songs apart in song set-up.
constexpr qsizetype kIdentityLines = 3;

// Mac OS Roman, bytes 0x80 to 0xFF; below that it is ASCII.
constexpr std::array<char16_t, 128> kMacRoman = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

// A number as the database writes one: plain decimal digits with an
// optional sign, point and exponent, spaces around it aside; no digit
// grouping ("2,000,000"), no decimal comma, nothing infinite.
std::optional<double> numberIn(QStringView text)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double number = c.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

QString notATrackLine(qsizetype lineNumber)
{
    return QStringLiteral("Line %1 of the file is not a track line: "
                          "it must begin with a count, a time and a beat.")
        .arg(lineNumber);
}

// A value as the user is told it: as the file holds it, cut when long.
QString shown(QStringView value)
{
    constexpr qsizetype kLongest = 40;
    const QStringView trimmed = value.trimmed();
    return trimmed.size() > kLongest ? trimmed.left(kLongest).toString() + QChar(0x2026) : trimmed.toString();
}

// "Line 14 of the file holds a beat of 9: a beat must be ..."
QString holds(qsizetype lineNumber, const QString& what, QStringView value, const QString& must)
{
    const QString held = value.trimmed().isEmpty() ? QStringLiteral("no ") + what
                                                   : QStringLiteral("a %1 of %2").arg(what, shown(value));
    return QStringLiteral("Line %1 of the file holds %2: %3").arg(lineNumber).arg(held, must);
}

const QString kWithinADay = QStringLiteral("a number of seconds within 24 hours of the start of the song.");

// What is wrong with a track line's count, time, beat and speed (the
// bounds the track editor keeps), or nothing.
QString trackValueProblem(qsizetype lineNumber, const QList<QStringView>& parts)
{
    const auto part = [&](qsizetype v) { return v < parts.size() ? parts[v] : QStringView(); };
    const std::optional<double> count = numberIn(part(0));
    if (!count || !CountLimits::isCount(*count))
        return holds(lineNumber, QStringLiteral("count"), part(0),
                     QStringLiteral("a count must be a whole number from 1 to %1.")
                         .arg(fw::Format(CountLimits::kHighestCount, QStringLiteral("###,###"))));
    const std::optional<double> time = numberIn(part(1));
    if (!time || !CountLimits::isTime(*time))
        return holds(lineNumber, QStringLiteral("time"), part(1), QStringLiteral("a time must be ") + kWithinADay);
    const std::optional<double> beat = numberIn(part(2));
    if (!beat || *beat != std::floor(*beat) || !CountLimits::isBeat(static_cast<int>(*beat)))
        return holds(lineNumber, QStringLiteral("beat"), part(2), QStringLiteral("a beat must be a whole number from 1 to 8."));
    const std::optional<double> speed = numberIn(part(3));
    if (!speed || !CountLimits::isSpeed(*speed))
        return holds(lineNumber, QStringLiteral("speed"), part(3),
                     QStringLiteral("a speed must be from %1 to %2 beats per minute.")
                         .arg(fw::Format(CountLimits::kSlowestSpeed, QStringLiteral("0.00")),
                              fw::Format(CountLimits::kFastestSpeed, QStringLiteral("###,###"))));
    return QString();
}

// What is wrong with a test section read from lines n and n + 1, or
// nothing: its start and end are numbers of seconds within a day of the
// song's start, the start not after the end, or both are empty (a song
// without a test section).
QString testSectionProblem(qsizetype n, QStringView start, QStringView end)
{
    const bool noStart = start.trimmed().isEmpty();
    const bool noEnd = end.trimmed().isEmpty();
    if (noStart && noEnd)
        return QString();
    const std::optional<double> from = numberIn(start);
    const std::optional<double> to = numberIn(end);
    if (noStart != noEnd)
        return QStringLiteral("Line %1 of the file holds no test %2 while line %3 holds a test %4: a test section "
                              "needs both its start and its end, or neither.")
            .arg(noStart ? n : n + 1)
            .arg(noStart ? QStringLiteral("start") : QStringLiteral("end"))
            .arg(noStart ? n + 1 : n)
            .arg(noStart ? QStringLiteral("end") : QStringLiteral("start"));
    if (!from || !CountLimits::isTime(*from))
        return holds(n, QStringLiteral("test start"), start, QStringLiteral("it must be ") + kWithinADay);
    if (!to || !CountLimits::isTime(*to))
        return holds(n + 1, QStringLiteral("test end"), end, QStringLiteral("it must be ") + kWithinADay);
    if (*from > *to)
        return QStringLiteral("Line %1 of the file holds a test start of %2, after the test end of %3 on line %4: "
                              "the start must not be after the end.")
            .arg(n)
            .arg(shown(start), shown(end))
            .arg(n + 1);
    return QString();
}

// A line that begins the track: a number before a TAB, three values or more
// split by TABs, or a count, a time and a beat split by spaces or TABs (a
// track line whose TABs an editor made spaces), which no song value holds;
// a damaged track line among them is then refused as such. Song values hold
// no line break as this program writes them, but older copies wrote a
// value's line breaks as they were, so a song's values can take more lines
// than eleven; the track begins at the first such line after them.
bool beginsTrack(QStringView line)
{
    const qsizetype tab = line.indexOf(u'\t');
    if (tab >= 0 && (numberIn(line.left(tab)).has_value() || line.indexOf(u'\t', tab + 1) >= 0))
        return true;
    const QStringList words = line.toString().simplified().split(u' ');
    return words.size() >= 3
        && std::all_of(words.cbegin(), words.cbegin() + 3, [](const QString& w) { return numberIn(w).has_value(); });
}

QString notASongScript(const QString& why)
{
    return QStringLiteral("This file is not a song-script file: ") + why;
}

QString tooLarge(qint64 bytes)
{
    return notASongScript(QStringLiteral("at %1 MB it is far larger than any song-script.")
                              .arg(QString::number(bytes / (1024.0 * 1024.0), 'f', 1)));
}

// Windows-1252, bytes 0x80 to 0x9F; U+FFFD marks the five bytes it leaves
// undefined. From 0xA0 on it is Latin-1, the byte's own code point.
constexpr char16_t kUndefined = 0xFFFD;
constexpr std::array<char16_t, 32> kWindows1252 = {
    0x20AC, kUndefined, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, kUndefined, 0x017D, kUndefined,
    kUndefined, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kUndefined, 0x017E, 0x0178,
};

char16_t macRoman(unsigned char b) { return b < 0x80 ? char16_t(b) : kMacRoman[b - 0x80]; }
char16_t windows1252(unsigned char b) { return b < 0x80 || b >= 0xA0 ? char16_t(b) : kWindows1252[b - 0x80]; }

// A character of the file: an ASCII byte, a valid UTF-8 sequence, or a
// stray byte, an 8-bit character whose encoding the whole file chooses.
struct Piece {
    char32_t c;   // a stray byte's value
    bool stray;
};

// The file's text with each stray byte read in one 8-bit encoding, and
// where in the text those characters stand.
struct Decoding {
    QString text;
    std::vector<qsizetype> strays;
};

Decoding decoding(const std::vector<Piece>& pieces, char16_t (*eightBit)(unsigned char))
{
    Decoding d;
    d.text.reserve(static_cast<qsizetype>(pieces.size()));
    for (const Piece& piece : pieces) {
        if (piece.stray) {
            d.strays.push_back(d.text.size());
            d.text += QChar(eightBit(static_cast<unsigned char>(piece.c)));
        } else if (QChar::requiresSurrogates(piece.c)) {
            d.text += QChar(QChar::highSurrogate(piece.c));
            d.text += QChar(QChar::lowSurrogate(piece.c));
        } else {
            d.text += QChar(char16_t(piece.c));
        }
    }
    return d;
}

// ---- which encoding -----------------------------------------------------------

// The accented letters of Western languages, which both 8-bit encodings
// carry at different bytes.
bool isAccentedLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0xC0 && u <= 0xFF && u != 0xD7 && u != 0xF7) || u == 0x152 || u == 0x153 || u == 0x160
        || u == 0x161 || u == 0x178 || u == 0x17D || u == 0x17E;
}

// The accented letters that song texts hardly hold: œ, š, ž, ÿ and their
// capitals. The other encoding's common letters turn into them: "Raúl" read
// in the wrong encoding is "Raœl", "schön" "schšn".
bool isRareLetter(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x152 || u == 0x153 || u == 0x160 || u == 0x161 || u == 0x178 || u == 0x17D || u == 0x17E || u == 0xFF;
}

bool isApostrophe(QChar c) { return c == u'\u2018' || c == u'\u2019'; }
bool isDoubleQuote(QChar c) { return c == u'\u201C' || c == u'\u201D' || c == u'\u201E'; }
bool isDash(QChar c) { return c == u'\u2013' || c == u'\u2014'; }
bool isCurrency(QChar c) { return c == u'\u20AC' || c == u'\u00A3' || c == u'\u00A5' || c == u'\u00A2'; }
bool isSpaceOrEdge(QChar c) { return c.isSpace(); }

// Signs that the other encoding's letters and punctuation turn into and that
// song texts hardly hold: "∞" for "°", "√" for "é", "‰" for "â" ...
bool isRareSign(QChar c)
{
    static constexpr std::array<char16_t, 44> kRare = {
        0x221E, 0x2260, 0x2264, 0x2265, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x03A9, 0x221A,
        0x2248, 0x2206, 0x25CA, 0x2044, 0xFB01, 0xFB02, 0x0131, 0x02C6, 0x02DC, 0x00AF, 0x02D8,
        0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7, 0x2021, 0x201A, 0x2030, 0x0192, 0x00AC,
        0x00B7, 0x2039, 0x203A, 0x00A6, 0x00A4, 0x00B9, 0x00B2, 0x00B3, 0x00D7, 0x2020, 0xF8FF,
    };
    return std::find(kRare.cbegin(), kRare.cend(), c.unicode()) != kRare.cend();
}

// How far the scoring looks around a character: a word, a quotation.
constexpr qsizetype kLongestWord = 40;
constexpr qsizetype kLongestQuote = 400;

// The letters of the word that ends just before k, or begins just after it
// (of a long run of letters, only its end or beginning).
QString wordBefore(const QString& text, qsizetype k)
{
    qsizetype begin = k;
    while (begin > 0 && k - begin < kLongestWord && text[begin - 1].isLetter())
        --begin;
    return text.mid(begin, k - begin).toLower();
}
QString wordAfter(const QString& text, qsizetype k)
{
    qsizetype end = k + 1;
    while (end < text.size() && end - k <= kLongestWord && text[end].isLetter())
        ++end;
    return text.mid(k + 1, end - k - 1).toLower();
}

// An apostrophe between letters as English and French write it: "Don’t",
// "it’s", "you’re", "l’amour", "O’Brien".
bool isElision(const QString& text, qsizetype k)
{
    static const QStringList kEndings = {QStringLiteral("t"),  QStringLiteral("s"),  QStringLiteral("d"),
                                         QStringLiteral("m"),  QStringLiteral("ll"), QStringLiteral("re"),
                                         QStringLiteral("ve")};
    static const QStringList kBeginnings = {QStringLiteral("l"), QStringLiteral("d"),  QStringLiteral("j"),
                                            QStringLiteral("c"), QStringLiteral("m"),  QStringLiteral("n"),
                                            QStringLiteral("s"), QStringLiteral("t"),  QStringLiteral("qu"),
                                            QStringLiteral("o"), QStringLiteral("jusqu"), QStringLiteral("lorsqu")};
    const QString before = wordBefore(text, k);
    const QString after = wordAfter(text, k);
    // "it’s", "Dancer’s", but not "pa’s", which is "país" in the other reading.
    if (after == QLatin1String("s"))
        return before.size() >= 3 || before == QLatin1String("it") || before == QLatin1String("he");
    return (kEndings.contains(after) && !before.isEmpty()) || (kBeginnings.contains(before) && after.size() >= 2);
}

// An apostrophe at a word's edge as English writes it: "rockin’", "’Tis",
// "’til", "’cause".
bool isEdgeElision(const QString& text, qsizetype k)
{
    static const QStringList kClipped = {QStringLiteral("tis"), QStringLiteral("twas"), QStringLiteral("til"),
                                         QStringLiteral("cause"), QStringLiteral("em"), QStringLiteral("bout")};
    const QChar after = k + 1 < text.size() ? text[k + 1] : QChar(u' ');
    if (after.isLetter())
        return kClipped.contains(wordAfter(text, k));
    return wordBefore(text, k).endsWith(QLatin1String("in"));
}

// Whether the line around k holds, before k (or after it, within a
// quotation's length), a mark of this set.
template <typename Pred>
bool lineHolds(const QString& text, qsizetype k, bool before, Pred is)
{
    const qsizetype step = before ? -1 : 1;
    for (qsizetype j = k + step; j >= 0 && j < text.size() && std::abs(j - k) <= kLongestQuote; j += step) {
        const QChar c = text[j];
        if (c == u'\n' || c == u'\r')
            return false;
        if (is(c))
            return true;
    }
    return false;
}

// How well the characters that the file's stray bytes give in one encoding
// sit where they stand. Typography scores most: an apostrophe between
// letters ("Don’t") or around an "n" ("Rock ’n’ Roll"), quote marks that
// open and close, a dash between digits ("96–100") or spaces, a degree
// sign after a digit ("90°"), a currency sign beside digits ("5€"). An
// accented letter counts for a reading when it sits in a word ("Café",
// "Über") and against it when it touches digits or stands as a capital
// inside a word of small letters ("CafÈ"); a rare sign ("∞", "‰") counts
// against it. Read in the wrong encoding, typography turns into exactly
// such letters and signs, and letters into such signs. A rare letter in a
// word (isRareLetter) weighs half a point against its reading, so that of
// two readings whose letters sit equally well, the one of common letters
// wins ("Raúl", not "Raœl").
int sittingScore(const Decoding& reading)
{
    const QString& text = reading.text;
    const auto at = [&](qsizetype k) { return k >= 0 && k < text.size() ? text[k] : QChar(u' '); };
    int score = 0;
    int rareLetters = 0;
    for (const qsizetype k : reading.strays) {
        const QChar c = text[k];
        const QChar before = at(k - 1);
        const QChar after = at(k + 1);
        if (isAccentedLetter(c)) {
            if (isRareLetter(c) && (before.isLetter() || after.isLetter()))
                ++rareLetters;
            if (before.isDigit() || after.isDigit())
                score -= 1;
            else if (c.isLower())
                score += after.isUpper() ? -1 : (before.isLetter() ? 1 : 0);
            else if (before.isLetter())
                score += before.isLower() || after.isLower() ? -1 : 1;
            else
                score += after.isLetter() ? 1 : 0;
        } else if (isApostrophe(c)) {
            if (before.isLetter() && after.isLetter()) {
                score += isElision(text, k) ? 2 : 0;
            } else if (after.isLetter() && at(k + 2) == c && !at(k + 3).isLetter()) {
                score += 4;   // "’n’", "’s’": the apostrophe after scores nothing
            } else if (!before.isLetter() != !after.isLetter() && isEdgeElision(text, k)) {
                score += 2;
            } else if (c == u'\u2018' && after.isLetterOrNumber()) {
                score += lineHolds(text, k, false, [](QChar q) { return q == u'\u2019'; }) ? 2 : 0;
            } else if (c == u'\u2019' && (before.isLetterOrNumber() || before.isPunct()) && !after.isLetter()) {
                score += lineHolds(text, k, true, [](QChar q) { return q == u'\u2018'; }) ? 2 : 0;
            }
        } else if (isDoubleQuote(c)) {
            // Quote marks count in pairs: one alone is as often another
            // encoding's letter ("„andœ" is "Ñandú").
            const bool opens = c != u'\u201D' && !before.isLetterOrNumber() && after.isLetterOrNumber();
            const bool closes = c != u'\u201E' && (before.isLetterOrNumber() || before.isPunct()) && !after.isLetterOrNumber();
            if (opens)
                score += lineHolds(text, k, false, [](QChar q) { return q == u'\u201D' || q == u'\u201C'; }) ? 2 : 0;
            else if (closes)
                score += lineHolds(text, k, true, [](QChar q) { return q == u'\u201C' || q == u'\u201E'; }) ? 2 : 0;
        } else if (c == u'\u00AB' || c == u'\u2039') {
            const QChar close = c == u'\u00AB' ? QChar(u'\u00BB') : QChar(u'\u203A');
            score += !before.isLetterOrNumber() && lineHolds(text, k, false, [&](QChar q) { return q == close; }) ? 2 : 0;
        } else if (c == u'\u00BB' || c == u'\u203A') {
            const QChar open = c == u'\u00BB' ? QChar(u'\u00AB') : QChar(u'\u2039');
            score += !after.isLetterOrNumber() && lineHolds(text, k, true, [&](QChar q) { return q == open; }) ? 2 : 0;
        } else if (c == u'\u2122' || c == u'\u00AE' || c == u'\u00A9') {
            // "Live™", "Rock®", "© 2001"
            score += (before.isLetterOrNumber() && !after.isLetterOrNumber()) || (c == u'\u00A9' && after == u' ') ? 2 : 0;
        } else if (isDash(c)) {
            if ((before.isDigit() && after.isDigit()) || (isSpaceOrEdge(before) && isSpaceOrEdge(after)))
                score += 2;
            else if (c == u'\u2014' && wordBefore(text, k).size() >= 2 && wordAfter(text, k).size() >= 2)
                score += 1;   // "yes—no"; "canci—n" is "canción" in the other reading
        } else if (c == u'\u00B0') {
            score += before.isDigit() ? 2 : 0;
        } else if (isCurrency(c)) {
            score += before.isDigit() || after.isDigit() || (before == u' ' && at(k - 2).isDigit())
                    || (after == u' ' && at(k + 2).isDigit())
                ? 2
                : 0;
        } else if (c == u'\u00A1' || c == u'\u00BF') {
            score += !before.isLetter() && after.isLetter() ? 1 : 0;
        } else if (c == u'\u2026') {
            score += before.isLetter() || before.isPunct() ? 1 : 0;
        } else if (isRareSign(c)) {
            score -= 1;
        } else {
            score -= before.isLetter() && after.isLetter() ? 1 : 0;
        }
    }
    // In half points.
    return 2 * score - rareLetters;
}

// A character that a valid UTF-8 sequence of the file gives fits where it
// stands: Latin letters, Western signs and typography anywhere; a letter of
// another script only beside other non-Latin letters, as in a title in
// Greek or Russian. The bytes of 8-bit text make valid sequences only by
// chance ("“Ärger”" in Mac OS Roman holds the bytes of "Ҁ"), and those
// give such letters amid Latin ones, or controls.
bool fitsAsUtf8(char32_t c, char32_t before, char32_t after)
{
    if (c < 0xA0 || (c >= 0xE000 && c <= 0xF8FF) || (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE)
        return false;
    if (c <= 0x17F || (c >= 0x218 && c <= 0x21B) || (c >= 0x1E00 && c <= 0x1EFF) || (c >= 0x2000 && c <= 0x2BFF)
        || (c >= 0xFB00 && c <= 0xFB06) || c >= 0x1F000)
        return true;
    const auto nonLatin = [](char32_t n) {
        return n >= 0x370 && n != 0xFFFD && (n < 0x2000 || n > 0x2BFF)
            && (QChar::isLetter(n) || QChar::isMark(n));
    };
    return nonLatin(before) || nonLatin(after);
}

// The file's characters. A file whose valid multi-byte UTF-8 sequences each
// fit where they stand is UTF-8, its invalid bytes stray 8-bit characters
// (a character pasted in from elsewhere, 8-bit letters in a file saved as
// UTF-8); so is a file with a byte order mark, which declares it UTF-8
// whatever its bytes. Else the file is 8-bit text, every byte from 0x80 a
// stray one: its bytes make valid sequences only by chance, and those give
// characters that do not fit.
std::vector<Piece> piecesOf(const QByteArray& content)
{
    std::vector<Piece> pieces;
    pieces.reserve(static_cast<size_t>(content.size()));
    const auto byteAt = [&](qsizetype k) { return static_cast<unsigned char>(content[k]); };
    const qsizetype bom = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (qsizetype k = bom; k < content.size();) {
        const unsigned char lead = byteAt(k);
        if (lead < 0x80) {
            pieces.push_back({lead, false});
            ++k;
            continue;
        }
        // A sequence's length, the bits of its lead byte and the least
        // character it may encode (a longer form is invalid).
        const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
        char32_t c = lead & (0x7F >> length);
        const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        bool valid = length > 0 && k + length <= content.size();
        for (int j = 1; valid && j < length; ++j) {
            const unsigned char next = byteAt(k + j);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        valid = valid && c >= least && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        pieces.push_back(valid ? Piece{c, false} : Piece{lead, true});
        k += valid ? length : 1;
    }
    if (bom > 0)
        return pieces;
    const auto decodedAt = [&](size_t k) -> char32_t {
        if (k >= pieces.size())
            return U' ';
        return pieces[k].stray ? char32_t(0xFFFD) : pieces[k].c;
    };
    for (size_t k = 0; k < pieces.size(); ++k) {
        const Piece& piece = pieces[k];
        if (piece.stray || piece.c < 0x80 || fitsAsUtf8(piece.c, k > 0 ? decodedAt(k - 1) : U' ', decodedAt(k + 1)))
            continue;
        std::vector<Piece> bytes;
        bytes.reserve(static_cast<size_t>(content.size()));
        for (const char byte : content)
            bytes.push_back({static_cast<unsigned char>(byte), static_cast<unsigned char>(byte) >= 0x80});
        return bytes;
    }
    return pieces;
}

// UTF-8, with or without a byte order mark, as this program writes it, and
// UTF-16 or UTF-32 with a byte order mark, as Windows editors save
// "Unicode" text. Older copies of the program wrote 8-bit text: on the Mac
// in Mac OS Roman with lines ending in CR, on Windows in Windows-1252 with
// lines ending in CR LF. Whether the file is UTF-8 with stray bytes or
// 8-bit text is piecesOf's to say; its stray bytes are read in one 8-bit
// encoding, which the file tells:
// - a byte that Windows-1252 leaves undefined can only be Mac OS Roman;
// - else the line ends decide by their majority: more CR LF than bare CR
//   mean Windows-1252, more bare CR Mac OS Roman (LF is neither's);
// - else (as many of each, as in a file whose line ends were converted to
//   LF) the encoding whose characters sit better (sittingScore), and
//   Windows-1252 when they sit equally well.
// Nothing when the file is UTF-16 or UTF-32 that does not decode.
std::optional<QString> textOf(const QByteArray& content)
{
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(content);
    if (marked && *marked != QStringConverter::Utf8) {
        QStringDecoder wide(*marked);
        QString text = wide.decode(content);
        if (wide.hasError())
            return std::nullopt;
        return text;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(content);
    if (!utf8.hasError())
        return text;
    const std::vector<Piece> pieces = piecesOf(content);
    const bool macOnly = std::any_of(pieces.cbegin(), pieces.cend(), [](const Piece& piece) {
        return piece.stray && windows1252(static_cast<unsigned char>(piece.c)) == kUndefined;
    });
    const qsizetype crlf = content.count("\r\n");
    const qsizetype cr = content.count('\r') - crlf;
    if (macOnly || cr > crlf)
        return decoding(pieces, macRoman).text;
    if (crlf > cr)
        return decoding(pieces, windows1252).text;
    const Decoding mac = decoding(pieces, macRoman);
    const Decoding windows = decoding(pieces, windows1252);
    return sittingScore(mac) > sittingScore(windows) ? mac.text : windows.text;
}

// The lines of the text without their ends: "\r\n", "\r" and "\n" each end
// a line, and a break after the last line starts no line of its own.
std::vector<QStringView> linesOf(QStringView text)
{
    std::vector<QStringView> lines;
    qsizetype begin = 0;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const char16_t c = text[k].unicode();
        if (c != u'\n' && c != u'\r')
            continue;
        lines.push_back(text.sliced(begin, k - begin));
        if (c == u'\r' && k + 1 < text.size() && text[k + 1] == u'\n')
            ++k;
        begin = k + 1;
    }
    if (begin < text.size())
        lines.push_back(text.sliced(begin));
    return lines;
}

QString decoded(QStringView value)
{
    QString text = value.toString();
    text.replace(kLineSeparator, QLatin1Char('\n'));
    return text;
}

// A value on a line of its own: a line break would end the line early.
QString lineValue(const QString& value)
{
    QString encoded = value;
    encoded.replace(QLatin1String("\r\n"), QString(kLineSeparator));
    encoded.replace(QLatin1Char('\r'), kLineSeparator);
    encoded.replace(QLatin1Char('\n'), kLineSeparator);
    return encoded;
}

// A track line whose count, time, beat and speed the track can hold.
bool isWholeTrackLine(QStringView line)
{
    const QList<QStringView> parts = line.split(u'\t');
    return parts.size() >= 3 && trackValueProblem(0, parts).isEmpty();
}

// The song's values from lines 1 to trackStart, where an older copy may have
// written the line breaks of the notes (line 7) and the install notes
// (line 10), the two values that can hold one, as they were, so that the
// song takes more lines than eleven. Each way of giving those extra lines
// to the two values puts the test start and end on other lines; exactly
// one way must give a test section (testSectionProblem), else the file is
// refused, for no one can tell which value a line belongs to.
struct SongLines {
    QStringList values;
    QString notice;    // what the user is told of a song read back from more lines
    QString problem;
};

constexpr qsizetype kNotes = 6;
constexpr qsizetype kTestStart = 7;
constexpr qsizetype kInstall = 9;

QString joined(const std::vector<QStringView>& lines, qsizetype first, qsizetype count)
{
    QString value;
    for (qsizetype k = first; k < first + count; ++k) {
        if (k > first)
            value += QLatin1Char('\n');
        value += decoded(lines[static_cast<size_t>(k)]);
    }
    return value;
}

QString linesFromTo(qsizetype first, qsizetype last)
{
    return QStringLiteral("lines %1 to %2").arg(first).arg(last);
}

SongLines songValues(const std::vector<QStringView>& lines, size_t trackStart)
{
    SongLines song;
    const qsizetype extra = static_cast<qsizetype>(trackStart) - kSongColumns.size();
    const auto line = [&](qsizetype k) { return lines[static_cast<size_t>(k)]; };
    std::vector<qsizetype> fits;   // lines given to the notes beyond their first
    for (qsizetype inNotes = 0; inNotes <= extra; ++inNotes) {
        const qsizetype start = kTestStart + inNotes;
        if (testSectionProblem(start + 1, line(start), line(start + 1)).isEmpty())
            fits.push_back(inNotes);
    }
    if (extra == 0 && fits.empty()) {
        song.problem = testSectionProblem(kTestStart + 1, line(kTestStart), line(kTestStart + 1));
        return song;
    }
    if (fits.size() != 1) {
        const QString range = linesFromTo(kNotes + 1, kSongColumns.size() + extra);
        song.problem = (fits.empty()
                            ? QStringLiteral("%1 of the file cannot be read as the song's notes, test start and end, "
                                             "install notes and install link: no way of reading their line breaks "
                                             "gives a test start and end.")
                            : QStringLiteral("%1 of the file can be read as the song's notes, test start and end, "
                                             "install notes and install link in more than one way: it is not clear "
                                             "which lines hold the test start and end."))
                           .arg(range);
        song.problem[0] = song.problem[0].toUpper();
        return song;
    }
    const qsizetype inNotes = fits.front();
    const qsizetype inInstall = extra - inNotes;
    for (qsizetype k = 0; k < kNotes; ++k)
        song.values << decoded(line(k));
    song.values << joined(lines, kNotes, inNotes + 1);
    for (qsizetype k = kTestStart; k < kInstall; ++k) {
        // Songs without a test section: an empty start and end are 0, the
        // start of a song that cannot be tested.
        const QString value = line(k + inNotes).trimmed().toString();
        song.values << (value.isEmpty() ? QStringLiteral("0") : value);
    }
    song.values << joined(lines, kInstall + inNotes, inInstall + 1);
    song.values << decoded(line(kSongColumns.size() - 1 + extra));
    if (extra > 0) {
        QStringList values;
        QStringList readings;
        if (inNotes > 0) {
            values << QStringLiteral("notes");
            readings << linesFromTo(kNotes + 1, kNotes + 1 + inNotes) + QStringLiteral(" were read back as the notes");
        }
        if (inInstall > 0) {
            values << QStringLiteral("install notes");
            readings << linesFromTo(kInstall + 1 + inNotes, kInstall + 1 + extra)
                    + (readings.isEmpty() ? QStringLiteral(" were read back as the install notes")
                                          : QStringLiteral(" as the install notes"));
        }
        song.notice = QStringLiteral("Song imported. An older copy wrote the line breaks of its %1 into the file as "
                                     "they were: %2.")
                          .arg(values.join(QStringLiteral(" and ")), readings.join(QStringLiteral(" and ")));
    }
    return song;
}

// The whole file, or nothing with what is wrong in *problem.
std::optional<QByteArray> contentOf(const QString& posixPath, QString* problem)
{
    QFile file(posixPath);
    const QFileInfo info(posixPath);
    if (info.exists() && !info.isFile()) {
        *problem = QStringLiteral("Couldn't read the file: it is not a plain file.");
        return std::nullopt;
    }
    if (info.size() > kMaxFileBytes) {
        *problem = tooLarge(info.size());
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("Couldn't read the file: ") + file.errorString() + QLatin1Char('.');
        return std::nullopt;
    }
    // A file that grew since its size was read is still read no further.
    QByteArray content = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        *problem = QStringLiteral("Couldn't read the file: ") + file.errorString() + QLatin1Char('.');
        return std::nullopt;
    }
    if (content.size() > kMaxFileBytes) {
        *problem = tooLarge(content.size());
        return std::nullopt;
    }
    return content;
}

} // namespace

// ---- writing ---------------------------------------------------------------

bool Writer::create(const QString& posixPath)
{
    m_file.setFileName(posixPath);
    m_failed = false;
    m_changedTabs = false;
    return m_file.open(QIODevice::WriteOnly);
}

void Writer::writeSong(const QStringList& values)
{
    for (const QString& value : values)
        writeLine(lineValue(value));
}

void Writer::writeTrackRow(const QStringList& values)
{
    // Every reader splits a track line at each TAB, so a TAB inside a value
    // would move the values after it into the wrong columns.
    QString line;
    for (const QString& value : values) {
        QString encoded = lineValue(value);
        if (encoded.contains(QLatin1Char('\t'))) {
            encoded.replace(QLatin1Char('\t'), QLatin1Char(' '));
            m_changedTabs = true;
        }
        line += encoded + QLatin1Char('\t');
    }
    writeLine(line);
}

bool Writer::close()
{
    if (!m_file.isOpen())
        return false;
    if (m_failed) {
        m_file.cancelWriting();
        m_file.commit();
        return false;
    }
    return m_file.commit();
}

void Writer::writeLine(const QString& line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    if (m_file.write(bytes) != bytes.size())
        m_failed = true;
}

// ---- reading ---------------------------------------------------------------

Reading parse(const QByteArray& content)
{
    Reading reading;
    const std::optional<QString> text = textOf(content);
    if (!text || text->contains(QChar(0))) {
        reading.problem = notASongScript(QStringLiteral("it holds binary data, not text."));
        return reading;
    }
    const std::vector<QStringView> lines = linesOf(*text);
    const auto songLines = static_cast<size_t>(kSongColumns.size());
    if (lines.size() < songLines) {
        reading.problem = notASongScript(QStringLiteral("it has fewer than %1 lines.").arg(kSongColumns.size()));
        return reading;
    }
    // Blank lines at the end of the file, as editors leave them, are no
    // track lines, and past the eleventh no lines of the song.
    size_t end = lines.size();
    while (end > songLines && lines[end - 1].trimmed().isEmpty())
        --end;
    // The song's lines end where the track begins, or at the end of the
    // lines that are not blank. A line of notes that looks like a track
    // line's start ends them too early, and so does an end before the empty
    // install notes and link of a song whose notes take more lines; that
    // shows when no reading fits: then they end at the first whole track
    // line, or with the file, when a reading fits there.
    size_t trackStart = songLines;
    while (trackStart < end && !beginsTrack(lines[trackStart]))
        ++trackStart;
    SongLines found = songValues(lines, trackStart);
    if (!found.problem.isEmpty()) {
        size_t wholeStart = trackStart;
        while (wholeStart < lines.size() && !isWholeTrackLine(lines[wholeStart]))
            ++wholeStart;
        SongLines later = wholeStart > trackStart ? songValues(lines, wholeStart) : SongLines();
        if (wholeStart == trackStart || !later.problem.isEmpty()) {
            reading.problem = found.problem;
            return reading;
        }
        trackStart = wholeStart;
        found = std::move(later);
    }
    Script script;
    script.song = found.values;
    reading.notice = found.notice;
    for (size_t k = trackStart; k < end; ++k) {
        if (lines[k].isEmpty())
            continue;
        const auto lineNumber = static_cast<qsizetype>(k) + 1;
        const QList<QStringView> parts = lines[k].split(u'\t');
        if (parts.size() < 3) {
            reading.problem = notATrackLine(lineNumber);
            return reading;
        }
        reading.problem = trackValueProblem(lineNumber, parts);
        if (!reading.problem.isEmpty())
            return reading;
        QStringList values;
        for (qsizetype v = 0; v < kTrackColumns.size(); ++v) {
            // What follows the seventh value is ignored; missing values are empty.
            const QStringView part = v < parts.size() ? parts[v] : QStringView();
            values << (v < kNumberedValues ? part.trimmed().toString() : decoded(part));
        }
        script.track.push_back(std::move(values));
    }
    reading.script = std::move(script);
    return reading;
}

Reading read(const QString& posixPath)
{
    Reading reading;
    const std::optional<QByteArray> content = contentOf(posixPath, &reading.problem);
    return content ? parse(*content) : reading;
}

bool isScriptOf(const QString& posixPath, const QStringList& song)
{
    QString problem;
    const std::optional<QByteArray> content = contentOf(posixPath, &problem);
    if (!content)
        return false;
    const std::optional<QString> text = textOf(*content);
    if (!text || text->contains(QChar(0)))
        return false;
    const std::vector<QStringView> lines = linesOf(*text);
    if (lines.size() < static_cast<size_t>(kSongColumns.size()))
        return false;
    for (qsizetype k = 0; k < kIdentityLines; ++k) {
        if (lines[static_cast<size_t>(k)] != lineValue(song.value(k)))
            return false;
    }
    return true;
}

} // namespace SongScript
