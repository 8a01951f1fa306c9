#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace spectrel {

// The name of the local channel the running window listens on, per user: a second copy of the program and
// `spectrelctl trigger` reach the window through it. Each line sent is one message; the window answers each
// with "ok".
QString instanceChannelName();

// The lines of one connection to the channel, gathered from the pieces in which its bytes arrive. A line is
// what comes before a line feed, without the white space around it; what follows the last line feed waits
// for the next piece. A line longer than kMaxLine bytes is no message and is dropped whole, so a sender that
// never ends its line cannot make the window hold more than that.
class ChannelLines {
public:
    static constexpr qsizetype kMaxLine = 1024;

    // The lines `piece` completes, in order.
    QByteArrayList take(const QByteArray& piece);

private:
    QByteArray m_pending;
    bool m_overlong = false; // the pending line passed kMaxLine and is dropped up to its line feed
};

} // namespace spectrel
