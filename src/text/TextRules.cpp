#include "text/TextRules.h"

#include "text/RuntimeFailure.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace spectrel::text {

namespace {

bool isSkippedBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Reads a number in the form [sign] digits [. digits] [e|d [sign] digits] starting at `i`, skipping blanks
// when `skipBlanks` is set. Returns the characters taken in `digits` form for strtod and moves `i` past them.
std::string takeNumber(QStringView s, qsizetype& i, bool skipBlanks)
{
    std::string out; // short enough for the string's own room in the usual case: no allocation
    auto skip = [&] {
        while (skipBlanks && i < s.size() && isSkippedBlank(s[i]))
            ++i;
    };
    auto takeDigits = [&] {
        bool any = false;
        for (skip(); i < s.size() && isDigit(s[i]); skip()) {
            out.push_back(char(s[i].unicode()));
            ++i;
            any = true;
        }
        return any;
    };
    skip();
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        out.push_back(char(s[i].unicode()));
        ++i;
    }
    bool mantissa = takeDigits();
    if (i < s.size() && s[i] == u'.') {
        out.push_back('.');
        ++i;
        mantissa = takeDigits() || mantissa;
    }
    if (!mantissa)
        return {};
    skip();
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        // The exponent counts only when digits follow it; otherwise the number ends before the letter.
        const qsizetype mark = i;
        const std::size_t markOut = out.size();
        out.push_back('e');
        ++i;
        skip();
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
            out.push_back(char(s[i].unicode()));
            ++i;
        }
        if (!takeDigits()) {
            i = mark;
            out.resize(markOut);
        }
    }
    return out;
}

double parseTaken(const std::string& taken)
{
    if (taken.empty() || taken == "+" || taken == "-")
        return 0.0;
    // Up to 15 digits and a sign, as most numbers of the status report are, are exact as whole numbers.
    const bool negative = taken[0] == '-';
    const std::size_t first = (negative || taken[0] == '+') ? 1 : 0;
    if (taken.size() - first <= 15 && std::all_of(taken.begin() + std::ptrdiff_t(first), taken.end(),
                                                  [](char c) { return c >= '0' && c <= '9'; })) {
        std::int64_t value = 0;
        for (std::size_t k = first; k < taken.size(); ++k)
            value = value * 10 + (taken[k] - '0');
        return negative ? (value == 0 ? -0.0 : -double(value)) : double(value);
    }
    return std::strtod(taken.c_str(), nullptr);
}

// A whole text as a number: surrounding white space allowed, nothing else.
double wholeTextNumber(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace())
        ++i;
    const std::string taken = takeNumber(s, i, false);
    while (i < s.size() && s[i].isSpace())
        ++i;
    if (taken.empty() || i != s.size())
        throw RuntimeFailure::typeMismatch();
    return parseTaken(taken);
}

bool isLatin1(QStringView s)
{
    // Four characters at a time: all of them are below 0x100 when no high byte is set.
    const char16_t* p = s.utf16();
    std::uint64_t any = 0;
    qsizetype i = 0;
    for (; i + 4 <= s.size(); i += 4) {
        std::uint64_t four;
        std::memcpy(&four, p + i, sizeof four);
        any |= four;
    }
    for (; i < s.size(); ++i)
        any |= p[i];
    return (any & 0xFF00FF00FF00FF00u) == 0;
}

