#pragma once

// Numbers to text by picture patterns, and text back to numbers. One rule for
// the whole program: "0" a digit always written, "#" a digit written when
// needed, "." the decimal point, "," digit grouping, a leading "-" or "+" a
// sign character. A negative number always gets a minus sign (a text must read
// back as the number it shows), a number under 1 shows a leading "0" when the
// pattern has a "#" before the point, the decimal point is always ".", and a
// rounded zero is never written as "-0". Any other picture character is
// written as it stands: those before the first of "0#.," before the number,
// the rest after it (a sign goes first). NaN and infinities are written as 0.

#include <QString>

namespace fw {

QString Format(double number, const QString& picture);

// Text to a Double the way a user's typing is read: leading and trailing
// spaces ignored, the longest leading number taken ("12.5 s" gives 12.5),
// a decimal comma accepted when the text has no point, 0 when nothing reads.
double CDbl(const QString& text);

// Whether the whole text, spaces around it aside, reads as a number for CDbl
// ("12.5" and "12,5" do; "", "abc" and "12.5 s" do not).
bool IsNumeric(const QString& text);

// The program's one Double-to-Integer rule: the nearest whole number,
// halves away from zero.
int CInt(double number);

} // namespace fw
