#include "library/ScriptText.h"

#include "library/WesternPairs.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <array>
#include <string_view>
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

// How likely the stray characters of a reading are as Western-European
// writing (see WesternPairs.h), given the text around them: each
// character's cost after the one before it, how much likelier or less its
// kind is after the kinds of the two before it (a quote mark between
// letters, a one-letter word after an opening mark, a closing mark opening
// a value), and a letter's case after the two before it, in the language of
// the value they stand in. That language
// is not known, only weighed: the letters of the value that are not stray
// ones make each language more or less likely, and the stray characters
// cost what they cost in each, so weighted. An apostrophe in "Don’t Stop"
// is English; in "Sabor a Mí" an í is Spanish.
class Likeness {
public:
    static const Likeness& instance()
    {
        static const Likeness likeness;
        return likeness;
    }

    // The cost of a reading's stray characters, in half bits: -2 log2 of
    // their probability given the rest of the values they stand in. Two
    // readings of one file differ only in their stray characters, so their
    // costs compare.
    double cost(const Decoding& reading) const
    {
        const QString& text = reading.text;
        const std::vector<qsizetype>& strays = reading.strays;
        double cost = 0;
        for (size_t first = 0; first < strays.size();) {
            // The stretch of the value around these strays: up to kReach
            // characters on either side, and on over strays as they come.
            qsizetype begin = strays[first];
            while (begin > 0 && strays[first] - begin < kReach && !isBreak(text[begin - 1]))
                --begin;
            size_t last = first;
            qsizetype end = strays[first] + 1;
            for (; end < text.size() && !isBreak(text[end]) && end - strays[last] <= kReach; ++end) {
                if (last + 1 < strays.size() && strays[last + 1] == end)
                    ++last;
            }
            cost += stretchCost(text, begin, end, strays, first, last);
            first = last + 1;
        }
        return cost;
    }

private:
    // How far around a stray character the text tells its language.
    static constexpr qsizetype kReach = 32;
    static constexpr int kMostLanguages = 16;

    Likeness()
    {
        using namespace WesternPairs;
        const int other = kClassCount - 1;
        m_classes.fill(static_cast<quint8>(other));
        for (int k = 0; k < other; ++k) {
            for (const char16_t* c = kClasses[k]; *c; ++c)
                m_classes[*c] = static_cast<quint8>(k);
        }
        const auto value = [](char digit) {
            return static_cast<quint8>(std::string_view(kDigits).find(digit));
        };
        Q_ASSERT(kLanguageCount <= kMostLanguages);
        // Each character's class, kind and shape, looked up rather than
        // worked out at every position of a large file. A character not
        // listed is of its small form's class, or a space.
        for (char32_t u = 0; u < m_classes.size(); ++u) {
            const QChar c(static_cast<char16_t>(u));
            if (m_classes[u] == other)
                m_classes[u] = c.isSpace() ? 0 : m_classes[c.toLower().unicode()];
            m_kinds[u] = isBreak(c) ? quint8(BreakKind) : value(kClassKinds[m_classes[u]]);
            m_shapes[u] = static_cast<quint8>(shapeOf(c) | (c.isLetter() && c.toLower() != c.toUpper() ? kCased : 0));
        }
        for (int language = 0; language < kLanguageCount; ++language) {
            std::vector<quint8>& pairs = m_pairs.emplace_back(static_cast<size_t>(kClassCount * kClassCount));
            for (size_t k = 0; k < pairs.size(); ++k)
                pairs[k] = value(kLanguages[language].pairs[k]);
            std::array<quint8, kShapeCount * kShapeCount * 2>& cases = m_cases.emplace_back();
            for (size_t k = 0; k < cases.size(); ++k)
                cases[k] = value(kLanguages[language].cases[k]);
            std::array<qint8, kKindCount * kKindCount * kKindCount>& shifts = m_shifts.emplace_back();
            for (size_t k = 0; k < shifts.size(); ++k)
                shifts[k] = static_cast<qint8>(value(kLanguages[language].shifts[k]) - 32);
        }
    }

    // Where a value ends: a line end, or a TAB between a track line's values.
    static bool isBreak(QChar c) { return c == u'\n' || c == u'\r' || c == u'\t' || c == u'\u2028'; }

    // Beyond the text's ends stands a line end.
    static QChar at(const QString& text, qsizetype k)
    {
        return k >= 0 && k < text.size() ? text[k] : QChar(u'\n');
    }

    int classOf(QChar c) const { return m_classes[c.unicode()]; }

    // A character's shape, and whether it is a letter with a case.
    static constexpr quint8 kCased = 0x80;
    int shapeAt(const QString& text, qsizetype k) const { return m_shapes[at(text, k).unicode()] & ~kCased; }

