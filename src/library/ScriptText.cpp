#include "library/ScriptText.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <array>
#include <vector>

namespace SongScript {

namespace {

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

} // namespace

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

} // namespace SongScript
