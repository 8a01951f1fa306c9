#include "link/DatagramSocket.h"

#include "link/UdpRemoteErrors.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <vector>

// The portable socket: Qt's own. It does not raise readyRead inside a handler of its own, so the signal that
// something waits is passed on through the event loop, where a handler's nested wait can see it again.
namespace spectrel {

struct DatagramSocket::Native {
    QUdpSocket socket;
    bool ownCall = false; // errors raised by our own calls are reported by their results
    bool readablePosted = false;
    std::vector<udp::RemoteError> remoteErrors;
};

namespace {

class OwnCall {
public:
    explicit OwnCall(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~OwnCall() { m_flag = m_old; }
    OwnCall(const OwnCall&) = delete;
    OwnCall& operator=(const OwnCall&) = delete;

private:
    bool& m_flag;
    bool m_old;
};

} // namespace

DatagramSocket::DatagramSocket(QObject* parent) : QObject(parent), m_native(std::make_unique<Native>())
{
    connect(&m_native->socket, &QUdpSocket::readyRead, this, [this] {
        if (m_native->readablePosted)
            return;
        m_native->readablePosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_native->readablePosted = false;
                Q_EMIT readable();
            },
            Qt::QueuedConnection);
    });
    connect(&m_native->socket, &QUdpSocket::errorOccurred, this, [this] {
        if (!m_native->ownCall)
            Q_EMIT failed();
    });
}

DatagramSocket::~DatagramSocket() = default;

DatagramSocket::BindResult DatagramSocket::bind(quint16 port)
{
    OwnCall own(m_native->ownCall);
    QUdpSocket& s = m_native->socket;
    s.close();
    m_native->remoteErrors.clear();
    if (!s.bind(QHostAddress::AnyIPv4, port, QAbstractSocket::DontShareAddress))
        return s.error() == QAbstractSocket::AddressInUseError ? BindResult::PortInUse : BindResult::Failed;
    udp::enableRemoteErrors(s.socketDescriptor());
    return BindResult::Bound;
}

void DatagramSocket::close()
{
    OwnCall own(m_native->ownCall);
    m_native->socket.close();
    m_native->remoteErrors.clear();
}

quint16 DatagramSocket::localPort() const
{
    return m_native->socket.localPort();
}

QString DatagramSocket::errorText() const
{
    return m_native->socket.errorString();
}

int DatagramSocket::errorNumber() const
{
    return int(m_native->socket.error());
}

DatagramSocket::SendResult DatagramSocket::send(const QByteArray& datagram, quint32 ipv4, quint16 port)
{
    OwnCall own(m_native->ownCall);
    QUdpSocket& s = m_native->socket;
    if (s.writeDatagram(datagram, QHostAddress(ipv4), port) >= 0)
        return SendResult::Sent;
    switch (s.error()) {
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::HostNotFoundError:
    case QAbstractSocket::SocketAccessError:
    case QAbstractSocket::SocketAddressNotAvailableError:
    case QAbstractSocket::ConnectionRefusedError:
        return SendResult::Unreachable;
    default:
        return SendResult::Failed;
    }
}

int DatagramSocket::receive(Arrival* const* into, int room)
{
    Native& n = *m_native;
    int taken = 0;
    for (int guard = 0; guard < 64 && taken < room; ++guard) {
        if (!n.remoteErrors.empty()) {
            Arrival& a = *into[taken++];
            a.kind = n.remoteErrors.front() == udp::RemoteError::Refused ? Arrival::Kind::Refused
                                                                         : Arrival::Kind::Unreachable;
            a.fromIPv4 = false;
            a.data.resize(0); // keeps the buffer
            n.remoteErrors.erase(n.remoteErrors.begin());
            continue;
        }
        // The size is also the test for a waiting datagram. A look fails when a remote error is queued on
        // the socket: those are taken off, and the look repeated.
        const qint64 size = n.socket.pendingDatagramSize();
        if (size < 0) {
            n.remoteErrors = udp::takeRemoteErrors(n.socket.socketDescriptor());
            if (n.remoteErrors.empty() && n.socket.pendingDatagramSize() < 0)
                break;
            continue;
        }
        const QNetworkDatagram d = n.socket.receiveDatagram(size);
        if (!d.isValid())
            break;
        Arrival& a = *into[taken++];
        a.kind = Arrival::Kind::Datagram;
        bool isIPv4 = false;
        d.senderAddress().toIPv4Address(&isIPv4);
        a.fromIPv4 = isIPv4;
        a.data = d.data();
    }
    return taken;
}

} // namespace spectrel
