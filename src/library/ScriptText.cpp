#include "library/ScriptText.h"

#include "library/WesternPairs.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
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
    char32_t c : 31;   // a stray byte's value
    char32_t stray : 1;   // packed: a large file has one piece a byte
};

// The file's text with each stray byte read in one 8-bit encoding, and
// where in the text those characters stand.
struct Decoding {
    QString text;
    std::vector<qsizetype> strays;
};

// The pieces[from, to) so read.
Decoding decoding(const std::vector<Piece>& pieces, char16_t (*eightBit)(unsigned char), size_t from = 0,
                  size_t to = SIZE_MAX)
{
    to = std::min(to, pieces.size());
    const auto wide = [](const Piece& piece) { return !piece.stray && QChar::requiresSurrogates(piece.c); };
    Decoding d;
    d.text.resize(static_cast<qsizetype>(to - from)
                  + std::count_if(pieces.cbegin() + qsizetype(from), pieces.cbegin() + qsizetype(to), wide));
    char16_t* const begin = reinterpret_cast<char16_t*>(d.text.data());
    char16_t* out = begin;
    for (size_t k = from; k < to; ++k) {
        const Piece& piece = pieces[k];
        if (piece.stray) {
            d.strays.push_back(out - begin);
            *out++ = eightBit(static_cast<unsigned char>(piece.c));
        } else if (wide(piece)) {
            *out++ = QChar::highSurrogate(piece.c);
            *out++ = QChar::lowSurrogate(piece.c);
        } else {
            *out++ = char16_t(piece.c);
        }
    }
    return d;
}

// ---- which encoding -----------------------------------------------------------

// What a mark that a value opens and closes in pairs costs, in half bits,
// where it stands unpaired: a stray byte's two readings may make a pair or
// break one ("«Über»" or "«‹ber»", "Àcida" or "¿cida", "Bjørn" or "Bj¿rn").
constexpr double kUnpaired = 12;

bool isPairedMark(QChar c)
{
    return c == u'«' || c == u'»' || c == u'‹' || c == u'›' || c == u'¿' || c == u'¡' || c == u'„' || c == u'‚';
}

// How many marks of a value stand unpaired: guillemets either way round,
// ¿ and ¡ without their ? and !, which a value may hold alone, and the low
// quote marks that open without a high one to close them ("„Live“", but
// "‚hengey" is Mac OS Roman "Çhengey").
int unpaired(QStringView value)
{
    const auto count = [&](char16_t c) { return int(value.count(QChar(c))); };
    return std::abs(count(u'«') - count(u'»')) + std::abs(count(u'‹') - count(u'›'))
        + std::max(0, count(u'¿') - count(u'?')) + std::max(0, count(u'¡') - count(u'!'))
        + std::max(0, count(u'„') - count(u'“') - count(u'”')) + std::max(0, count(u'‚') - count(u'‘') - count(u'’'));
}

// Where a value ends: a line end, or a TAB between a track line's values.
bool isBreak(QChar c) { return c == u'\n' || c == u'\r' || c == u'\t' || c == u'\u2028'; }

// How likely the characters of a text are as Western-European writing
// (see WesternPairs.h): each character's cost after the one before it, how
// much likelier or less its kind is after the kinds of the two before it (a
// quote mark between letters, a one-letter word after an opening mark, a
// closing mark opening a value), and a letter's case after the two before
// it, in the language of the value they stand in. That language is not
// known, only weighed: the letters of the value make each language more or
// less likely, and the characters being weighed cost what they cost in
// each, so weighted. An apostrophe in "Don’t Stop" is English; in "Sabor a
// Mí" an í is Spanish. The costs of all languages add up at once, in
// vectors of kMostLanguages lanes, so that a large file reads fast.
class Likeness {
public:
    static const Likeness& instance()
    {
        static const Likeness likeness;
        return likeness;
    }