    int kindAt(const QString& text, qsizetype k) const { return m_kinds[at(text, k).unicode()]; }

    static int shapeOf(QChar c)
    {
        using namespace WesternPairs;
        if (isBreak(c))
            return Break;
        if (c.isSpace())
            return Space;
        if (c.isDigit())
            return Digit;
        if (c == u'\'' || c == u'\u2018' || c == u'\u2019')
            return Apostrophe;
        if (c.isLetter())
            return c.isUpper() ? Capital : Small;
        return Sign;
    }

    // The cost of the stray characters strays[first] to strays[last] and of
    // what follows them up to two characters on, given text[begin, end].
    double stretchCost(const QString& text, qsizetype begin, qsizetype end, const std::vector<qsizetype>& strays,
                       size_t first, size_t last) const
    {
        using namespace WesternPairs;
        std::array<double, kMostLanguages> given{};   // the cost of the rest, for each language
        std::array<double, kMostLanguages> whole{};   // and of rest and strays
        size_t next = first;              // the first stray whose reach is not yet behind
        for (qsizetype k = begin; k <= end; ++k) {
            while (next <= last && strays[next] + 2 < k)
                ++next;
            const bool stray = next <= last && strays[next] <= k;
            const QChar c = at(text, k);
            const size_t pair = static_cast<size_t>(classOf(at(text, k - 1)) * kClassCount + classOf(c));
            const bool cased = m_shapes[c.unicode()] & kCased;
            const size_t shape = cased
                ? static_cast<size_t>((shapeAt(text, k - 2) * kShapeCount + shapeAt(text, k - 1)) * 2
                                      + (shapeAt(text, k) == Capital ? 1 : 0))
                : 0;
            const size_t kinds = static_cast<size_t>((kindAt(text, k - 2) * kKindCount + kindAt(text, k - 1)) * kKindCount
                                                     + kindAt(text, k));
            for (int language = 0; language < kLanguageCount; ++language) {
                const int cost = m_pairs[language][pair] + (cased ? m_cases[language][shape] : 0)
                    + m_shifts[language][kinds];
                whole[language] += cost;
                if (!stray)
                    given[language] += cost;
            }
        }
        return combined(whole) - combined(given);
    }

    // The cost of what all languages give, each as likely as the others.
    static double combined(const std::array<double, kMostLanguages>& costs)
    {
        const int count = WesternPairs::kLanguageCount;
        const double least = *std::min_element(costs.cbegin(), costs.cbegin() + count);
        double sum = 0;
        for (int language = 0; language < count; ++language)
            sum += std::exp2((least - costs[language]) / 2);
        return least - 2 * std::log2(sum);
    }

    std::array<quint8, 0x10000> m_classes;
    std::array<quint8, 0x10000> m_kinds;
    std::array<quint8, 0x10000> m_shapes;
    std::vector<std::vector<quint8>> m_pairs;
    std::vector<std::array<quint8, WesternPairs::kShapeCount * WesternPairs::kShapeCount * 2>> m_cases;
    std::vector<std::array<qint8, WesternPairs::kKindCount * WesternPairs::kKindCount * WesternPairs::kKindCount>> m_shifts;
};

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

// The file's characters: ASCII bytes, valid UTF-8 sequences and stray
// bytes. A valid multi-byte sequence is a UTF-8 character where it fits
// where it stands; where it does not, its bytes are stray ones, 8-bit text
// that made a valid sequence only by chance ("’é" in Mac OS Roman holds the
// bytes of "Վ"), and the UTF-8 text around them stays as it is. A file with
// a byte order mark declares itself UTF-8 whatever its bytes: each valid
// sequence is a character.
std::vector<Piece> piecesOf(const QByteArray& content)
{
    std::vector<Piece> pieces;
    pieces.reserve(static_cast<size_t>(content.size()));
    const auto byteAt = [&](qsizetype k) { return static_cast<unsigned char>(content[k]); };
    const qsizetype bom = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    std::vector<qsizetype> starts;   // where each multi-byte sequence begins
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
        if (valid)
            starts.push_back(k);
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
    std::vector<Piece> read;
    read.reserve(pieces.size());
    auto start = starts.cbegin();
    for (size_t k = 0; k < pieces.size(); ++k) {
        const Piece& piece = pieces[k];
        if (piece.stray || piece.c < 0x80) {
            read.push_back(piece);
            continue;
        }
        const qsizetype begin = *start++;
        if (fitsAsUtf8(piece.c, k > 0 ? decodedAt(k - 1) : U' ', decodedAt(k + 1))) {
            read.push_back(piece);
            continue;
        }
        const int length = piece.c < 0x800 ? 2 : piece.c < 0x10000 ? 3 : 4;
        for (qsizetype j = begin; j < begin + length; ++j)
            read.push_back({byteAt(j), true});
    }
    return read;
}

