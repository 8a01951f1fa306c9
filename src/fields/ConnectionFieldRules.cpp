#include "fields/ConnectionFieldRules.h"

#include "text/CodePage.h"
#include "text/TextRules.h"

namespace spectrel::connection {

namespace {

constexpr int kBackspace = 8;

bool isDigit(int code)
{
    return code >= '0' && code <= '9';
}

bool isLetter(int code)
{
    return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
}

// Letters, digits, "-", ".", "/" and ":" (the colon separates the port).
bool validInServer(QChar c)
{
    const int code = text::codePageCode(c);
    return (code >= '-' && code <= ':') || isLetter(code);
}

bool isSeparator(QChar c)
{
    return c == u'-' || c == u'.' || c == u'/';
}

} // namespace

bool serverKeepsTyped(int code)
{
    return code == kBackspace || (code >= '-' && code <= '9') || isLetter(code);
}

bool portKeepsTyped(int code)
{
    return code == kBackspace || isDigit(code);
}

std::optional<ServerChange> afterServerChange(const QString& text)
{
    const QString trimmed = text::trimBlanks(text);
    if (trimmed.isEmpty())
        return std::nullopt;
    const QString kept = trimmed.left(kServerMaxLength);
    for (QChar c : kept) {
        if (!validInServer(c))
            return ServerChange{};
    }
    const qsizetype colon = kept.indexOf(u':');
    if (colon < 0)
        return ServerChange{kept, std::nullopt};
    return ServerChange{kept.left(colon), kept.mid(colon + 1)};
}

std::optional<QString> afterPortChange(const QString& text)
{
    const QString kept = text::trimBlanks(text).left(kPortMaxLength);
    if (kept.isEmpty())
        return std::nullopt;
    for (QChar c : kept) {
        if (!isDigit(text::codePageCode(c)))
            return QString();
    }
    return kept;
}

bool serverNeedsClearing(const QString& text)
{
    if (text.size() < 3 || isSeparator(text.front()) || isSeparator(text.back()))
        return true;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (isSeparator(text[i - 1]) && isSeparator(text[i]))
            return true;
    }
    return false;
}

QString pastedText(const QString& clipboard, int maxLength)
{
    return text::trimBlanks(clipboard).left(maxLength);
}

} // namespace spectrel::connection
