#include "library/SongScript.h"

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
constexpr qsizetype kNumberedValues = 3;   // count, time and beat must read as numbers
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

bool readsAsNumber(QStringView text)
{
    bool ok = false;
    const double number = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(number);
}

QString notATrackLine(qsizetype lineNumber)
{
    return QStringLiteral("Line %1 of the file is not a track line: "
                          "it must begin with a count, a time and a beat.")
        .arg(lineNumber);
}

// The song's lines that hold numbers: the test section's start and end, in
// seconds. A line break that an older copy wrote inside an earlier value
// moves text into them, which this check catches.
struct NumberLine {
    qsizetype index;
    const char* what;
};
const std::array<NumberLine, 2> kNumberLines = {{
    {kSongColumns.indexOf(QStringLiteral("TestStart")), "a test start"},
    {kSongColumns.indexOf(QStringLiteral("TestEnd")), "a test end"},
}};

QString notANumberLine(qsizetype lineNumber, const char* what)
{
    return QStringLiteral("Line %1 of the file is not %2: it must be a number of seconds.")
        .arg(lineNumber)
        .arg(QLatin1String(what));
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

bool definedInWindows1252(const QByteArray& content)
{
    return std::none_of(content.cbegin(), content.cend(),
                        [](char byte) { return windows1252(static_cast<unsigned char>(byte)) == kUndefined; });
}

QString eightBitText(const QByteArray& content, char16_t (*decode)(unsigned char))
{
    QString text(content.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : content)
        *out++ = QChar(decode(static_cast<unsigned char>(byte)));
    return text;
}

// The accented letters of Western languages, which both 8-bit encodings
// carry at different bytes.
bool isAccentedLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0xC0 && u <= 0xFF && u != 0xD7 && u != 0xF7) || u == 0x152 || u == 0x153 || u == 0x160
        || u == 0x161 || u == 0x178 || u == 0x17D || u == 0x17E;
}

// How much the characters that the file's 8-bit bytes give in one encoding
// look like written words: an accented small letter, a capital that begins
// a word (or stands in a word of capitals) and a quote mark that opens or
// closes a word count for it; a capital inside a word of small letters
// ("CafÈ", "DÈj‡"), a small letter run into a capital and a sign inside a
// word ("Fu§ball") count against it. Read in the wrong encoding, the
// letters of a text turn into exactly these.
int wordScore(const QByteArray& content, const QString& text)
{
    const auto at = [&](qsizetype k) { return k >= 0 && k < text.size() ? text[k] : QChar(u' '); };
    int score = 0;
    for (qsizetype k = 0; k < content.size(); ++k) {
        if (static_cast<unsigned char>(content[k]) < 0x80)
            continue;
        const QChar c = text[k];
        const QChar before = at(k - 1);
        const QChar after = at(k + 1);
        if (isAccentedLetter(c)) {
            if (c.isLower())
                score += after.isUpper() ? -1 : 1;
            else
                score += before.isLetter() && (before.isLower() || after.isLower()) ? -1 : 1;
        } else if (c == u'\u2018' || c == u'\u201A' || c == u'\u201C' || c == u'\u201E') {
            score += !before.isLetterOrNumber() && after.isLetterOrNumber() ? 1 : 0;
        } else if (c == u'\u2019' || c == u'\u201D') {
            score += before.isLetterOrNumber() || before.isPunct() ? 1 : 0;
        } else if (c != u'\u2013' && c != u'\u2014' && c != u'\u2026') {
            score -= before.isLetter() && after.isLetter() ? 1 : 0;
        }
    }
    return score;
}

// UTF-8, with or without a byte order mark, as this program writes it.
// Older copies of the program wrote 8-bit text: on the Mac in Mac OS Roman
// with lines ending in CR, on Windows in Windows-1252 with lines ending in
// CR LF. Any byte sequence is valid in both, so the file tells which:
// - a byte that Windows-1252 leaves undefined can only be Mac OS Roman;
// - else line ends all of one kind name the copy that wrote them;
// - else (line ends mixed, only LF, or none) the encoding whose letters read
//   more like words (wordScore) is taken, and Mac OS Roman when neither
//   does, as the program always read such files.
QString textOf(const QByteArray& content)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(content);
    if (!utf8.hasError())
        return text;
    if (!definedInWindows1252(content))
        return eightBitText(content, macRoman);
    const qsizetype crlf = content.count("\r\n");
    const qsizetype cr = content.count('\r') - crlf;
    const qsizetype lf = content.count('\n') - crlf;
    if (crlf > 0 && cr == 0 && lf == 0)
        return eightBitText(content, windows1252);
    if (cr > 0 && crlf == 0 && lf == 0)
        return eightBitText(content, macRoman);
    QString mac = eightBitText(content, macRoman);
    QString windows = eightBitText(content, windows1252);
    return wordScore(content, windows) > wordScore(content, mac) ? windows : mac;
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
    if (content.contains('\0')) {
        reading.problem = notASongScript(QStringLiteral("it holds binary data, not text."));
        return reading;
    }
    const QString text = textOf(content);
    const std::vector<QStringView> lines = linesOf(text);
    const auto songLines = static_cast<size_t>(kSongColumns.size());
    if (lines.size() < songLines) {
        reading.problem = notASongScript(QStringLiteral("it has fewer than %1 lines.").arg(kSongColumns.size()));
        return reading;
    }
    Script script;
    for (size_t k = 0; k < songLines; ++k)
        script.song << decoded(lines[k]);
    // Files of songs without a test section hold its start and end empty:
    // they are 0, the start of a song that cannot be tested.
    for (const NumberLine& line : kNumberLines) {
        QString& value = script.song[line.index];
        value = value.trimmed();
        if (value.isEmpty()) {
            value = QStringLiteral("0");
        } else if (!readsAsNumber(value)) {
            reading.problem = notANumberLine(line.index + 1, line.what);
            return reading;
        }
    }
    for (size_t k = songLines; k < lines.size(); ++k) {
        if (lines[k].isEmpty())
            continue;
        const QList<QStringView> parts = lines[k].split(u'\t');
        QStringList values;
        for (qsizetype v = 0; v < kTrackColumns.size(); ++v) {
            // What follows the seventh value is ignored; missing values are empty.
            const QStringView part = v < parts.size() ? parts[v] : QStringView();
            if (v < kNumberedValues && !readsAsNumber(part)) {
                reading.problem = notATrackLine(static_cast<qsizetype>(k) + 1);
                return reading;
            }
            values << decoded(part);
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
    if (!content || content->contains('\0'))
        return false;
    const QString text = textOf(*content);
    const std::vector<QStringView> lines = linesOf(text);
    if (lines.size() < static_cast<size_t>(kSongColumns.size()))
        return false;
    for (qsizetype k = 0; k < kIdentityLines; ++k) {
        if (lines[static_cast<size_t>(k)] != lineValue(song.value(k)))
            return false;
    }
    return true;
}

} // namespace SongScript