    // How much costlier, in half bits (-2 log2 of the probability), the
    // stray characters of the Mac OS Roman reading are than those of the
    // Windows-1252 reading, given the rest of the values they stand in. The
    // two readings differ only in their stray characters, which stand at
    // the same places.
    double leaning(const Decoding& mac, const Decoding& windows) const
    {
        const QString& text = mac.text;
        const std::vector<qsizetype>& strays = mac.strays;
        double leaning = 0;
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
            // What stands two characters or more past a stray costs the same
            // in both readings: it is added up once.
            Sum given;
            Sum macSum;
            Sum windowsSum;
            Context macContext(*this, text, begin);
            Context windowsContext(*this, windows.text, begin);
            size_t next = first;   // the first stray whose reach is not yet behind
            for (qsizetype k = begin; k <= end; ++k) {
                while (next <= last && strays[next] + 2 < k)
                    ++next;
                if (next <= last && strays[next] <= k) {
                    macContext.next(text, k, macSum);
                    windowsContext.next(windows.text, k, windowsSum);
                } else {
                    macContext.next(text, k, given);
                    windowsContext.skip(windows.text, k);
                }
            }
            const Costs givenCosts = given.costs();
            leaning += combined(macSum.costs(), givenCosts) - combined(windowsSum.costs(), givenCosts);
            first = last + 1;
        }
        return leaning;
    }

    // The costs of a piece of a value, left + middle + right, for each of
    // the middles: every character of it and the value's end after it. What
    // stands before a middle, and two characters or more past it, is added
    // up once.
    std::vector<double> costs(const QString& left, const std::vector<QString>& middles, const QString& right) const
    {
        Sum leftSum;
        Context leftContext(*this, left, 0);
        for (qsizetype k = 0; k < left.size(); ++k)
            leftContext.next(left, k, leftSum);
        Sum farSum;
        if (right.size() >= 2) {
            Context farContext(*this, right, 2);
            for (qsizetype k = 2; k <= right.size(); ++k)
                farContext.next(right, k, farSum);
        }
        const Costs before = leftSum.costs();
        const Costs far = farSum.costs();
        std::vector<double> costs;
        for (const QString& middle : middles) {
            // The middle and what it reaches: the next two characters, or the
            // value's end.
            const QString reach = middle + right.left(2);
            Sum sum;
            Context context(*this, left, left.size());
            for (qsizetype k = 0; k < reach.size() + (right.size() < 2 ? 1 : 0); ++k)
                context.next(reach, k, sum);
            Costs both = sum.costs();
            for (int language = 0; language < kMostLanguages; ++language)
                both[language] += far[language];
            costs.push_back(combined(both, before));
        }
        return costs;
    }

    // Whether a character is one that Western writing holds, a letter or
    // sign that the tables list, or a space.
    bool western(char32_t c) const { return c < 0x10000 && (m_kinds[c] & Western); }

    // Whether a character is a letter that the tables list.
    bool westernLetter(char32_t c) const { return c < 0x10000 && (m_kinds[c] & WesternLetter); }

    // Whether a character is a letter or mark of the Latin script that no
    // 8-bit set has but living languages write (kLatinInUse).
    bool latinInUse(char32_t c) const { return c < 0x10000 && (m_kinds[c] & LatinInUse); }

    // Whether a character is a letter that no Western word holds: one of
    // another script, or of the Latin script that no living language writes.
    bool strangeLetter(char32_t c) const { return c < 0x10000 ? m_kinds[c] & StrangeLetter : QChar::isLetter(c); }

    // Whether a character is a letter or mark that living languages write
    // after a Latin letter: those in use (latinInUse), and the tone letters
    // of pinyin ("Wǒ", "Xiǎomíng"), which otherwise stand in no language.
    bool writtenAfterLetter(char32_t c) const { return c < 0x10000 && (m_kinds[c] & AfterLetter); }

