#include "link/UdpRemoteErrors.h"

// Elsewhere remote errors are not read from the socket: Qt's Windows socket engine switches the report of
// refused datagrams off, and other systems do not report them to an unconnected socket.
namespace spectrel::udp {

void enableRemoteErrors(qintptr) {}

std::vector<RemoteError> takeRemoteErrors(qintptr)
{
    return {};
}

} // namespace spectrel::udp
