#include "link/DatagramSocket.h"

#include "link/UdpRemoteErrors.h"

#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <deque>

// The portable socket: Qt's own. It raises readyRead again only after it was read inside readyRead, and not
// inside a handler of its own: what waits is read there, and the news passed on through the event loop, where
// a handler's nested wait can see it again.
namespace spectrel {

struct DatagramSocket::Native {
    QUdpSocket socket;
    bool ownCall = false; // errors raised by our own calls are reported by their results
    bool readablePosted = false;
    std::deque<Arrival> taken; // read while the socket reported them, not handed out yet

    void take();
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

void DatagramSocket::Native::take()
{
    // The socket reports again only once it has been read while it reported, so everything is read here.
    // The size is also the test for a waiting datagram. A look fails when a remote error is queued on the
    // socket: those are taken off, and the look repeated.
    for (int guard = 0; guard < 256; ++guard) {
        qint64 size = socket.pendingDatagramSize();
        if (size < 0) {
            for (udp::RemoteError e : udp::takeRemoteErrors(socket.socketDescriptor())) {
                Arrival& a = taken.emplace_back();
                a.kind = e == udp::RemoteError::Refused ? Arrival::Kind::Refused : Arrival::Kind::Unreachable;
            }
            size = socket.pendingDatagramSize();
        }
        if (size < 0)
            return;
        const QNetworkDatagram d = socket.receiveDatagram(size);
        if (!d.isValid())
            return;
        Arrival& a = taken.emplace_back();
        bool isIPv4 = false;
        d.senderAddress().toIPv4Address(&isIPv4);
        a.fromIPv4 = isIPv4;
        a.data = d.data();
    }
}

DatagramSocket::DatagramSocket(QObject* parent) : QObject(parent), m_native(std::make_unique<Native>())
{
    connect(&m_native->socket, &QUdpSocket::readyRead, this, [this] {
        m_native->take();
        if (m_native->readablePosted || m_native->taken.empty())
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
    m_native->taken.clear();
    if (!s.bind(QHostAddress::AnyIPv4, port, QAbstractSocket::DontShareAddress))
        return s.error() == QAbstractSocket::AddressInUseError ? BindResult::PortInUse : BindResult::Failed;
    udp::enableRemoteErrors(s.socketDescriptor());
    return BindResult::Bound;
}

void DatagramSocket::close()
{
    OwnCall own(m_native->ownCall);
    m_native->socket.close();
    m_native->taken.clear();
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
    int given = 0;
    for (; given < room && !n.taken.empty(); ++given) {
        *into[given] = std::move(n.taken.front());
        n.taken.pop_front();
    }
    return given;
}

} // namespace spectrel