private:
    // How far around a stray character the text tells its language.
    static constexpr qsizetype kReach = 32;
    static constexpr int kMostLanguages = 16;

    // A cost in each language, as one vector.
    using Lanes = qint16 __attribute__((vector_size(kMostLanguages * sizeof(qint16))));
    using Bytes = quint8 __attribute__((vector_size(kMostLanguages)));
    using SignedBytes = qint8 __attribute__((vector_size(kMostLanguages)));
    using Costs = std::array<qint32, kMostLanguages>;

    // What the tables need of a character: its class, its kind, and its
    // shape with whether it is a letter with a case.
    struct Info {
        quint8 klass;
        quint8 kind;
        quint8 shape;
    };
    static constexpr quint8 kCased = 0x80;

    // Costs added up: in 16-bit lanes, emptied into 32-bit totals before
    // they can overflow (a character costs at most 3 × 63).
    class Sum {
    public:
        // Adds what c costs after the characters two and one, in each
        // language.
        void add(const Likeness& likeness, Info two, Info one, Info c)
        {
            using namespace WesternPairs;
            const int shape = c.shape & ~kCased;
            const size_t cases = c.shape & kCased
                ? static_cast<size_t>(((two.shape & ~kCased) * kShapeCount + (one.shape & ~kCased)) * 2
                                      + (shape == Capital ? 1 : 0) + 1)
                : 0;
            const size_t kinds = static_cast<size_t>((two.kind * kKindCount + one.kind) * kKindCount + c.kind);
            m_lanes += __builtin_convertvector(likeness.m_pairs[static_cast<size_t>(one.klass * kClassCount + c.klass)],
                                               Lanes)
                + __builtin_convertvector(likeness.m_cases[cases], Lanes)
                + __builtin_convertvector(likeness.m_shifts[kinds], Lanes);
            if (++m_count == 128)
                empty();
        }
        Costs costs()
        {
            empty();
            return m_total;
        }

    private:
        void empty()
        {
            for (int language = 0; language < kMostLanguages; ++language)
                m_total[language] += m_lanes[language];
            m_lanes = Lanes{};
            m_count = 0;
        }
        Lanes m_lanes{};
        int m_count = 0;
        Costs m_total{};
    };

    // The two characters before the one being weighed, as a text is
    // walked through.
    class Context {
    public:
        Context(const Likeness& likeness, const QString& text, qsizetype k)
            : m_likeness(likeness), m_two(likeness.infoAt(text, k - 2)), m_one(likeness.infoAt(text, k - 1))
        {
        }
        // Adds the cost of text[k], the character after the last one
        // walked.
        void next(const QString& text, qsizetype k, Sum& sum)
        {
            const Info c = m_likeness.infoAt(text, k);
            sum.add(m_likeness, m_two, m_one, c);
            m_two = m_one;
            m_one = c;
        }
        void skip(const QString& text, qsizetype k)
        {
            m_two = m_one;
            m_one = m_likeness.infoAt(text, k);
        }

    private:
        const Likeness& m_likeness;
        Info m_two;
        Info m_one;
    };

    Likeness()
    {
        using namespace WesternPairs;
        Q_ASSERT(kLanguageCount <= kMostLanguages);
        const int otherLatin = kClassCount - 5;
        const int rareLatin = kClassCount - 4;
        const int otherScript = kClassCount - 3;
        const int symbol = kClassCount - 2;
        const int other = kClassCount - 1;
        std::vector<quint8> classes(0x10000, static_cast<quint8>(other));
        for (int k = 0; k < otherLatin; ++k) {
            for (const char16_t* c = kClasses[k]; *c; ++c)
                classes[*c] = static_cast<quint8>(k);
        }
        const auto value = [](char digit) {
            return static_cast<quint8>(std::string_view(kDigits).find(digit));
        };
        const auto within = [](const auto& ranges, char32_t u) {
            return std::any_of(std::cbegin(ranges), std::cend(ranges),
                               [u](const char16_t* range) { return u >= range[0] && u <= range[1]; });
        };
        const auto latin = [&](char32_t u) {
            return within(kLatinInUse, u) ? otherLatin : within(kLatinElsewhere, u) ? rareLatin : otherScript;
        };
        // Each character's class, kind and shape, looked up rather than
        // worked out at every position of a large file. A character not
        // listed is a space, of its small form's class, or of one of the
        // four classes of the rest.
        for (char32_t u = 0; u < 0x10000; ++u) {
            const QChar c(static_cast<char16_t>(u));
            if (classes[u] == other) {
                const int small = classes[c.toLower().unicode()];
                classes[u] = static_cast<quint8>(c.isSpace()          ? 0
                                                 : small != other     ? small
                                                 : c.isSurrogate()    ? symbol
                                                 : c.isLetter() || c.isMark() ? latin(u)
                                                 : c.category() == QChar::Symbol_Other ? symbol
                                                                                        : other);
            }
            m_info[u] = {classes[u], isBreak(c) ? quint8(BreakKind) : value(kClassKinds[classes[u]]),
                         static_cast<quint8>(shapeOf(c) | (c.isLetter() && c.toLower() != c.toUpper() ? kCased : 0))};
            const bool isWestern = classes[u] < otherLatin;
            const bool strange = classes[u] == rareLatin || classes[u] == otherScript;
            m_kinds[u] = static_cast<quint8>((isWestern ? Western : 0) | (isWestern && c.isLetter() ? WesternLetter : 0)
                                             | (classes[u] == otherLatin ? LatinInUse | AfterLetter : 0)
                                             | (within(kPinyinTones, u) ? AfterLetter : 0)
                                             | (strange && c.isLetter() ? StrangeLetter : 0));
        }
        // Each language's cost in its lane; the case costs' first row is for
        // a character without a case.
        m_pairs.resize(static_cast<size_t>(kClassCount * kClassCount));
        for (int language = 0; language < kLanguageCount; ++language) {
            const Language& costs = kLanguages[language];
            for (size_t k = 0; k < m_pairs.size(); ++k)
                m_pairs[k][language] = value(costs.pairs[k]);
            for (size_t k = 0; k + 1 < m_cases.size(); ++k)
                m_cases[k + 1][language] = value(costs.cases[k]);
            for (size_t k = 0; k < m_shifts.size(); ++k)
                m_shifts[k][language] = static_cast<qint8>(value(costs.shifts[k]) - 32);
            m_priors[language] = costs.prior;
        }
        for (size_t k = 0; k < m_likelier.size(); ++k)
            m_likelier[k] = std::exp2(-double(k) / 2);
    }

    // Beyond the text's ends stands a line end.
    Info infoAt(const QString& text, qsizetype k) const
    {
        return m_info[k >= 0 && k < text.size() ? text[k].unicode() : u'\n'];
    }

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

    // The cost of what all languages give, each as likely as a value is to
    // be in it, of two sums' costs together.
    double combined(const Costs& costs, const Costs& more) const
    {
        const int count = WesternPairs::kLanguageCount;
        Costs both;
        for (int language = 0; language < count; ++language)
            both[language] = costs[language] + more[language] + m_priors[language];
        const qint32 least = *std::min_element(both.cbegin(), both.cbegin() + count);
        double sum = 0;
        for (int language = 0; language < count; ++language) {
            if (both[language] - least < qint32(m_likelier.size()))
                sum += m_likelier[static_cast<size_t>(both[language] - least)];
        }
        return least - 2 * std::log2(sum);
    }

    std::array<Info, 0x10000> m_info;
    // What each character is, as the questions above ask it, in a table of
    // a quarter the size, for a large UTF-8 file's every character.
    enum : quint8 { Western = 1, WesternLetter = 2, LatinInUse = 4, StrangeLetter = 8, AfterLetter = 16 };
    // The tone letters of pinyin, Ǎ to ǜ.
    static constexpr char16_t kPinyinTones[][2] = {{0x1CD, 0x1DC}};
    std::array<quint8, 0x10000> m_kinds;
    Costs m_priors{};
    std::array<double, 128> m_likelier;   // 2^(-k/2): how much less likely k half bits more make something
    std::vector<Bytes> m_pairs;
    std::array<Bytes, WesternPairs::kShapeCount * WesternPairs::kShapeCount * 2 + 1> m_cases{};
    std::array<SignedBytes, WesternPairs::kKindCount * WesternPairs::kKindCount * WesternPairs::kKindCount> m_shifts{};
};

// How far around a valid UTF-8 sequence its characters are weighed.
constexpr size_t kAround = 16;

// The line end most of a file's lines have.
enum class LineEnd { Cr, CrLf, Lf };

