#include "library/SongScript.h"

#include <QLocale>
#include <QStringDecoder>
#include <cmath>

namespace SongScript {

namespace {

constexpr QChar kLineSeparator(0x2028);
constexpr qsizetype kNumberedValues = 3;   // count, time and beat must read as numbers

bool readsAsNumber(const QString& text)
{
    bool ok = false;
    const double number = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(number);
}

QString notATrackLine(int lineNumber)
{
    return QStringLiteral("Line %1 of the file is not a track line: "
                          "it must begin with a count, a time and a beat.")
        .arg(lineNumber);
}

// The file's lines without their ends; a break after the last line starts
// no line of its own.
QStringList linesOf(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

QStringList decoded(QStringList values)
{
    for (QString& value : values)
        value = decodeValue(value);
    return values;
}

} // namespace

QString encodeValue(const QString& value)
{
    QString encoded = value;
    encoded.replace(QLatin1String("\r\n"), QString(kLineSeparator));
    encoded.replace(QLatin1Char('\r'), kLineSeparator);
    encoded.replace(QLatin1Char('\n'), kLineSeparator);
    encoded.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return encoded;
}

QString decodeValue(const QString& value)
{
    QString decoded = value;
    decoded.replace(kLineSeparator, QLatin1Char('\n'));
    return decoded;
}

// ---- writing ---------------------------------------------------------------

bool Writer::create(const QString& posixPath)
{
    m_file.setFileName(posixPath);
    m_failed = false;
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void Writer::writeSong(const QStringList& values)
{
    for (const QString& value : values)
        writeLine(encodeValue(value));
}

void Writer::writeTrackRow(const QStringList& values)
{
    QString line;
    for (const QString& value : values)
        line += encodeValue(value) + QLatin1Char('\t');
    writeLine(line);
}

bool Writer::close()
{
    if (!m_file.isOpen())
        return false;
    const bool flushed = m_file.flush();
    m_file.close();
    return flushed && !m_failed;
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
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(content);
    if (content.contains('\0') || utf8.hasError()) {
        reading.problem = QStringLiteral("This file is not a song-script file: it does not hold text.");
        return reading;
    }
    const QStringList lines = linesOf(text);
    if (lines.size() < kSongColumns.size()) {
        reading.problem = QStringLiteral("This file is not a song-script file: it has fewer than %1 lines.")
                              .arg(kSongColumns.size());
        return reading;
    }
    Script script;
    script.song = decoded(lines.mid(0, kSongColumns.size()));
    for (qsizetype k = kSongColumns.size(); k < lines.size(); ++k) {
        if (lines[k].isEmpty())
            continue;
        QStringList values = lines[k].split(QLatin1Char('\t'));
        values.resize(std::max(values.size(), kTrackColumns.size()));
        for (qsizetype v = 0; v < kNumberedValues; ++v) {
            if (!readsAsNumber(values[v])) {
                reading.problem = notATrackLine(static_cast<int>(k + 1));
                return reading;
            }
        }
        values.resize(kTrackColumns.size());   // what follows the seventh value is ignored
        script.track.push_back(decoded(values));
    }
    reading.script = std::move(script);
    return reading;
}

Reading read(const QString& posixPath)
{
    QFile file(posixPath);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray content = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return parse(content);
    }
    Reading reading;
    reading.problem = QStringLiteral("Couldn't read the file.");
    return reading;
}

} // namespace SongScript
