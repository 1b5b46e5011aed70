#include "framework/Format.h"

#include <QByteArray>
#include <QLocale>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

namespace fw {

namespace {

// What a picture asks for, read once from its characters.
struct Picture {
    QString prefix;         // literal characters before the number
    QString suffix;         // literal characters after it
    QChar sign;             // '-' or '+' when the picture starts with one
    int integerZeros = 0;   // the integer part has at least this many digits
    bool grouping = false;  // "," in the integer part
    int decimals = 0;       // digit characters after the point: the rounding
    int minDecimals = 0;    // position of the last "0" after the point
};

bool isDigitChar(QChar c) { return c == u'0' || c == u'#'; }
bool isFieldChar(QChar c) { return isDigitChar(c) || c == u'.' || c == u','; }
bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

Picture readPicture(const QString& text)
{
    Picture picture;
    qsizetype i = 0;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+'))
        picture.sign = text[i++];
    bool fieldStarted = false;
    bool afterPoint = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        // Only the first "." is the point; a later one is plain text.
        if (!isFieldChar(c) || (afterPoint && c == u'.')) {
            (fieldStarted ? picture.suffix : picture.prefix) += c;
            continue;
        }
        fieldStarted = true;
        if (c == u'.') {
            afterPoint = true;
        } else if (afterPoint && isDigitChar(c)) {
            ++picture.decimals;
            if (c == u'0')
                picture.minDecimals = picture.decimals;
        } else if (!afterPoint) {
            picture.integerZeros += c == u'0' ? 1 : 0;
            picture.grouping = picture.grouping || c == u',';
        }
    }
    return picture;
}

// A non-negative number as decimal digits: the integer part without leading
// zeros (empty for 0) and the fraction.
struct Digits {
    QString integer;
    QString fraction;
};

// The magnitude's 15 significant digits: enough to be the decimal number the
// user sees (2.675 stays 2.675 rather than 2.67499999...), few enough to hide
// the binary representation's tail.
Digits decimalDigits(double magnitude)
{
    const QByteArray text = QByteArray::number(magnitude, 'e', 14); // d.dddddddddddddde±x
    const qsizetype ePos = text.indexOf('e');
    const QString mantissa = QString::fromLatin1(text.left(1) + text.mid(2, ePos - 2));
    const int integerCount = text.mid(ePos + 1).toInt() + 1;
    if (integerCount <= 0)
        return {QString(), QString(-integerCount, u'0') + mantissa};
    if (integerCount >= mantissa.size())
        return {mantissa + QString(integerCount - mantissa.size(), u'0'), QString()};
    return {mantissa.left(integerCount), mantissa.mid(integerCount)};
}

// A whole number below 10^15 has no more digits than the 15 significant
// ones decimalDigits keeps: its digits are the integer's own, and reading
// them so spares the general road's work (a list numbering its rows calls
// this for every row).
std::optional<Digits> wholeDigits(double magnitude)
{
    if (!(magnitude < 1e15) || magnitude != std::floor(magnitude))
        return std::nullopt;
    const auto whole = static_cast<qint64>(magnitude);
    return Digits{whole == 0 ? QString() : QString::number(whole), QString()};
}

// Adds one unit in the last place of a digit string; a carry out of the
// first digit prepends "1".
QString incremented(QString digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = u'0';
    }
    return u'1' + digits;
}

// Rounds to exactly `decimals` places, halves away from zero.
Digits rounded(const Digits& digits, int decimals)
{
    QString kept = digits.integer + digits.fraction.left(decimals).leftJustified(decimals, u'0');
    if (digits.fraction.size() > decimals && digits.fraction[decimals] >= u'5')
        kept = incremented(kept);
    qsizetype leadingZeros = 0;
    while (leadingZeros < kept.size() - decimals && kept[leadingZeros] == u'0')
        ++leadingZeros;
    return {kept.mid(leadingZeros, kept.size() - decimals - leadingZeros), kept.right(decimals)};
}

bool isZero(const Digits& digits)
{
    return digits.integer.isEmpty() && std::all_of(digits.fraction.cbegin(), digits.fraction.cend(), [](QChar c) { return c == u'0'; });
}

QString grouped(QString integer)
{
    for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
        integer.insert(i, u',');
    return integer;
}

// Length of the longest leading part of `text` that reads as a number:
// sign, digits, point, digits, and an exponent only when it has digits.
qsizetype numberLength(const QString& text)
{
    qsizetype i = 0;
    const auto skipDigits = [&] {
        const qsizetype start = i;
        while (i < text.size() && isAsciiDigit(text[i]))
            ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    qsizetype mantissaDigits = skipDigits();
    if (i < text.size() && text[i] == u'.') {
        ++i;
        mantissaDigits += skipDigits();
    }
    if (mantissaDigits == 0)
        return 0;
    const qsizetype end = i;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
            ++i;
        if (skipDigits() > 0)
            return i;
    }
    return end;
}

} // namespace

QString Format(double number, const QString& pictureText)
{
    const Picture picture = readPicture(pictureText);
    if (!std::isfinite(number))
        number = 0;
    const std::optional<Digits> whole = wholeDigits(std::fabs(number));
    Digits digits = rounded(whole ? *whole : decimalDigits(std::fabs(number)), picture.decimals);
    while (digits.fraction.size() > picture.minDecimals && digits.fraction.endsWith(u'0'))
        digits.fraction.chop(1);

    // A number that rounds to zero has no sign to show.
    const bool negative = number < 0 && !isZero(digits);
    QString sign;
    if (negative)
        sign = QStringLiteral("-");
    else if (picture.sign == u'+')
        sign = QStringLiteral("+");

    // At least one integer digit, so that the text reads back as a number.
    QString integer = digits.integer.rightJustified(std::max(picture.integerZeros, 1), u'0');
    if (picture.grouping)
        integer = grouped(integer);
    QString result = sign + picture.prefix + integer;
    if (!digits.fraction.isEmpty())
        result += u'.' + digits.fraction;
    return result + picture.suffix;
}

namespace {
// The text as CDbl reads it: trimmed, a decimal comma made a point.
QString numberText(const QString& text)
{
    QString trimmed = text.trimmed();
    if (!trimmed.contains(u'.'))
        trimmed.replace(u',', u'.');
    return trimmed;
}
} // namespace

double CDbl(const QString& text)
{
    const QString trimmed = numberText(text);
    const qsizetype length = numberLength(trimmed);
    if (length == 0)
        return 0;
    bool ok = false;
    const double value = QLocale::c().toDouble(QStringView(trimmed).left(length), &ok);
    return ok ? value : 0;
}

std::optional<double> numberOf(const QString& text)
{
    const QString trimmed = numberText(text);
    if (trimmed.isEmpty() || numberLength(trimmed) != trimmed.size())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int CInt(double number)
{
    if (std::isnan(number))
        return 0;
    const double whole = std::round(number); // halves away from zero
    if (whole >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (whole <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(whole);
}

} // namespace fw
