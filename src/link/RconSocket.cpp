#include "link/RconSocket.h"

#include "link/RconProtocol.h"
#include "text/CodePage.h"

#include <algorithm>
#include <array>

namespace spectrel {

namespace {

// Taken in one go, at most; the socket reports again for the rest.
constexpr std::size_t kLargestTake = 256;

// The code page and Latin-1 differ only in 0x80..0x9F: a datagram without those bytes, as the proxy's replies
// are, converts in one go.
QString replyText(const QByteArray& datagram)
{
    const bool latin1 = std::none_of(datagram.begin(), datagram.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80 && static_cast<unsigned char>(c) <= 0x9F;
    });
    return latin1 ? QString::fromLatin1(datagram) : rcon::datagramText(datagram);
}

} // namespace

DatagramSocket::BindResult RconSocket::bind(quint16 port)
{
    m_head = m_count = 0;
    return m_socket.bind(port);
}

void RconSocket::close()
{
    m_socket.close();
    m_head = m_count = 0;
}

DatagramSocket::SendResult RconSocket::send(const QString& text, quint32 ipv4, quint16 port)
{
    // As rcon::frameDatagram() frames it, into a buffer that keeps its capacity.
    m_sendBuffer.resize(4 + text.size() + 1);
    char* at = m_sendBuffer.data();
    at = std::fill_n(at, 4, '\xFF');
    for (QChar c : text)
        *at++ = char(text::codePageCode(c));
    *at = '\0';
    return m_socket.send(m_sendBuffer, ipv4, port);
}

void RconSocket::takeArrivals()
{
    constexpr std::size_t kRoom = 4;
    for (std::size_t taken = 0; taken < kLargestTake;) {
        if (m_ring.size() - m_count < kRoom) {
            std::rotate(m_ring.begin(), m_ring.begin() + std::ptrdiff_t(m_head), m_ring.end());
            m_head = 0;
            m_ring.resize(m_count + kRoom);
        }
        std::array<DatagramSocket::Arrival*, kRoom> room{};
        for (std::size_t i = 0; i < kRoom; ++i)
            room[i] = &m_ring[(m_head + m_count + i) % m_ring.size()];
        const int received = m_socket.receive(room.data(), int(kRoom));
        m_count += std::size_t(received);
        taken += std::size_t(received);
        if (received < int(kRoom))
            return;
    }
}

std::optional<RconSocket::Received> RconSocket::next()
{
    if (m_count == 0)
        return std::nullopt;
    const DatagramSocket::Arrival& arrival = m_ring[m_head];
    Received r;
    r.kind = arrival.kind;
    // Only IPv4 senders count. Their dotted form is never shorter than seven characters ("0.0.0.0"), so it
    // need not be made to be measured.
    r.counts = arrival.kind == DatagramSocket::Arrival::Kind::Datagram && arrival.fromIPv4;
    if (r.counts)
        r.text = replyText(arrival.data);
    m_head = (m_head + 1) % m_ring.size();
    --m_count;
    return r;
}

} // namespace spectrel
