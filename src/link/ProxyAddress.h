#pragma once

#include <QString>
#include <QtGlobal>

namespace spectrel {

class Clock;
class ConnectionFields;
class Cues;
class Notices;

// Where datagrams go: the host and port of the connection fields as numbers. The port text and the host
// name are converted again only when they change; a host name is looked up with a bounded wait.
class ProxyAddress {
public:
    struct Services {
        ConnectionFields& fields;
        Notices& notices;
        Cues& cues;
        Clock& clock;
    };
    ProxyAddress(const Services& services, int lookupLimitMs) : m_s(services), m_lookupLimitMs(lookupLimitMs)
    {
    }

    enum class Found {
        Ready,       // `ipv4` and `port` hold the address
        NotANumber,  // the port is no number: warned, and the server and port fields are emptied
        Unreachable, // the port is out of range or the host has no IPv4 address
    };
    Found find(quint32& ipv4, quint16& port);

private:
    bool resolveHost(quint32& ipv4);

    Services m_s;
    int m_lookupLimitMs;
    QString m_portText; // the port field as last converted, and its value
    std::int32_t m_port = 0;
    QString m_hostName; // the server field as last found, and its IPv4 address
    quint32 m_hostAddress = 0;
};

} // namespace spectrel
