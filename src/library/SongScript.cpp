#include "library/SongScript.h"

#include "library/ScriptText.h"

#include "framework/Format.h"
#include "tracks/CountLimits.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringConverter>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace SongScript {

namespace {

constexpr QChar kLineSeparator(0x2028);
constexpr qsizetype kNumberedValues = 4;   // count, time, beat and speed are numbers
// A song's file names the song by its first lines: title, artist and album,
// the values that tell songs apart in song set-up.
constexpr qsizetype kIdentityLines = 3;

// The database writes a number to 15 significant digits, which round the
// largest ones up past the largest the type holds: 1.7976931348623157e308
// is written "1.79769313486232e+308".
constexpr long double kLargestWritten = 1.79769313486232e308L;
constexpr double kLargest = std::numeric_limits<double>::max();

// A number as the database writes one: plain decimal digits with an
// optional sign, point and exponent, spaces around it aside; no digit
// grouping ("2,000,000"), no decimal comma, nothing infinite. Its text is
// stored as it stands, so it holds only the characters the database itself
// reads as a number: a minus sign of typography ("−5") would be stored as
// text, which reads as 0. A number past the largest only by the rounding of
// its digits is the largest of its sign.
std::optional<double> numberIn(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (!std::all_of(trimmed.begin(), trimmed.end(), [](QChar c) {
            return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.' || c == u'e' || c == u'E';
        }))
        return std::nullopt;
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double number = c.toDouble(trimmed, &ok);
    if (ok && std::isfinite(number))
        return number;
    if (!std::isinf(number))
        return std::nullopt;
    // Overflowed: read again in a wider type.
    const QByteArray digits = trimmed.toLatin1();
    const char* first = digits.constData() + (digits.startsWith('+') ? 1 : 0);
    const char* last = digits.constData() + digits.size();
    long double wide = 0;
    const std::from_chars_result read = std::from_chars(first, last, wide);
    if (read.ec != std::errc() || read.ptr != last || std::fabs(wide) > kLargestWritten)
        return std::nullopt;
    return std::copysign(kLargest, number);
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
        return holds(lineNumber, QStringLiteral("time"), part(1),
                     QStringLiteral("a time must be a number of seconds within 24 hours of the start of the song."));
    const std::optional<double> beat = numberIn(part(2));
    if (!beat || !CountLimits::isBeat(*beat))
        return holds(lineNumber, QStringLiteral("beat"), part(2), QStringLiteral("a beat must be a whole number from 1 to 8."));
    const std::optional<double> speed = numberIn(part(3));
    if (!speed || !CountLimits::isSpeed(*speed))
        return holds(lineNumber, QStringLiteral("speed"), part(3),
                     QStringLiteral("a speed must be from %1 to %2 beats per minute.")
                         .arg(fw::Format(CountLimits::kSlowestSpeed, QStringLiteral("0.00")),
                              fw::Format(CountLimits::kFastestSpeed, QStringLiteral("###,###"))));
    return QString();
}

// A test start or end as the song's row stores it: any number the database
// writes, or nothing, which stores 0, as the song information form stores
// an empty field. Neither their order nor a range is asked for: the form
// stores whatever is typed, and so do older copies' forms, whose files hold
// such songs. The text to store, or nothing when the value is neither.
// (Only both are ever missing: the database writes a number for each.)
std::optional<QString> testTimeIn(QStringView value)
{
    const QStringView trimmed = value.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("0");
    // An infinite number is written "Inf" or "-Inf", which the database
    // reads back as text: it is given a number past the largest instead,
    // which it reads as infinite.
    if (trimmed == u"Inf" || trimmed == u"-Inf")
        return trimmed.startsWith(u'-') ? QStringLiteral("-9e999") : QStringLiteral("9e999");
    const std::optional<double> number = numberIn(trimmed);
    if (!number)
        return std::nullopt;
    // The database reads the largest number's 15 digits as infinite too:
    // it is given the 17 that read back as the largest.
    if (std::fabs(*number) == kLargest)
        return QString::number(*number, 'g', 17);
    return trimmed.toString();
}

// What is wrong with a test start and end read from lines n and n + 1, or
// nothing.
QString testSectionProblem(qsizetype n, QStringView start, QStringView end)
{
    const QString must = QStringLiteral("it must be a number of seconds, or nothing.");
    if (!testTimeIn(start))
        return holds(n, QStringLiteral("test start"), start, must);
    if (!testTimeIn(end))
        return holds(n + 1, QStringLiteral("test end"), end, must);
    const bool noStart = start.trimmed().isEmpty();
    if (noStart != end.trimmed().isEmpty())
        return QStringLiteral("Line %1 of the file holds no test %2 while line %3 holds a test %4: a test section "
                              "needs both its start and its end, or neither.")
            .arg(noStart ? n : n + 1)
            .arg(noStart ? QStringLiteral("start") : QStringLiteral("end"))
            .arg(noStart ? n + 1 : n)
            .arg(noStart ? QStringLiteral("end") : QStringLiteral("start"));
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
    return notASongScript(QStringLiteral("at %1 MB it is larger than any song-script, which takes %2 MB at most.")
                              .arg(QString::number(bytes / (1024.0 * 1024.0), 'f', 1))
                              .arg(kMaxFileBytes / (1024 * 1024)));
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

// Lines 1 to 11 as the file holds them.
QByteArray songLines(const QStringList& values)
{
    // A reader drops a U+FEFF at the start of the file as a byte order mark:
    // a title that begins with one is written after a mark of its own.
    QString lines = values.value(0).startsWith(QChar(0xFEFF)) ? QString(QChar(0xFEFF)) : QString();
    for (const QString& value : values)
        lines += lineValue(value) + QLatin1Char('\n');
    return lines.toUtf8();
}

// A track line as the file holds it; *changedTabs is set when a TAB inside
// a value was made a space.
QByteArray trackLine(const QStringList& values, bool* changedTabs)
{
    // Every reader splits a track line at each TAB, so a TAB inside a value
    // would move the values after it into the wrong columns.
    QString line;
    for (const QString& value : values) {
        QString encoded = lineValue(value);
        if (encoded.contains(QLatin1Char('\t'))) {
            encoded.replace(QLatin1Char('\t'), QLatin1Char(' '));
            *changedTabs = true;
        }
        line += encoded + QLatin1Char('\t');
    }
    return (line + QLatin1Char('\n')).toUtf8();
}

// A track line whose count, time, beat and speed the track can hold.
bool isWholeTrackLine(QStringView line)
{
    const QList<QStringView> parts = line.split(u'\t');
    return parts.size() >= 3 && trackValueProblem(0, parts).isEmpty();
}

// The song's values from its first lines, where an older copy may have
// written the line breaks of the notes (line 7) and the install notes
// (line 10), the two values that can hold one, as they were, so that the
// song takes more lines than eleven. Each way of giving those extra lines
// to the two values puts the test start and end on other lines; exactly
// one way must give a test start and end (testSectionProblem), else the
// file is refused, for no one can tell which value a line belongs to.
struct SongLines {
    QStringList values;
    QString notice;    // what the user is told of a song read back from more lines
    QString problem;
    size_t end = 0;    // where the song's lines end
};

constexpr qsizetype kNotes = 6;
constexpr qsizetype kTestStart = 7;
constexpr qsizetype kInstall = 9;
constexpr size_t kSongLines = 11;   // kSongColumns' lines

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

// One word that names a web page: "https://example.org/cd", "www.example.org".
bool isWebAddress(QStringView line)
{
    const QStringView word = line.trimmed();
    if (word.isEmpty() || std::any_of(word.begin(), word.end(), [](QChar c) { return c.isSpace(); }))
        return false;
    const qsizetype scheme = word.indexOf(QLatin1String("://"));
    return (scheme > 0 && std::all_of(word.begin(), word.begin() + scheme, [](QChar c) { return c.isLetter(); }))
        || word.startsWith(QLatin1String("www."), Qt::CaseInsensitive);
}

// Where the song's lines may end, given the first line of the track and
// the lines up to the last that is not blank ("filled"). A file without a
// track ends its song with its last filled line, the install link, unless
// blank lines follow it. Older copies and this program end every line, so
// a song whose link is empty ends its file with an empty line, the link's,
// and where its install notes are empty too, with two; further blank lines
// are an editor's. A file of fewer filled lines than eleven has its last
// values empty.
std::vector<size_t> songEnds(size_t trackStart, size_t filled, size_t lineCount)
{
    if (trackStart < filled)
        return {trackStart};
    if (filled == lineCount)
        return {filled};
    std::vector<size_t> ends;
    if (filled >= kSongLines)
        ends.push_back(filled);
    for (size_t blanks = 1; blanks <= 2; ++blanks) {
        const size_t end = std::max(filled + blanks, kSongLines);
        if (end <= lineCount && std::find(ends.cbegin(), ends.cend(), end) == ends.cend())
            ends.push_back(end);
    }
    return ends;
}

SongLines songValues(const std::vector<QStringView>& lines, const std::vector<size_t>& ends, size_t filled)
{
    SongLines song;
    const auto line = [&](qsizetype k) { return lines[static_cast<size_t>(k)]; };
    struct Fit {
        size_t end;
        qsizetype inNotes;   // lines given to the notes beyond their first
    };
    std::vector<Fit> fits;
    for (const size_t end : ends) {
        const auto extra = static_cast<qsizetype>(end - kSongLines);
        for (qsizetype inNotes = 0; inNotes <= extra; ++inNotes) {
            // A value over several lines never ends with a blank line from
            // the end of the file.
            const bool notesIntoTail = inNotes > 0 && static_cast<size_t>(kNotes + inNotes) >= filled;
            const bool installIntoTail = inNotes < extra && end - 2 >= filled;
            const qsizetype start = kTestStart + inNotes;
            if (!notesIntoTail && !installIntoTail
                && testSectionProblem(start + 1, line(start), line(start + 1)).isEmpty())
                fits.push_back({end, inNotes});
        }
    }
    // Readings with the same test section that differ in where the song
    // ends differ only in the last filled line: the link, the blank lines
    // after it an editor's, or the install notes' last line, the first blank
    // line after it the empty link's. The first blank line is taken for the
    // empty link's, as older copies wrote it, unless that line is a web
    // address standing alone: the install link holds a link, and install
    // notes hardly ever end in one.
    if (fits.size() > 1 && std::all_of(fits.cbegin(), fits.cend(),
                                       [&](const Fit& fit) { return fit.inNotes == fits.front().inNotes; })) {
        const size_t preferred = isWebAddress(lines[filled - 1]) ? filled : filled + 1;
        if (std::any_of(fits.cbegin(), fits.cend(), [&](const Fit& fit) { return fit.end == preferred; }))
            std::erase_if(fits, [&](const Fit& fit) { return fit.end != preferred; });
    }
    // No reading fits: where the song could take its eleven lines, what is
    // wrong with them is told, line by line.
    if (fits.empty() && std::find(ends.cbegin(), ends.cend(), kSongLines) != ends.cend()) {
        song.problem = testSectionProblem(kTestStart + 1, line(kTestStart), line(kTestStart + 1));
        return song;
    }
    if (fits.size() != 1) {
        size_t last = 0;   // the song's last line in the readings told of
        for (const size_t end : ends)
            last = std::max(last, end);
        if (!fits.empty()) {
            last = 0;
            for (const Fit& fit : fits)
                last = std::max(last, fit.end);
        }
        song.problem = (fits.empty()
                            ? QStringLiteral("%1 of the file cannot be read as the song's notes, test start and end, "
                                             "install notes and install link: no way of reading their line breaks "
                                             "gives a test start and end.")
                            : QStringLiteral("%1 of the file can be read as the song's notes, test start and end, "
                                             "install notes and install link in more than one way: it is not clear "
                                             "which lines hold the test start and end."))
                           .arg(linesFromTo(kNotes + 1, static_cast<qsizetype>(last)));
        song.problem[0] = song.problem[0].toUpper();
        return song;
    }
    song.end = fits.front().end;
    const qsizetype inNotes = fits.front().inNotes;
    const auto extra = static_cast<qsizetype>(song.end - kSongLines);
    const qsizetype inInstall = extra - inNotes;
    for (qsizetype k = 0; k < kNotes; ++k)
        song.values << decoded(line(k));
    song.values << joined(lines, kNotes, inNotes + 1);
    for (qsizetype k = kTestStart; k < kInstall; ++k)
        song.values << testTimeIn(line(k + inNotes)).value();
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

// The lines of a file as linesOf makes them of its text, counted over its
// bytes in pieces without decoding them: in code units of the encoding its
// byte order mark declares (one byte in UTF-8 and 8-bit text, where no
// other byte is CR or LF), a unit begins a line where it stands first or
// after a line's end, but for the LF of a CR LF.
class LineCount {
public:
    explicit LineCount(const QByteArray& start) : m_units(QStringConverter::encodingForData(start)) {}
    void feed(QByteArrayView bytes)
    {
        m_partial += bytes;
        const qsizetype unit = m_units.bytes;
        qsizetype k = 0;
        for (; k + unit <= m_partial.size(); k += unit) {
            const char32_t c = m_units.at(m_partial.constData() + k);
            if (c == u'\n' && m_afterCr) {
                m_afterCr = false;
                continue;
            }
            m_lines += m_afterEnd ? 1 : 0;
            m_afterCr = c == u'\r';
            m_afterEnd = c == u'\r' || c == u'\n';
            if (m_afterEnd && ++m_ends == kIdentityLines)
                m_identityEnd = m_offset + k + unit;
        }
        m_offset += k;
        m_partial.remove(0, k);
    }
    qsizetype lines() const { return m_lines; }
    // The bytes up to the end of the song's identity lines; -1 while unread.
    qint64 identityEnd() const { return m_identityEnd; }

private:
    CodeUnits m_units;
    QByteArray m_partial;   // the bytes of a code unit not yet whole
    qint64 m_offset = 0;    // the bytes counted before it
    qsizetype m_lines = 0;
    qsizetype m_ends = 0;
    qint64 m_identityEnd = -1;
    bool m_afterEnd = true;
    bool m_afterCr = false;
};

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
    // The bytes the file holds, and one more: a file that grew since its
    // size was read is read on, but no further than past the largest size.
    QByteArray content(std::min(info.size(), kMaxFileBytes) + 1, Qt::Uninitialized);
    content.truncate(std::max<qint64>(file.read(content.data(), content.size()), 0));
    if (content.size() > info.size())
        content += file.read(kMaxFileBytes + 1 - content.size());
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

// The line end of a file, in its encoding: the bytes that, repeated after
// its end, leave it reading as it does, blank lines after its own. A
// file without one takes LF, as the writer writes.
QByteArray ownLineEnd(const QString& posixPath)
{
    QFile file(posixPath);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(64 * 1024) : QByteArray();
    // UTF-16 and UTF-32 as their byte order mark declares; in UTF-8 and
    // 8-bit text CR and LF are bytes of their own.
    const QStringConverter::Encoding encoding
        = QStringConverter::encodingForData(head).value_or(QStringConverter::Latin1);
    const QString text = QStringDecoder(encoding)(head);
    QString lineEnd = QStringLiteral("\n");
    for (qsizetype k = 0; k + 1 < text.size(); ++k) {
        if (text[k] == u'\r')
            lineEnd = text[k + 1] == u'\n' ? QStringLiteral("\r\n") : QStringLiteral("\r");
        if (text[k] == u'\r' || text[k] == u'\n')
            break;
    }
    return QStringEncoder(encoding)(lineEnd);
}

} // namespace

// ---- writing ---------------------------------------------------------------

bool Writer::create(const QString& posixPath)
{
    m_changedTabs = false;
    // Where the earlier file is written over, and the disk takes room only
    // by writing, its own line ends pad it: blank lines, which leave it
    // reading as it did if the run ends there.
    return m_file.open(posixPath, ownLineEnd);
}

void Writer::writeSong(const QStringList& values)
{
    m_file.write(songLines(values));
}

void Writer::writeTrackRow(const QStringList& values)
{
    m_file.write(trackLine(values, &m_changedTabs));
}

bool Writer::close()
{
    return m_file.commit();
}

qint64 Writer::songBytes(const QStringList& values)
{
    return songLines(values).size();
}

qint64 Writer::trackRowBytes(const QStringList& values)
{
    bool changedTabs = false;
    return trackLine(values, &changedTabs).size();
}

// ---- reading ---------------------------------------------------------------

QStringList Script::trackRow(size_t k) const
{
    const QList<QStringView> parts = m_trackLines[k].split(u'\t');
    QStringList values;
    for (qsizetype v = 0; v < kTrackColumns.size(); ++v) {
        // What follows the seventh value is ignored; missing values are empty.
        const QStringView part = v < parts.size() ? parts[v] : QStringView();
        values << (v < kNumberedValues ? part.trimmed().toString() : decoded(part));
    }
    return values;
}

Reading parse(QByteArray content)
{
    Reading reading;
    Undecodable undecodable;
    std::optional<QString> text = textOf(content, &undecodable);
    // The bytes are let go once read as text: a large file is not held twice.
    content = QByteArray();
    if (undecodable.line > 0) {
        reading.problem = notASongScript(
            QStringLiteral("line %1 is not valid %2.").arg(undecodable.line).arg(undecodable.encoding));
        return reading;
    }
    if (!text || text->contains(QChar(0))) {
        reading.problem = notASongScript(QStringLiteral("it holds binary data, not text."));
        return reading;
    }
    std::vector<QStringView> lines = linesOf(*text);
    if (lines.size() < kSongLines) {
        reading.problem = notASongScript(QStringLiteral("it has fewer than %1 lines.").arg(kSongColumns.size()));
        return reading;
    }
    // The lines up to the last that is not blank; the blank lines after it
    // hold nothing, be they empty values of a song without a track
    // (songEnds) or an editor's after the track.
    size_t filled = lines.size();
    while (filled > 0 && lines[filled - 1].trimmed().isEmpty())
        --filled;
    for (size_t k = filled; k < lines.size(); ++k)
        lines[k] = QStringView();
    // The song's lines end where the track begins, or as songEnds says for
    // a file without one. A line of notes that looks like a track line's
    // start ends them too early; that shows when no reading fits: then they
    // end at the first whole track line, or as in a file without a track,
    // when a reading fits there.
    size_t trackStart = kSongLines;
    while (trackStart < filled && !beginsTrack(lines[trackStart]))
        ++trackStart;
    SongLines found = songValues(lines, songEnds(trackStart, filled, lines.size()), filled);
    if (!found.problem.isEmpty()) {
        size_t wholeStart = trackStart;
        while (wholeStart < filled && !isWholeTrackLine(lines[wholeStart]))
            ++wholeStart;
        SongLines later = wholeStart > trackStart
            ? songValues(lines, songEnds(wholeStart, filled, lines.size()), filled) : SongLines();
        if (wholeStart == trackStart || !later.problem.isEmpty()) {
            reading.problem = found.problem;
            return reading;
        }
        found = std::move(later);
    }
    Script script;
    script.song = found.values;
    reading.notice = found.notice;
    for (size_t k = found.end; k < filled; ++k) {
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
        script.m_trackLines.push_back(lines[k]);
    }
    // Moved, the text keeps its characters where the lines see them.
    script.m_text = std::move(*text);
    reading.script = std::move(script);
    return reading;
}

Reading read(const QString& posixPath)
{
    Reading reading;
    std::optional<QByteArray> content = contentOf(posixPath, &reading.problem);
    return content ? parse(std::move(*content)) : reading;
}

QStringList identityOf(const QStringList& song)
{
    QStringList identity;
    for (qsizetype k = 0; k < kIdentityLines; ++k)
        identity << lineValue(song.value(k));
    return identity;
}

std::optional<QStringList> identityIn(const QString& posixPath)
{
    QFile file(posixPath);
    if (!QFileInfo(posixPath).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The bytes up to the end of the identity lines, read in pieces: in the
    // file each line takes what its encoding and line end make of it.
    constexpr qint64 kChunkBytes = 64 * 1024;
    QByteArray head = file.read(kChunkBytes);
    LineCount count(head);
    count.feed(head);
    while (count.identityEnd() < 0 && head.size() <= kMaxFileBytes) {
        const QByteArray chunk = file.read(kChunkBytes);
        if (chunk.isEmpty())
            return std::nullopt;
        head += chunk;
        count.feed(chunk);
    }
    if (count.identityEnd() < 0)
        return std::nullopt;
    head.truncate(count.identityEnd());
    const std::optional<QString> text = textOf(head);
    if (!text || text->contains(QChar(0)))
        return std::nullopt;
    const std::vector<QStringView> lines = linesOf(*text);
    if (lines.size() < static_cast<size_t>(kIdentityLines))
        return std::nullopt;
    // A file of a song's first lines alone is not an export: the file goes
    // on to the eleventh line, whose values are read no further.
    while (count.lines() < qsizetype(kSongLines) && !file.atEnd()) {
        const QByteArray chunk = file.read(kChunkBytes);
        if (chunk.isEmpty())
            return std::nullopt;
        count.feed(chunk);
    }
    if (count.lines() < qsizetype(kSongLines))
        return std::nullopt;
    QStringList identity;
    for (qsizetype k = 0; k < kIdentityLines; ++k)
        identity << lines[static_cast<size_t>(k)].toString();
    return identity;
}

} // namespace SongScript