LineEnd lineEndOf(const QByteArray& content)
{
    const qsizetype crs = content.count('\r');
    if (crs == 0)
        return LineEnd::Lf;   // as most files are: the slower counts are spared
    const qsizetype crlf = content.count("\r\n");
    const qsizetype cr = crs - crlf;
    const qsizetype lf = content.count('\n') - crlf;
    if (cr > crlf && cr >= lf)
        return LineEnd::Cr;
    if (crlf > 0 && crlf >= lf)
        return LineEnd::CrLf;
    return LineEnd::Lf;
}

// How much likelier, in half bits, a valid UTF-8 sequence is to be a
// character than 8-bit text's bytes, by what else the file holds, before
// its letters are weighed: its bytes read as 8-bit text only where that
// reading is likelier by more than this. In a file whose every byte makes
// valid UTF-8, the sequences are likelier characters: this program writes
// UTF-8 with LF, which transfers and editors on Windows make CR LF, while
// an 8-bit file makes valid sequences only by chance. A file with stray
// bytes is 8-bit text, or UTF-8 with 8-bit text pasted in: its letters
// decide. But only the Mac copies wrote bare CR, in 8-bit text: a file with
// bare CR and stray bytes, and no Western letter or sign in UTF-8, is the
// Mac copy's.
constexpr double kWholeUtf8Lf = 24;
constexpr double kWholeUtf8CrLf = 16;
constexpr double kWholeUtf8Cr = 0;
constexpr double kMacText = -32;

double utf8Margin(LineEnd end, bool strays, bool westernUtf8)
{
    if (strays)
        return end == LineEnd::Cr && !westernUtf8 ? kMacText : 0;
    return end == LineEnd::Lf ? kWholeUtf8Lf : end == LineEnd::CrLf ? kWholeUtf8CrLf : kWholeUtf8Cr;
}

// What a strange letter costs more, in half bits, glued to a Western one:
// a word does not mix scripts, nor take a letter that no living language
// writes, but 8-bit text makes such a character by chance where a mark meets
// a letter ("Perché—è" holds "я", "«CAFÉ»" holds "ɻ").
constexpr double kGlued = 24;

bool gluedToWord(char32_t before, char32_t c, char32_t after)
{
    const Likeness& likeness = Likeness::instance();
    return likeness.strangeLetter(c) && (likeness.westernLetter(before) || likeness.westernLetter(after));
}

// Whether 8-bit characters between the characters before and after them
// break a word with a sign: one that is neither a letter, an apostrophe nor
// a dash, inside a word ("Parisâ†’Rome", "Ma–¥rid"). The 8-bit text that
// makes valid UTF-8 by chance sets a mark against a letter ("L’École",
// "JOSÉ’S", "Fuß–Tango"), seldom a sign within a word: such a reading costs
// as a strange letter glued to a word does.
bool breaksWord(QChar before, const QString& middle, QChar after)
{
    const auto breaks = [](QChar c) {
        return !c.isLetter() && !c.isMark() && c != u'\'' && c != u'’' && c != u'‘' && c != u'–' && c != u'—'
            && c != u'-';
    };
    return before.isLetter() && after.isLetter() && std::any_of(middle.cbegin(), middle.cend(), breaks);
}

// Whether a foreign character, between the characters before and after it
// (0 where none is), may be 8-bit text's bytes in a file that is valid
// UTF-8 throughout. Where 8-bit text makes a valid sequence by chance, a
// mark meets a letter, and the character stands inside a word, between two
// Western letters ("L’École" holds "Ճ", "JOSÉ’S" holds "ɒ"), or is a
// strange letter that opens one ("«Ça" holds "ǂ", Albanian "Ç’kemi" holds
// "ǒ"). A character that stands alone ("/Ж.mp3") or ends a word ("Wǒ"), or
// a letter or accent that a living language writes after a letter ("Hồng",
// pinyin "Xiǎomíng", an accent composed after its letter), is the writer's
// own.
bool mayBeBytes(char32_t before, char32_t c, char32_t after)
{
    const Likeness& likeness = Likeness::instance();
    return likeness.westernLetter(after)
        && (likeness.westernLetter(before) ? !likeness.writtenAfterLetter(c) : likeness.strangeLetter(c));
}

// Whether a foreign character after the character before it is a letter or
// mark that living languages write there, after a Latin letter ("Trương",
// pinyin "Wǒ", "Xiǎomíng"): the writer's own in any file. 8-bit text makes
// such a character where a capital meets a mark ("Ç’" of Windows-1252) or a
// mark meets a letter ("«é" of Mac OS Roman), which seldom follows a letter
// within a word; at a word's start (Albanian "Ç’kemi") it is weighed.
bool writtenAfterLetter(char32_t before, char32_t c)
{
    const Likeness& likeness = Likeness::instance();
    return likeness.westernLetter(before) && likeness.writtenAfterLetter(c);
}

