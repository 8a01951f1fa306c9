#pragma once

#include "link/ProxyAddress.h"
#include "link/RconSocket.h"
#include "link/RequestOutcome.h"
#include "link/RequestScheduler.h"

#include <QObject>
#include <QString>

#include <optional>

namespace spectrel {

class Clock;
class ConnectionFields;
class Cues;
class ErrorTrap;
class Notices;

// Who reads the replies that are not challenges. Each reader returns how the request whose reply it read
// ended; nothing when requests it ran itself have settled that already (a nested status request that failed).
class ReplyReaders {
public:
    virtual ~ReplyReaders() = default;
    // The panel goes offline; the link then fails the waiting request.
    virtual void ResetToOffline() = 0;
    virtual std::optional<Outcome> statusReportArrived(const QString& s) = 0;
    virtual std::optional<Outcome> recordingStartedArrived() = 0;
    virtual std::optional<Outcome> recordingCompletedArrived() = 0;
};

// The remote-console exchange with the proxy over one UDP socket: requests (run by the RequestScheduler), the
// proxy's address (ProxyAddress), the socket and its inbox (RconSocket), and here the handling of each reply.
//
// A reply handler that waits (a nested request) lets the socket report again; that report takes and handles
// the rest at its own level, so the nested request hears its replies.
class RconLink : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kLocalPort = 27222;
    static constexpr int kTimeoutMs = RequestScheduler::kTimeoutMs;
    // The warning before the program closes because its local port is taken.
    static QString portsInUseText();
    // The error notice when the socket fails by itself, before the program closes.
    static QString socketFailureText(const QString& error);

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
    // Closes the socket; every request still waiting fails.
    void closeSocket();
    quint16 localPort() const { return m_socket.socket().localPort(); }
    QString socketErrorText() const { return m_socket.socket().errorText(); }

    // Runs one request and returns false when it failed; `done` is the outcome it waits for.
    bool request(const QString& command, Outcome done);
    // Fails the request whose replies are being handled (the panel went offline).
    void failPending() { m_requests.write(Outcome::Failed); }

    // The exchange slot of the request whose replies are being handled, or the last outcome when none waits.
    PendingCommand pendingCommand() const { return m_requests.pending(); }
    QString LastChallenge() const { return m_lastChallenge; }
    void clearLastChallenge() { m_lastChallenge.clear(); }

    // Sends one datagram with `text` to the host and port of the connection fields.
    void SendDatagram(const QString& text);

    // How many requests wait right now, running or queued (for tests and diagnostics).
    int waitingRequests() const { return m_requests.waiting(); }

Q_SIGNALS:
    // A socket failure the program cannot go on after; its notice has been shown.
    void mustEnd();

private:
    void onReadable();
    void dispatchArrivals();
    void postDispatch();
    void handleReply(const QString& s);
    std::optional<Outcome> readReply(const QString& s);
    void connectionRefused();
    void unreachable();
    void onSocketFailed();

    ConnectionFields& m_fields;
    ReplyReaders& m_readers;
    Notices& m_notices;
    Cues& m_cues;
    ErrorTrap& m_trap;
    RconSocket m_socket;
    ProxyAddress m_address;
    RequestScheduler m_requests;
    quint16 m_boundPort = 0;
    QString m_lastChallenge;
    bool m_dispatchPosted = false;
};

} // namespace spectrel
