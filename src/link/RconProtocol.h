#pragma once

#include <QByteArray>
#include <QString>

// The wire form of the proxy's remote console and the reading of what comes back, without sockets.
namespace spectrel::rcon {

inline QString challengeRequest()
{
    return QStringLiteral("challenge rcon");
}

// "rcon " + challenge + " " + quoted password + " " + command; the password is not escaped.
QString commandLine(const QString& challenge, const QString& password, const QString& command);

// 0xFF 0xFF 0xFF 0xFF, the text in the 8-bit code page, 0x00.
QByteArray frameDatagram(const QString& text);

// A whole datagram as one text, one character per byte; the 0xFF bytes and a trailing 0x00 stay in it.
QString datagramText(const QByteArray& datagram);

// What a datagram is, tested in this order; markers are found anywhere and in any letter case.
enum class ReplyKind {
    BadLength,          // fewer than 6 or more than 32700 characters
    Challenge,          // "challenge rcon" while a command waits
    StatusReport,       // "--- HLTV Status ---"
    RecordingStarted,   // "Recording initialized."
    RecordingCompleted, // "Completed demo"
    Unrecognised,
};
ReplyKind classifyReply(const QString& s, bool slotEmpty);

// The challenge number: the characters from just after "challenge rcon" and the one character following it,
// up to the first line feed. A challenge without a line feed after it fails (RuntimeFailure::InvalidCall).
QString cutChallenge(const QString& s);

} // namespace spectrel::rcon
