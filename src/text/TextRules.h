#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

// The string rules every subsystem shares. Positions count from 1 and 0 means "not found"; searches ignore
// letter case. Cuts with a negative length raise RuntimeFailure::InvalidCall: that is how a reply missing
// one of its markers is recognised as unreadable.
namespace spectrel::text {

// Position of the first `needle` in `haystack` at or after `start`, or 0.
int find(QStringView haystack, QStringView needle, int start = 1);
// Position of the last `needle` in `haystack`, or 0.
int findLast(QStringView haystack, QStringView needle);
inline bool contains(QStringView haystack, QStringView needle)
{
    return find(haystack, needle) > 0;
}
bool equalNoCase(QStringView a, QStringView b);
bool endsWithNoCase(QStringView s, QStringView tail);

// The first `count` characters (all of them when `count` is larger); a negative count fails.
QString left(QStringView s, int count);
// The characters from position `start` to the end; a start below 1 fails, one past the end gives "".
QString from(QStringView s, int start);
// `count` characters from position `start`; a start below 1 or a negative count fails.
QString mid(QStringView s, int start, int count);
// The character at position `pos`, or a null character when the text is shorter.
QChar charAt(QStringView s, int pos);
inline bool isDigitAt(QStringView s, int pos)
{
    const QChar c = charAt(s, pos);
    return c >= u'0' && c <= u'9';
}

// The decimal number at the start of `s`: blanks, tabs and line feeds are skipped wherever they stand, then
// an optional sign, digits, a decimal point and an exponent are taken; reading stops at the first character
// that cannot continue the number, and no number at all gives 0.
double leadingNumber(QStringView s);
// The number at the start of a field of the status report: leading blanks skipped (blanks only), then the
// same form, read without skipping anything inside it.
double statusNumber(QStringView s);
// The release number of the update file: leading blanks, tabs and line feeds skipped, then the same form,
// read without skipping anything inside it.
double releaseNumber(QStringView s);

// Rounding to the nearest whole number, halves to the even neighbour; out of range fails with Overflow.
std::int16_t roundToInt16(double value);
std::int32_t roundToInt32(double value);
std::uint8_t roundToByte(double value);

// Conversions of a whole text, as the settings store and the connection fields need them. A text that is
// not a number (or not a truth value) fails with TypeMismatch; a number outside the type fails with Overflow.
std::int16_t toInt16(QStringView s);
std::int32_t toInt32(QStringView s);
float toSingle(QStringView s);
bool toBoolean(QStringView s);

// Text forms the settings store writes.
QString booleanText(bool value); // "True" / "False"
QString singleText(float value); // shortest decimal form, e.g. "1234.5"

// Leading and trailing blanks removed (blanks only, as the fields' clean-up does).
QString trimBlanks(QStringView s);

} // namespace spectrel::text