// Whether the bytes of a valid UTF-8 sequence, the character c, read
// likelier as 8-bit text than as c where they stand, by more than margin,
// between what was read before them (before[from, end)) and the pieces after
// them (after[next, to)), in either 8-bit encoding. An 8-bit text makes
// valid sequences only by chance ("“Ärger”" in Mac OS Roman holds the bytes
// of "Ҁ", "’é" those of "Վ"), and those give letters of another script amid
// Latin ones, Latin letters that no living language writes, or controls; a
// UTF-8 character from another script is likelier than the 8-bit signs and
// letters its bytes make ("Trương" as Windows-1252 is "TrÆ°Æ¡ng").
bool bytesLikelier(const Piece& c, QByteArrayView sequence, const std::vector<Piece>& before,
                   const std::vector<Piece>& after, size_t from, size_t next, size_t to, double margin)
{
    std::vector<Piece> bytes;
    for (const char byte : sequence)
        bytes.push_back({static_cast<unsigned char>(byte), true});
    const auto isStray = [](const Piece& piece) { return piece.stray; };
    const bool strayAround = std::any_of(before.cbegin() + qsizetype(from), before.cend(), isStray)
        || std::any_of(after.cbegin() + qsizetype(next), after.cbegin() + qsizetype(to), isStray);
    const QString character = decoding({c}, macRoman).text;
    std::vector<QString> middles = {character};
    for (char16_t (*eightBit)(unsigned char) : {macRoman, windows1252}) {
        const QString asBytes = decoding(bytes, eightBit).text;
        if (!asBytes.contains(QChar(kUndefined)))
            middles.push_back(asBytes);
        // Where the text around reads the same in both encodings, both
        // readings of the bytes are weighed at once.
        if (eightBit == macRoman && !strayAround)
            continue;
        const QString left = decoding(before, eightBit, from).text;
        const QString right = decoding(after, eightBit, next, to).text;
        std::vector<double> costs = Likeness::instance().costs(left, middles, right);
        const QChar leftEnd = left.isEmpty() ? QChar(u'\n') : left.back();
        const QChar rightEnd = right.isEmpty() ? QChar(u'\n') : right.front();
        for (size_t m = 0; m < middles.size(); ++m) {
            costs[m] += kUnpaired * unpaired(left + middles[m] + right) + (m > 0 ? margin : 0)
                + (m > 0 && breaksWord(leftEnd, middles[m], rightEnd) ? kGlued : 0);
        }
        if (gluedToWord(left.isEmpty() ? 0 : left.back().unicode(), c.c, right.isEmpty() ? 0 : right.front().unicode()))
            costs.front() += kGlued;
        if (std::any_of(costs.cbegin() + 1, costs.cend(), [&](double cost) { return cost < costs.front(); }))
            return true;
        middles.resize(1);
    }
    return false;
}

// Whether the bytes of a valid UTF-8 sequence read likelier as 8-bit text
// (bytesLikelier), up to kAround pieces on either side within the value. A
// file's sequences often stand again amid the same text (a note on every
// track line): each weighing is kept, by the pieces around the sequence.
using Weighings = std::unordered_map<std::u32string, bool>;

bool isBreakPiece(const Piece& piece)
{
    return !piece.stray && piece.c < 0x80 && isBreak(QChar(char16_t(piece.c)));
}

bool readsAsBytes(const Piece& c, QByteArrayView sequence, const std::vector<Piece>& before,
                  const std::vector<Piece>& after, size_t next, double margin, Weighings& weighings)
{
    size_t from = before.size();
    while (from > 0 && before.size() - from < kAround && !isBreakPiece(before[from - 1]))
        --from;
    size_t to = next;
    while (to < after.size() && to - next < kAround && !isBreakPiece(after[to]))
        ++to;
    // The pieces, a stray byte's with its top bit set, and the sequence
    // between two of all bits set.
    std::u32string key;
    key.reserve(before.size() - from + to - next + 3);
    const auto append = [&key](const Piece& piece) { key += piece.stray ? piece.c | 0x80000000 : piece.c; };
    std::for_each(before.cbegin() + qsizetype(from), before.cend(), append);
    key += char32_t(0xFFFFFFFF);
    key += c.c;
    key += char32_t(0xFFFFFFFF);
    std::for_each(after.cbegin() + qsizetype(next), after.cbegin() + qsizetype(to), append);
    const auto weighed = weighings.find(key);
    if (weighed != weighings.cend())
        return weighed->second;
    const bool asBytes = bytesLikelier(c, sequence, before, after, from, next, to, margin);
    weighings.emplace(std::move(key), asBytes);
    return asBytes;
}

// Whether a valid UTF-8 sequence's character could be 8-bit text's bytes:
// one that Western writing does not hold. The bytes of a Western letter or
// sign, or of a control (U+0080 to U+009F), read as 8-bit text are signs no
// writing sets so ("Ã©", "‚Äô", "Â”").
bool foreign(char32_t c) { return c >= 0xA0 && !Likeness::instance().western(c); }

// The lines of a text that decodes whole as UTF-8 that hold a foreign
// character that may be 8-bit text's bytes where it stands (mayBeBytes),
// which piecesOf weighs, counted from 0 at each CR and each LF; every other
// character stays as it is. A block of plain characters is passed over as
// a whole.
std::vector<qsizetype> linesMayBeBytes(const QString& text)
{
    const Likeness& likeness = Likeness::instance();
    const char16_t* const units = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype size = text.size();
    std::vector<qsizetype> lines;
    qsizetype line = 0;
    qsizetype counted = 0;   // where the line count stands
    constexpr qsizetype kBlock = 64;
    for (qsizetype block = 0; block < size; block += kBlock) {
        const qsizetype blockEnd = std::min(size, block + kBlock);
        char16_t most = 0;
        if (blockEnd - block == kBlock) {
            for (qsizetype k = 0; k < kBlock; ++k)
                most = std::max(most, units[block + k]);
        } else {
            most = *std::max_element(units + block, units + blockEnd);
        }
        if (most < 0xA0)
            continue;
        for (qsizetype k = block; k < blockEnd; ++k) {
            const char16_t unit = units[k];
            if (unit < 0xA0 || (!QChar::isSurrogate(unit) && likeness.western(unit)))
                continue;
            const bool pair = QChar::isHighSurrogate(unit);
            const qsizetype after = k + (pair ? 2 : 1);
            if (!mayBeBytes(k > 0 ? units[k - 1] : 0, pair ? QChar::surrogateToUcs4(unit, units[k + 1]) : unit,
                            after < size ? units[after] : 0))
                continue;
            line += std::count_if(units + counted, units + k, [](char16_t c) { return c == u'\n' || c == u'\r'; });
            counted = k;
            if (lines.empty() || lines.back() != line)
                lines.push_back(line);
        }
    }
    return lines;
}