// What the line ends tell, in half bits: the reading of the platform whose
// line ends a file mostly has (bare CR the Mac's, CR LF Windows') is this
// much the likelier before its letters are weighed, 16 to 1. Most older
// files keep their platform's line ends, but transfers changed many: the
// letters outweigh them where they tell clearly.
constexpr double kLineEnds = 8;

} // namespace

namespace {

// Where UTF-16 or UTF-32 after its byte order mark does not decode, or
// nothing: an unpaired surrogate, a UTF-32 number that is no character (a
// surrogate's, or beyond Unicode), or a last code unit cut short. Qt's
// decoders pass the first ones through without an error, and keep the last
// for bytes to come.
std::optional<Undecodable> undecodableIn(const QByteArray& content, QStringConverter::Encoding encoding)
{
    const bool utf32 = encoding == QStringConverter::Utf32LE || encoding == QStringConverter::Utf32BE;
    const bool bigEndian = encoding == QStringConverter::Utf16BE || encoding == QStringConverter::Utf32BE;
    const qsizetype unit = utf32 ? 4 : 2;
    const auto unitAt = [&](qsizetype k) -> char32_t {
        if (k + unit > content.size())
            return 0xFFFFFFFF;   // cut short: no code point
        char32_t c = 0;
        for (qsizetype j = 0; j < unit; ++j) {
            const auto byte = static_cast<unsigned char>(content[k + j]);
            c = bigEndian ? (c << 8) | byte : c | char32_t(byte) << (8 * j);
        }
        return c;
    };
    qsizetype line = 1;
    char32_t before = 0;
    for (qsizetype k = unit; k < content.size(); k += unit) {
        char32_t c = unitAt(k);
        if (!utf32 && QChar::isHighSurrogate(c) && QChar::isLowSurrogate(unitAt(k + unit))) {
            c = QChar::surrogateToUcs4(char16_t(c), char16_t(unitAt(k + unit)));
            k += unit;
        }
        if (c > 0x10FFFF || QChar::isSurrogate(c))
            return Undecodable{line, utf32 ? QStringLiteral("UTF-32") : QStringLiteral("UTF-16")};
        if (c == u'\r' || (c == u'\n' && before != u'\r'))
            ++line;
        before = c;
    }
    return std::nullopt;
}

} // namespace

// UTF-8, with or without a byte order mark, as this program writes it, and
// UTF-16 or UTF-32 with a byte order mark, as Windows editors save
// "Unicode" text. Older copies of the program wrote 8-bit text: on the Mac
// in Mac OS Roman with lines ending in CR, on Windows in Windows-1252 with
// lines ending in CR LF; transfers and editors change those line ends.
// Whether the file is UTF-8 with stray bytes or 8-bit text is piecesOf's to
// say; its stray bytes are read in one 8-bit encoding, which the file tells:
// - a byte that Windows-1252 leaves undefined can only be Mac OS Roman;
// - else the likelier reading: the one whose letters and signs stand as
//   Western writing has them (Likeness), given what the line ends tell by
//   their majority (more CR LF than bare CR point to Windows-1252, more
//   bare CR to Mac OS Roman, kLineEnds); Windows-1252 when they are as
//   likely.
// Nothing when the file is UTF-16 or UTF-32 that does not decode.
std::optional<QString> textOf(const QByteArray& content, Undecodable* undecodable)
{
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(content);
    if (marked && *marked != QStringConverter::Utf8) {
        const std::optional<Undecodable> fault = undecodableIn(content, *marked);
        if (fault && undecodable)
            *undecodable = *fault;
        return fault ? std::nullopt : std::optional<QString>(QStringDecoder(*marked).decode(content));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(content);
    if (!utf8.hasError())
        return text;
    const std::vector<Piece> pieces = piecesOf(content);
    Decoding mac = decoding(pieces, macRoman);
    const bool macOnly = std::any_of(pieces.cbegin(), pieces.cend(), [](const Piece& piece) {
        return piece.stray && windows1252(static_cast<unsigned char>(piece.c)) == kUndefined;
    });
    if (macOnly)
        return std::move(mac.text);
    Decoding windows = decoding(pieces, windows1252);
    const Likeness& likeness = Likeness::instance();
    const qsizetype crlf = content.count("\r\n");
    const qsizetype cr = content.count('\r') - crlf;
    const double macCost = likeness.cost(mac) + (crlf > cr ? kLineEnds : 0);
    const double windowsCost = likeness.cost(windows) + (cr > crlf ? kLineEnds : 0);
    return std::move(macCost < windowsCost ? mac.text : windows.text);
}

} // namespace SongScript
