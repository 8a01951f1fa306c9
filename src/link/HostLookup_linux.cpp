#include "link/HostLookup.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace spectrel {

std::optional<quint32> resolveIPv4(const QString& name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.toUtf8().constData(), nullptr, &hints, &found) != 0 || found == nullptr)
        return std::nullopt;
    const quint32 address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    ::freeaddrinfo(found);
    return address;
}

} // namespace spectrel