// The bytes of a character's UTF-8 sequence (one of more than one byte).
int sequenceLength(char32_t c) { return c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// Whether two characters are of one kind: of one script, and for signs and
// numbers that all scripts share, of one block ("₂" and "₅").
bool sameKind(char32_t a, char32_t b)
{
    const QChar::Script script = QChar::script(a);
    return script == QChar::script(b) && (script > QChar::Script_Common || (a >> 7) == (b >> 7));
}

// The file's characters: ASCII bytes, valid UTF-8 sequences and stray
// bytes. A valid multi-byte sequence of a foreign character is a UTF-8
// character unless its bytes read likelier as 8-bit text where they stand
// (readsAsBytes), by more than the rest of the file, whose line end is
// given, makes UTF-8 likelier (utf8Margin); then they are stray ones, and
// the UTF-8 text around them stays as it is. In a file that is valid UTF-8
// throughout, only a character glued to a word is weighed so (mayBeBytes).
// Yet a character that the file holds elsewhere as a character, or that
// stands in a word beside another of its kind read as a character
// ("C₇H₅NO₄"), is a character wherever it stands. A file with a byte order
// mark declares itself UTF-8 whatever its bytes: each valid sequence is a
// character.
std::vector<Piece> piecesOf(const QByteArray& content, LineEnd lineEnd)
{
    std::vector<Piece> pieces;
    pieces.reserve(static_cast<size_t>(content.size()));
    const auto byteAt = [&](qsizetype k) { return static_cast<unsigned char>(content[k]); };
    const qsizetype bom = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    std::vector<qsizetype> starts;   // where each multi-byte sequence begins
    bool strays = false;
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
        strays = strays || !valid;
        pieces.push_back(valid ? Piece{c, false} : Piece{lead, true});
        k += valid ? length : 1;
    }
    if (bom > 0 || starts.empty())
        return pieces;
    const bool westernUtf8 = std::any_of(pieces.cbegin(), pieces.cend(), [](const Piece& piece) {
        return !piece.stray && piece.c >= 0x80 && !foreign(piece.c);
    });
    const double margin = utf8Margin(lineEnd, strays, westernUtf8);
    const auto mayBeBytesAt = [&](size_t k) {
        const auto at = [&](size_t j) { return j < pieces.size() && !pieces[j].stray ? pieces[j].c : 0; };
        return mayBeBytes(k > 0 ? at(k - 1) : 0, pieces[k].c, at(k + 1));
    };
    // First each foreign character by its letters, in the text read so far.
    std::vector<Piece> read;
    read.reserve(pieces.size());
    // The bytes of the sequence of c that begins at begin, each a stray one.
    const auto pushBytes = [&](qsizetype begin, char32_t c) {
        for (qsizetype j = begin; j < begin + sequenceLength(c); ++j)
            read.push_back({byteAt(j), true});
    };
    std::vector<std::pair<size_t, qsizetype>> asBytes;   // the pieces read as bytes, and where their bytes begin
    std::unordered_set<char32_t> characters;             // the foreign characters read as characters
    Weighings weighings;
    auto start = starts.cbegin();
    for (size_t k = 0; k < pieces.size(); ++k) {
        const Piece& piece = pieces[k];
        if (piece.stray || piece.c < 0x80) {
            read.push_back(piece);
            continue;
        }
        const qsizetype begin = *start++;
        // A character that the file holds as one already, or that follows
        // one of its kind, is one here too (as below): it is not weighed.
        const bool isForeign = foreign(piece.c);
        const bool known = isForeign
            && (characters.count(piece.c) > 0
                || (!read.empty() && !read.back().stray && foreign(read.back().c)
                    && sameKind(read.back().c, piece.c)));
        if (!isForeign || known || (!strays && !mayBeBytesAt(k))
            || (k > 0 && !pieces[k - 1].stray && writtenAfterLetter(pieces[k - 1].c, piece.c))
            || !readsAsBytes(piece, QByteArrayView(content).sliced(begin, sequenceLength(piece.c)), read, pieces,
                             k + 1, margin, weighings)) {
            if (isForeign)
                characters.insert(piece.c);
            read.push_back(piece);
            continue;
        }
        asBytes.push_back({k, begin});
        pushBytes(begin, piece.c);
    }
    // Then the file's own: what it holds as characters elsewhere, or beside.
    const auto readAsBytes = [&](size_t k) {
        return std::binary_search(asBytes.cbegin(), asBytes.cend(), std::pair<size_t, qsizetype>{k, 0},
                                  [](const auto& a, const auto& b) { return a.first < b.first; });
    };
    const auto besideItsKind = [&](size_t k) {
        for (const int step : {-1, 1}) {
            for (size_t j = k + step; j < pieces.size() && (j > k ? j - k : k - j) <= kAround; j += step) {
                const Piece& other = pieces[j];
                if (isBreakPiece(other) || (!other.stray && other.c == u' '))
                    break;
                if (!other.stray && foreign(other.c) && sameKind(other.c, pieces[k].c) && !readAsBytes(j))
                    return true;
            }
        }
        return false;
    };
    const auto kept = std::remove_if(asBytes.begin(), asBytes.end(), [&](const auto& sequence) {
        return characters.count(pieces[sequence.first].c) > 0 || besideItsKind(sequence.first);
    });
    if (kept == asBytes.end())
        return read;
    asBytes.erase(kept, asBytes.end());
    read.clear();
    auto bytes = asBytes.cbegin();
    for (size_t k = 0; k < pieces.size(); ++k) {
        if (bytes == asBytes.cend() || bytes->first != k) {
            read.push_back(pieces[k]);
            continue;
        }
        pushBytes(bytes->second, pieces[k].c);
        ++bytes;
    }
    return read;
}

