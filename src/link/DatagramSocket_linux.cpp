#include "link/DatagramSocket.h"

#include "link/UdpRemoteErrors.h"

#include <QAbstractSocket>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace spectrel {

namespace {

// Larger than any UDP payload over IPv4, so that no datagram is cut.
constexpr int kLargestDatagram = 65536;
// Datagrams taken by one system call at most.
constexpr int kBatch = 4;

} // namespace

struct DatagramSocket::Native {
    int fd = -1;
    quint16 port = 0;
    // One notifier for the socket's whole life: it is moved to each new descriptor, never deleted while it
    // may be raising its own signal.
    QSocketNotifier notifier{QSocketNotifier::Read};
    std::vector<udp::RemoteError> remoteErrors; // taken off the error queue, not yet handed out
    std::array<mmsghdr, kBatch> messages{};
    std::array<iovec, kBatch> iov{};
    std::array<sockaddr_in, kBatch> from{};
    QString errorText;
    int errorNumber = -1;

    void fail(QAbstractSocket::SocketError number, int systemError)
    {
        errorNumber = int(number);
        errorText = QString::fromLocal8Bit(std::strerror(systemError));
    }
};

DatagramSocket::DatagramSocket(QObject* parent) : QObject(parent), m_native(std::make_unique<Native>())
{
    m_native->notifier.setEnabled(false);
    connect(&m_native->notifier, &QSocketNotifier::activated, this, &DatagramSocket::readable);
}

DatagramSocket::~DatagramSocket()
{
    close();
}

DatagramSocket::BindResult DatagramSocket::bind(quint16 port)
{
    close();
    Native& n = *m_native;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        n.fail(QAbstractSocket::SocketResourceError, errno);
        return BindResult::Failed;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(port);
    socklen_t length = sizeof local;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        const int error = errno;
        ::close(fd);
        const bool inUse = error == EADDRINUSE;
        n.fail(inUse ? QAbstractSocket::AddressInUseError : QAbstractSocket::SocketAccessError, error);
        return inUse ? BindResult::PortInUse : BindResult::Failed;
    }
    n.fd = fd;
    n.port = ntohs(local.sin_port);
    udp::enableRemoteErrors(fd);
    n.notifier.setSocket(fd);
    n.notifier.setEnabled(true);
    return BindResult::Bound;
}

void DatagramSocket::close()
{
    Native& n = *m_native;
    if (n.fd < 0)
        return;
    n.notifier.setEnabled(false);
    ::close(n.fd);
    n.fd = -1;
    n.port = 0;
    n.remoteErrors.clear();
}

quint16 DatagramSocket::localPort() const
{
    return m_native->port;
}

QString DatagramSocket::errorText() const
{
    return m_native->errorText;
}

int DatagramSocket::errorNumber() const
{
    return m_native->errorNumber;
}

DatagramSocket::SendResult DatagramSocket::send(const QByteArray& datagram, quint32 ipv4, quint16 port)
{
    Native& n = *m_native;
    if (n.fd < 0 && bind(0) != BindResult::Bound) // a closed socket sends from any free port, as Qt's does
        return SendResult::Failed;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(ipv4);
    to.sin_port = htons(port);
    for (;;) {
        if (::sendto(n.fd, datagram.constData(), size_t(datagram.size()), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof to) >= 0)
            return SendResult::Sent;
        if (errno == EINTR)
            continue;
        if (errno == EMSGSIZE) {
            n.fail(QAbstractSocket::DatagramTooLargeError, errno);
            return SendResult::Failed;
        }
        n.fail(QAbstractSocket::NetworkError, errno);
        return SendResult::Unreachable;
    }
}

int DatagramSocket::receive(Arrival* const* into, int room)
{
    Native& n = *m_native;
    int taken = 0;
    for (int guard = 0; guard < 64 && taken < room; ++guard) { // a read fails once for each error it reports
        if (!n.remoteErrors.empty()) {
            Arrival& a = *into[taken++];
            a.kind = n.remoteErrors.front() == udp::RemoteError::Refused ? Arrival::Kind::Refused
                                                                         : Arrival::Kind::Unreachable;
            a.fromIPv4 = false;
            a.data.resize(0); // keeps the buffer
            n.remoteErrors.erase(n.remoteErrors.begin());
            continue;
        }
        if (n.fd < 0)
            break;

        // Everything that waits in one system call.
        const int count = std::min(room - taken, kBatch);
        for (int i = 0; i < count; ++i) {
            Arrival& a = *into[taken + i];
            a.data.resize(kLargestDatagram);
            n.iov[i] = iovec{a.data.data(), size_t(kLargestDatagram)};
            n.from[i] = sockaddr_in{};
            n.messages[i] = mmsghdr{};
            n.messages[i].msg_hdr.msg_name = &n.from[i];
            n.messages[i].msg_hdr.msg_namelen = sizeof n.from[i];
            n.messages[i].msg_hdr.msg_iov = &n.iov[i];
            n.messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int received = ::recvmmsg(n.fd, n.messages.data(), unsigned(count), MSG_DONTWAIT, nullptr);
        const int error = errno;
        for (int i = 0; i < count; ++i) {
            Arrival& a = *into[taken + i];
            if (i >= received) {
                a.data.resize(0); // keeps the buffer
                continue;
            }
            a.data.resize(qsizetype(n.messages[i].msg_len));
            a.kind = Arrival::Kind::Datagram;
            a.fromIPv4 =
                n.messages[i].msg_hdr.msg_namelen >= sizeof(sockaddr_in) && n.from[i].sin_family == AF_INET;
        }
        if (received > 0) {
            taken += received;
            if (received < count)
                break;
            continue;
        }
        if (received == 0 || error == EAGAIN || error == EWOULDBLOCK)
            break;
        switch (error) {
        case EINTR:
            continue;
        case EBADF:
        case EFAULT:
        case EINVAL:
        case ENOMEM:
        case ENOTSOCK:
            n.fail(QAbstractSocket::UnknownSocketError, error);
            Q_EMIT failed();
            return taken;
        default:
            // An error that came back from the network for an earlier datagram: the queue says which.
            n.remoteErrors = udp::takeRemoteErrors(n.fd);
            break;
        }
    }
    return taken;
}

} // namespace spectrel
