#include "text/TextRules.h"

#include "text/RuntimeFailure.h"

#include <cmath>
#include <limits>

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
QByteArray takeNumber(QStringView s, qsizetype& i, bool skipBlanks)
{
    QByteArray out;
    auto skip = [&] {
        while (skipBlanks && i < s.size() && isSkippedBlank(s[i]))
            ++i;
    };
    auto takeDigits = [&] {
        bool any = false;
        for (skip(); i < s.size() && isDigit(s[i]); skip()) {
            out.append(char(s[i].unicode()));
            ++i;
            any = true;
        }
        return any;
    };
    skip();
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        out.append(char(s[i].unicode()));
        ++i;
    }
    bool mantissa = takeDigits();
    if (i < s.size() && s[i] == u'.') {
        out.append('.');
        ++i;
        mantissa = takeDigits() || mantissa;
    }
    if (!mantissa)
        return {};
    skip();
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        // The exponent counts only when digits follow it; otherwise the number ends before the letter.
        const qsizetype mark = i;
        const qsizetype markOut = out.size();
        out.append('e');
        ++i;
        skip();
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
            out.append(char(s[i].unicode()));
            ++i;
        }
        if (!takeDigits()) {
            i = mark;
            out.truncate(markOut);
        }
    }
    return out;
}

double parseTaken(const QByteArray& taken)
{
    if (taken.isEmpty() || taken == "+" || taken == "-")
        return 0.0;
    return std::strtod(taken.constData(), nullptr);
}

// A whole text as a number: surrounding white space allowed, nothing else.
double wholeTextNumber(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace())
        ++i;
    const QByteArray taken = takeNumber(s, i, false);
    while (i < s.size() && s[i].isSpace())
        ++i;
    if (taken.isEmpty() || i != s.size())
        throw RuntimeFailure::typeMismatch();
    return parseTaken(taken);
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
    const qsizetype at = haystack.indexOf(needle, start - 1, Qt::CaseInsensitive);
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