// Whether a file that decodes whole as UTF-8 is read so, every character
// itself, by the lines of it that may say otherwise (linesMayBeBytes),
// weighed alone. Their characters weigh as they would in the whole file,
// which only adds characters it holds as such: where these lines read as
// UTF-8, so does the file, and a large file is not weighed whole for a
// word or two.
bool readAsUtf8(const QByteArray& content, const std::vector<qsizetype>& lines)
{
    if (lines.empty() || content.startsWith("\xEF\xBB\xBF"))
        return true;
    QByteArray held;
    qsizetype line = 0;
    auto wanted = lines.cbegin();
    for (qsizetype begin = 0; begin < content.size() && wanted != lines.cend(); ++line) {
        qsizetype end = begin;
        while (end < content.size() && content[end] != '\n' && content[end] != '\r')
            ++end;
        if (line == *wanted) {
            held += QByteArrayView(content).sliced(begin, end - begin);
            held += '\n';
            ++wanted;
        }
        begin = end + 1;
    }
    const std::vector<Piece> pieces = piecesOf(held, lineEndOf(content));
    return std::none_of(pieces.cbegin(), pieces.cend(), [](const Piece& piece) { return piece.stray; });
}

// What a file's line ends tell, in half bits: how much likelier they make
// its Mac OS Roman reading than its Windows-1252 one, by the line end most
// of its lines have. Bare CR only the Mac copies wrote: it tells much. CR LF
// the Windows copies wrote, and transfers from the Mac made it too: it tells
// less, the other way. LF came from transfers of either platform's files
// (and this program writes it): it tells little.
constexpr double kBareCr = 12;
constexpr double kCrLf = -3;
constexpr double kLf = -2;

double lineEndsLeaning(const QByteArray& content)
{
    const LineEnd end = lineEndOf(content);
    return end == LineEnd::Cr ? kBareCr : end == LineEnd::CrLf ? kCrLf : kLf;
}

// What a mark costs, in half bits, that stands against a word as no writing
// sets it: a dash between two letters ("Bego–a"), an opening mark after a
// letter ("Zo‘"), a closing one before a letter ("”yeme"). An em dash
// stands closed between words, an apostrophe within them.
constexpr double kMisplaced = 16;

bool isMisplaced(const QString& text, qsizetype k)
{
    const QChar c = text[k];
    const bool letterBefore = k > 0 && text[k - 1].isLetter();
    const bool letterAfter = k + 1 < text.size() && text[k + 1].isLetter();
    if (c == u'–')
        return letterBefore && letterAfter;
    if (c == u'‘' || c == u'“' || c == u'„' || c == u'‚' || c == u'«' || c == u'‹' || c == u'¿' || c == u'¡')
        return letterBefore;
    if (c == u'”' || c == u'»' || c == u'›')
        return letterAfter;
    return false;
}

// What a mark costs, in half bits, that stands against a word as writing
// seldom sets it: an apostrophe glued to a word on one side only that
// closes no quotation opened before it in its value ("Dal’", "’ie Rebane"),
// or a dash glued to a word on one side only ("Ildik— ") or to a word of
// one letter ("T—rshavn"). An apostrophe may end a word ("Jesus’", and
// always where it stands for an English g, "Dancin’"), and cut a word of
// one or two letters short at either end ("un po’", "’e"); and a
// dash may join two words ("word—word"): this costs less than a mark that
// no writing sets so.
constexpr double kStrayMark = 8;

// The costs of the marks of a text at the places given in rising order.
class StrayMarks {
public:
    explicit StrayMarks(const QString& text) : m_text(text) {}

    double cost(qsizetype k)
    {
        const QChar c = m_text[k];
        if (c != u'’' && c != u'—')
            return 0;
        const auto letterAt = [&](qsizetype j) { return j >= 0 && j < m_text.size() && m_text[j].isLetter(); };
        const bool letterBefore = letterAt(k - 1);
        const bool letterAfter = letterAt(k + 1);
        if (c == u'—')
            return letterBefore != letterAfter || (letterBefore && (!letterAt(k - 2) || !letterAt(k + 2))) ? kStrayMark
                                                                                                            : 0;
        if (letterBefore == letterAfter)
            return 0;
        // A word of one or two letters may be cut short so at either end
        // ("un po’", Maltese "ta’", Frisian "’e"), and an English word ending
        // in -ing drops its g so ("Dancin’").
        const int side = letterBefore ? -1 : 1;
        if (!letterAt(k + 2 * side) || !letterAt(k + 3 * side))
            return 0;
        const bool droppedG = k >= 2 && m_text[k - 1].toLower() == u'n' && m_text[k - 2].toLower() == u'i';
        return letterBefore && (droppedG || opened(k)) ? 0 : kStrayMark;
    }

private:
    // Whether a quotation opened before k in its value: looked for back to
    // the value's start, or to the last place asked about.
    bool opened(qsizetype k)
    {
        qsizetype j = k - 1;
        while (j >= 0 && j != m_asked && !isBreak(m_text[j]) && m_text[j] != u'‘')
            --j;
        m_opened = j >= 0 && (j == m_asked ? m_opened || m_text[j] == u'‘' : m_text[j] == u'‘');
        m_asked = k;
        return m_opened;
    }

