#pragma once

#include "link/DatagramSocket.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace spectrel {

// The link's socket with its inbox: datagrams go out framed as the remote console frames them, and
// everything the socket has waiting is taken in one go into a small ring of arrivals, handled afterwards one
// by one. The ring and the send buffer keep their memory from one exchange to the next.
class RconSocket {
public:
    DatagramSocket& socket() { return m_socket; }
    const DatagramSocket& socket() const { return m_socket; }

    // Binds afresh; the inbox is emptied.
    DatagramSocket::BindResult bind(quint16 port);
    void close();

    // Sends 0xFF 0xFF 0xFF 0xFF, `text` in the 8-bit code page, 0x00.
    DatagramSocket::SendResult send(const QString& text, quint32 ipv4, quint16 port);

    // Takes what the socket has waiting into the inbox (a bounded amount; the socket reports the rest again).
    void takeArrivals();
    bool hasArrivals() const { return m_count > 0; }

    // The oldest arrival, out of the inbox. `text` is the datagram as one character per byte; it is set only
    // for a datagram that counts, one from an IPv4 sender.
    struct Received {
        DatagramSocket::Arrival::Kind kind = DatagramSocket::Arrival::Kind::Datagram;
        bool counts = false;
        QString text;
    };
    std::optional<Received> next();

private:
    DatagramSocket m_socket;
    QByteArray m_sendBuffer;
    std::vector<DatagramSocket::Arrival> m_ring;
    std::size_t m_head = 0;
    std::size_t m_count = 0;
};

} // namespace spectrel
