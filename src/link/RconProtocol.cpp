#include "link/RconProtocol.h"

#include "text/CodePage.h"
#include "text/TextRules.h"

namespace spectrel::rcon {

namespace {
const QString kChallengeMarker = QStringLiteral("challenge rcon");
constexpr int kShortest = 6;
constexpr int kLongest = 32700;
} // namespace

QString commandLine(const QString& challenge, const QString& password, const QString& command)
{
    return QStringLiteral("rcon ") + challenge + QStringLiteral(" \"") + password + QStringLiteral("\" ") +
           command;
}

QByteArray frameDatagram(const QString& text)
{
    QByteArray out("\xFF\xFF\xFF\xFF", 4);
    out += text::toCodePage(text);
    out += '\0';
    return out;
}

QString datagramText(const QByteArray& datagram)
{
    return text::fromCodePage(datagram);
}

ReplyKind classifyReply(const QString& s, bool slotEmpty)
{
    if (s.size() < kShortest || s.size() > kLongest)
        return ReplyKind::BadLength;
    if (!slotEmpty && text::contains(s, kChallengeMarker))
        return ReplyKind::Challenge;
    if (text::contains(s, u"--- HLTV Status ---"))
        return ReplyKind::StatusReport;
    if (text::contains(s, u"Recording initialized."))
        return ReplyKind::RecordingStarted;
    if (text::contains(s, u"Completed demo"))
        return ReplyKind::RecordingCompleted;
    return ReplyKind::Unrecognised;
}

QString cutChallenge(const QString& s)
{
    const int p = text::find(s, kChallengeMarker);
    // "challenge rcon" is 14 characters from p (1-based); the one after it, normally a blank, is skipped
    // whatever it is, so the number starts at p + 15.
    const int e = text::find(s, u"\n", p + 15);
    return text::mid(s, p + 15, e - p - 15);
}

} // namespace spectrel::rcon