    const QString& m_text;
    qsizetype m_asked = -1;
    bool m_opened = false;
};

// The two readings of a file's stray bytes; only the Mac OS Roman one where
// a byte that Windows-1252 leaves undefined tells that it can only be that.
struct Readings {
    Decoding mac;
    std::optional<Decoding> windows;
};

// How much costlier, in half bits, the Mac OS Roman reading's stray
// characters are than the Windows-1252 one's: as Western writing has its
// letters and signs (Likeness), by the marks each sets against a word, and
// where a stray reads as a paired mark in either, by the marks each leaves
// unpaired in its value.
double lettersLeaningOf(const Readings& readings)
{
    const Decoding& mac = readings.mac;
    const Decoding& windows = *readings.windows;
    double leaning = Likeness::instance().leaning(mac, windows);
    StrayMarks macMarks(mac.text);
    StrayMarks windowsMarks(windows.text);
    for (const qsizetype at : mac.strays)
        leaning += kMisplaced * ((isMisplaced(mac.text, at) ? 1 : 0) - (isMisplaced(windows.text, at) ? 1 : 0))
            + macMarks.cost(at) - windowsMarks.cost(at);
    qsizetype weighed = 0;   // where the last value weighed ends
    for (const qsizetype at : mac.strays) {
        if (at < weighed || !(isPairedMark(mac.text[at]) || isPairedMark(windows.text[at])))
            continue;
        qsizetype begin = at;
        while (begin > 0 && !isBreak(mac.text[begin - 1]))
            --begin;
        weighed = at;
        while (weighed < mac.text.size() && !isBreak(mac.text[weighed]))
            ++weighed;
        leaning += kUnpaired * (unpaired(QStringView(mac.text).sliced(begin, weighed - begin))
                                - unpaired(QStringView(windows.text).sliced(begin, weighed - begin)));
    }
    return leaning;
}

// The readings of a file's stray bytes; nothing where the file is UTF-8
// after all, none of its bytes stray.
std::optional<Readings> readingsOf(const QByteArray& content)
{
    const std::vector<Piece> pieces = piecesOf(content, lineEndOf(content));
    if (std::none_of(pieces.cbegin(), pieces.cend(), [](const Piece& piece) { return piece.stray; }))
        return std::nullopt;
    Readings readings{decoding(pieces, macRoman), std::nullopt};
    const bool macOnly = std::any_of(pieces.cbegin(), pieces.cend(), [](const Piece& piece) {
        return piece.stray && windows1252(static_cast<unsigned char>(piece.c)) == kUndefined;
    });
    if (!macOnly)
        readings.windows = decoding(pieces, windows1252);
    return readings;
}

} // namespace

namespace {

// Where UTF-16 or UTF-32 after its byte order mark does not decode, or
// nothing: an unpaired surrogate, a UTF-32 number that is no character (a
// surrogate's, or beyond Unicode), or a last code unit cut short. Qt's
// decoders pass the first ones through without an error, and keep the last
// for bytes to come.
std::optional<Undecodable> undecodableIn(const QByteArray& content, QStringConverter::Encoding encoding)
{
    const CodeUnits units(encoding);
    const qsizetype unit = units.bytes;
    const auto unitAt = [&](qsizetype k) -> char32_t {
        return k + unit > content.size() ? 0xFFFFFFFF   // cut short: no code point
                                         : units.at(content.constData() + k);
    };
    qsizetype line = 1;
    char32_t before = 0;
    for (qsizetype k = unit; k < content.size(); k += unit) {
        char32_t c = unitAt(k);
        if (unit == 2 && QChar::isHighSurrogate(c) && QChar::isLowSurrogate(unitAt(k + unit))) {
            c = QChar::surrogateToUcs4(char16_t(c), char16_t(unitAt(k + unit)));
            k += unit;
        }
        if (c > 0x10FFFF || QChar::isSurrogate(c))
            return Undecodable{line, unit == 4 ? QStringLiteral("UTF-32") : QStringLiteral("UTF-16")};
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
//   Western writing has them (Likeness), given what the line ends tell
//   (lineEndsLeaning); Windows-1252 when they are as likely.
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
    {
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString text = utf8.decode(content);
        if (!utf8.hasError() && readAsUtf8(content, linesMayBeBytes(text)))
            return text;
    }   // the UTF-8 reading, which failed or holds what may be 8-bit text, is let go before the others are made
    std::optional<Readings> readings = readingsOf(content);
    if (!readings)
        return QString::fromUtf8(content);
    if (!readings->windows)
        return std::move(readings->mac.text);
    const double leaning = lettersLeaningOf(*readings);
    return std::move(leaning < lineEndsLeaning(content) ? readings->mac.text : readings->windows->text);
}

std::optional<double> lettersLeaning(const QByteArray& content)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(content);
    if (!utf8.hasError() && readAsUtf8(content, linesMayBeBytes(text)))
        return std::nullopt;
    const std::optional<Readings> readings = readingsOf(content);
    if (!readings || !readings->windows)
        return std::nullopt;
    return lettersLeaningOf(*readings);
}

} // namespace SongScript