// Case folding within Latin-1: A-Z and the capitals from U+00C0 to U+00DE but the multiplication sign. The
// rest folds onto itself or, as the micro sign does, onto a character outside Latin-1 that nothing else here
// folds onto.
char16_t latin1Folded(QChar c)
{
    const char16_t u = c.unicode();
    const bool capital = (u >= u'A' && u <= u'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7);
    return capital ? char16_t(u + 0x20) : u;
}

// The capital of a folded Latin-1 letter; other characters as they are.
char16_t latin1Capital(char16_t u)
{
    const bool small = (u >= u'a' && u <= u'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7);
    return small ? char16_t(u - 0x20) : u;
}

// The case-insensitive search for texts that are all Latin-1: the same answer as Qt's search with Unicode
// case folding, without its table look-up for every character. Replies (with their 0xFF prefix) and captions
// are Latin-1 nearly always. The first character of the needle is looked for in each of its two forms with
// Qt's plain character search, which takes many characters at a time; only there is the rest compared.
qsizetype indexOfLatin1(QStringView haystack, QStringView needle, qsizetype from)
{
    const char16_t small = latin1Folded(needle.front());
    const char16_t capital = latin1Capital(small);
    const qsizetype last = haystack.size() - needle.size();
    const auto next = [haystack](char16_t c, qsizetype at) {
        const qsizetype i = haystack.indexOf(QChar(c), at);
        return i < 0 ? haystack.size() : i;
    };
    qsizetype nextSmall = next(small, from);
    qsizetype nextCapital = capital == small ? haystack.size() : next(capital, from);
    for (;;) {
        const qsizetype i = std::min(nextSmall, nextCapital);
        if (i > last)
            return -1;
        qsizetype k = 1;
        while (k < needle.size() && latin1Folded(haystack[i + k]) == latin1Folded(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
        if (i == nextSmall)
            nextSmall = next(small, i + 1);
        else
            nextCapital = next(capital, i + 1);
    }
}

template <typename Int> Int roundInto(double value)
{
    if (!std::isfinite(value))
        throw RuntimeFailure::overflow();
    const double r = std::nearbyint(value); // the default rounding mode: halves to even
    if (r < double(std::numeric_limits<Int>::min()) || r > double(std::numeric_limits<Int>::max()))
        throw RuntimeFailure::overflow();
    return static_cast<Int>(r);
}

} // namespace

int find(QStringView haystack, QStringView needle, int start)
{
    if (start < 1)
        throw RuntimeFailure::invalidCall();
    if (start > haystack.size())
        return 0;
    const QStringView searched = haystack.mid(start - 1);
    // A character outside Latin-1 may fold onto a letter inside it (the Kelvin sign onto "k"): such texts
    // take Qt's full folding.
    const qsizetype at = !needle.isEmpty() && isLatin1(needle) && isLatin1(searched)
                             ? indexOfLatin1(haystack, needle, start - 1)
                             : haystack.indexOf(needle, start - 1, Qt::CaseInsensitive);
    return at < 0 ? 0 : int(at + 1);
}

int findLast(QStringView haystack, QStringView needle)
{
    const qsizetype at = haystack.lastIndexOf(needle, -1, Qt::CaseInsensitive);
    return at < 0 ? 0 : int(at + 1);
}

bool equalNoCase(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool endsWithNoCase(QStringView s, QStringView tail)
{
    return s.endsWith(tail, Qt::CaseInsensitive);
}

QString left(QStringView s, int count)
{
    if (count < 0)
        throw RuntimeFailure::invalidCall();
    return s.left(count).toString();
}

QString from(QStringView s, int start)
{
    if (start < 1)
        throw RuntimeFailure::invalidCall();
    if (start > s.size())
        return {};
    return s.mid(start - 1).toString();
}

QString mid(QStringView s, int start, int count)
{
    if (start < 1 || count < 0)
        throw RuntimeFailure::invalidCall();
    if (start > s.size())
        return {};
    return s.mid(start - 1, count).toString();
}

QChar charAt(QStringView s, int pos)
{
    if (pos < 1 || pos > s.size())
        return QChar();
    return s[pos - 1];
}

double leadingNumber(QStringView s)
{
    qsizetype i = 0;
    return parseTaken(takeNumber(s, i, true));
}

double releaseNumber(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && isSkippedBlank(s[i]))
        ++i;
    return parseTaken(takeNumber(s, i, false));
}

double statusNumber(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    return parseTaken(takeNumber(s, i, false));
}

std::int16_t roundToInt16(double value)
{
    return roundInto<std::int16_t>(value);
}
std::int32_t roundToInt32(double value)
{
    return roundInto<std::int32_t>(value);
}
std::uint8_t roundToByte(double value)
{
    return roundInto<std::uint8_t>(value);
}

std::int16_t toInt16(QStringView s)
{
    return roundToInt16(wholeTextNumber(s));
}
std::int32_t toInt32(QStringView s)
{
    return roundToInt32(wholeTextNumber(s));
}

float toSingle(QStringView s)
{
    const double v = wholeTextNumber(s);
    if (std::fabs(v) > double(std::numeric_limits<float>::max()))
        throw RuntimeFailure::overflow();
    return float(v);
}

bool toBoolean(QStringView s)
{
    const QStringView t = s.trimmed();
    if (equalNoCase(t, u"True"))
        return true;
    if (equalNoCase(t, u"False"))
        return false;
    return wholeTextNumber(t) != 0.0;
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString singleText(float value)
{
    return QString::number(double(value), 'g', 7);
}

QString trimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return s.mid(b, e - b).toString();
}

} // namespace spectrel::text
