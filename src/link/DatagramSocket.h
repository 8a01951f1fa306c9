#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <memory>

namespace spectrel {

// The link's one UDP socket on IPv4. It reports that something waits to be read and leaves the reading to
// its owner, who takes everything that waits in one go; nothing is queued per datagram. Where the platform
// allows it, the socket is the system's own, read and written with one system call each.
class DatagramSocket : public QObject {
    Q_OBJECT
public:
    explicit DatagramSocket(QObject* parent = nullptr);
    ~DatagramSocket() override;

    enum class BindResult { Bound, PortInUse, Failed };
    // Closes the socket and binds it afresh to `port` on any local IPv4 address, sharing it with no one.
    BindResult bind(quint16 port);
    void close();
    quint16 localPort() const;
    // What the last failure was, in the system's words.
    QString errorText() const;
    // The number the last failure has in Qt's socket errors (QAbstractSocket::SocketError).
    int errorNumber() const;

    enum class SendResult {
        Sent,
        Unreachable, // the network refused the datagram: no route, no interface, no permission
        Failed,      // anything else: errorText() and errorNumber() tell what
    };
    SendResult send(const QByteArray& datagram, quint32 ipv4, quint16 port);

    // One thing the socket had waiting: a datagram, or an error that came back for a datagram sent earlier.
    struct Arrival {
        enum class Kind { Datagram, Refused, Unreachable };
        Kind kind = Kind::Datagram;
        bool fromIPv4 = false;
        QByteArray data; // its capacity is kept from one arrival to the next
    };
    // Takes what waits, at most `room` arrivals, into `into[0]` on; returns how many. Fewer than `room`:
    // nothing more waits.
    int receive(Arrival* const* into, int room);

Q_SIGNALS:
    // Something waits to be received. It is raised again, also inside a handler of its own, while something
    // still waits, so a handler should receive all of it before it does anything that may wait.
    void readable();
    // The socket failed by itself, outside any call; errorText() says how.
    void failed();

private:
    struct Native;
    std::unique_ptr<Native> m_native;
};

} // namespace spectrel
