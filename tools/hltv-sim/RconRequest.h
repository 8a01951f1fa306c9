#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <optional>

// The connectionless framing of the engine's remote console: four 0xFF bytes, then text.
namespace spectrel::sim {

// The text of a request, without the 0xFF prefix and without its end (0x00, "\n" or both); nothing when the
// datagram is not a request at all.
std::optional<QByteArray> requestText(const QByteArray& datagram);

// "rcon <challenge> <password> <command>", split the way the engine reads it.
struct RconLine {
    QByteArray challenge;
    QByteArray password;
    // Everything after the password, as sent.
    QByteArray command;
};

// Nothing when the text is no rcon line or carries no challenge.
std::optional<RconLine> parseRconLine(const QByteArray& text);

// The engine's tokenizer for one argument: a quoted argument runs to the closing quote (or the end) and loses
// its quotes, a bare one runs to the next blank. rest, when given, receives what follows.
QByteArray firstArgument(const QByteArray& text, QByteArray* rest = nullptr);

bool isChallengeRequest(const QByteArray& text);
QByteArray challengeReply(quint32 challenge);

// Every argument of a command line, read as firstArgument reads one.
QByteArrayList splitArguments(const QByteArray& text);

// A print reply: 0xFF x4, 'l', text, 0x00. The proxy gathers a command's output in a buffer of about 1 KiB
// and drops whole any line that would overflow it, so a long text never goes out in several datagrams.
QByteArray printReply(const QByteArray& text);

} // namespace spectrel::sim
