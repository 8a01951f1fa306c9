#pragma once

#include "link/DatagramSocket.h"
#include "text/RuntimeFailure.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>
#include <memory>
#include <vector>

namespace spectrel {

class Clock;
class ConnectionFields;
class Cues;
class ErrorTrap;
class Notices;
class Timer;

// Who reads the replies that are not challenges.
class ReplyReaders {
public:
    virtual ~ReplyReaders() = default;
    virtual void ResetToOffline() = 0;
    // Each must end by writing its done-code into PendingCommand, or by ResetToOffline.
    virtual void statusReportArrived(const QString& s) = 0;
    virtual void recordingStartedArrived() = 0;
    virtual void recordingCompletedArrived() = 0;
};

// The remote-console exchange with the proxy over one UDP socket.
//
// A request sends "challenge rcon", answers the challenge with the command line and waits, processing events
// as a nested event loop would, until the reply handler has written the request's done-code or "error" into
// its slot, or until its own 2-second time-out. Requests never share a slot or a time-out: one started while
// another waits (a timer tick, a hotkey) is queued until the link is free; one started by a reply handler
// itself (the status and say that follow "Recording initialized.") runs at once, nested in that handler, and
// hands its outcome to the request whose reply is being handled, as the single exchange slot always did.
//
// Everything the socket has waiting is taken in one go when it reports it, into a small inbox, and then
// handled in order of arrival. A reply handler that waits (a nested request) lets the socket report again;
// that report takes and handles the rest at its own level, so the nested request hears its replies. The
// waits, time-outs and buffers are kept from one request to the next.
class RconLink : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kLocalPort = 27222;
    static constexpr int kTimeoutMs = 2000; // Timer2, from the challenge request on
    // The warning before the program closes because its local port is taken.
    static QString portsInUseText();

    struct Services {
        ConnectionFields& fields;
        Notices& notices;
        Cues& cues;
        ErrorTrap& trap;
        Clock& clock;
    };
    RconLink(const Services& services, ReplyReaders& readers, QObject* parent = nullptr);
    ~RconLink() override;

    enum class BindResult { Bound, PortInUse, Failed };
    // Closes the socket and binds it again to `port` on any local IPv4 address (0: any free port).
    BindResult bindSocket(quint16 port = kLocalPort);
    // Closes the socket; every request still waiting ends with "error".
    void closeSocket();
    quint16 localPort() const;
    QString socketErrorText() const { return m_socket.errorText(); }

    // Runs one request and returns false when it ended in "error".
    bool request(const QString& command, const QString& doneCode);

    // The exchange slot of the request whose replies are being handled, or the last outcome when none waits.
    QString PendingCommand() const;
    void setPendingCommand(const QString& value);
    QString LastChallenge() const { return m_lastChallenge; }
    void clearLastChallenge() { m_lastChallenge.clear(); }

    // Sends one datagram with `text` to the host and port of the connection fields.
    void SendDatagram(const QString& text);

    // How many requests wait right now, running or queued (for tests and diagnostics).
    int waitingRequests() const { return int(m_active.size() + m_queue.size()); }

Q_SIGNALS:
    // A socket failure the program cannot go on after; its notice has been shown.
    void mustEnd();

private:
    struct Request;
    struct Waiter;
    // How deep event processing is nested: event loops, and the waits of requests.
    struct Level {
        int loops = -1;
        int waits = -1;
        bool operator==(const Level&) const = default;
    };
    Level level() const;

    Waiter& takeWaiter(Request& r);
    void start(Request& r);
    void finish(Request& r);
    // Ends the requests on top whose slot holds their done-code or "error".
    void settle();
    void startNextQueued();
    void failAll();
    bool childMayStart() const;

    void ws_DataArrival();
    void takeArrivals();
    void dispatchInbox();
    void postDispatch();
    void clearInbox() { m_inboxHead = m_inboxCount = 0; }
    void handleReply(const QString& s);
    void Timer2_Timer(Request& r);
    void connectionRefused();
    void unreachable();
    void ws_Error();

    bool resolveRemote(quint32& address);

    ConnectionFields& m_fields;
    ReplyReaders& m_readers;
    Notices& m_notices;
    Cues& m_cues;
    ErrorTrap& m_trap;
    Clock& m_clock;
    DatagramSocket m_socket;
    quint16 m_boundPort = 0;
    QByteArray m_sendBuffer;

    std::vector<Request*> m_active; // back() receives the replies; those below wait for their handlers
    std::deque<Request*> m_queue;
    QString m_idleSlot;
    QString m_lastChallenge;
    bool m_startPosted = false;
    bool m_settlePosted = false;
    bool m_dispatchPosted = false;
    std::vector<std::unique_ptr<Waiter>> m_waiters;
    std::vector<Waiter*> m_freeWaiters;

    // What the socket had waiting and is not handled yet: a ring that keeps its buffers.
    std::vector<DatagramSocket::Arrival> m_inbox;
    std::size_t m_inboxHead = 0;
    std::size_t m_inboxCount = 0;
    int m_waits = 0; // requests waiting on the stack, each a level of event processing like a nested loop
    int m_dispatchDepth = 0;
    Level m_dispatchLevel;

    QString m_portText; // the port field as last converted, and its value
    std::int32_t m_port = 0;
    QString m_remoteName; // the server field as last found, and its IPv4 address
    quint32 m_remoteAddress = 0;
};

} // namespace spectrel
