#include "RconRequest.h"

namespace spectrel::sim {
namespace {

const QByteArray kPrefix("\xFF\xFF\xFF\xFF", 4);

// A real proxy answers larger requests not at all; nothing legitimate comes near this.
constexpr qsizetype kMaxRequest = 4096;
// The proxy's output buffer for one rcon command, less the reply's type byte and the closing 0x00.
constexpr qsizetype kMaxPrint = 1022;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

qsizetype skipBlanks(const QByteArray& text, qsizetype at)
{
    while (at < text.size() && isBlank(text.at(at)))
        ++at;
    return at;
}

qsizetype skipWord(const QByteArray& text, qsizetype at)
{
    while (at < text.size() && !isBlank(text.at(at)))
        ++at;
    return at;
}

} // namespace

std::optional<QByteArray> requestText(const QByteArray& datagram)
{
    if (datagram.size() <= kPrefix.size() || datagram.size() > kMaxRequest || !datagram.startsWith(kPrefix))
        return std::nullopt;
    QByteArray text = datagram.mid(kPrefix.size());
    // The engine reads the request as a C string, so a 0x00 ends it wherever it stands.
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.endsWith('\r'))
        text.chop(1);
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

QByteArray firstArgument(const QByteArray& text, QByteArray* rest)
{
    qsizetype at = skipBlanks(text, 0);
    QByteArray argument;
    if (at < text.size() && text.at(at) == '"') {
        const qsizetype close = text.indexOf('"', at + 1);
        const qsizetype end = close < 0 ? text.size() : close;
        argument = text.mid(at + 1, end - at - 1);
        at = close < 0 ? end : close + 1;
    } else {
        const qsizetype end = skipWord(text, at);
        argument = text.mid(at, end - at);
        at = end;
    }
    if (rest)
        *rest = text.mid(skipBlanks(text, at));
    return argument;
}

std::optional<RconLine> parseRconLine(const QByteArray& text)
{
    qsizetype at = skipBlanks(text, 0);
    const qsizetype keywordEnd = skipWord(text, at);
    if (text.mid(at, keywordEnd - at).toLower() != "rcon")
        return std::nullopt;
    at = skipBlanks(text, keywordEnd);
    const qsizetype challengeEnd = skipWord(text, at);
    if (challengeEnd == at)
        return std::nullopt;
    RconLine line;
    line.challenge = text.mid(at, challengeEnd - at);
    line.password = firstArgument(text.mid(challengeEnd), &line.command);
    return line;
}

bool isChallengeRequest(const QByteArray& text)
{
    return text.simplified().toLower() == "challenge rcon";
}

QByteArray challengeReply(quint32 challenge)
{
    return kPrefix + "challenge rcon " + QByteArray::number(challenge) + "\n" + QByteArray(1, '\0');
}

QByteArrayList splitArguments(const QByteArray& text)
{
    QByteArrayList arguments;
    QByteArray rest = text;
    while (skipBlanks(rest, 0) < rest.size())
        arguments.append(firstArgument(rest, &rest));
    return arguments;
}

QByteArray printReply(const QByteArray& text)
{
    QByteArray kept;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        if (kept.size() + line.size() + 1 <= kMaxPrint)
            kept += line + '\n';
    }
    return kPrefix + 'l' + kept + QByteArray(1, '\0');
}

} // namespace spectrel::sim
