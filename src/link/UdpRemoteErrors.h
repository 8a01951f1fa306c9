#pragma once

#include <QtGlobal>

#include <vector>

// ICMP errors that come back for datagrams a connectionless socket sent. Only some platforms report them on
// an unconnected socket, and only when asked to; elsewhere these functions do nothing.
namespace spectrel::udp {

enum class RemoteError {
    Refused,     // nothing listens on the remote port (port unreachable)
    Unreachable, // the remote host or its network cannot be reached
};

// Asks the platform to queue remote errors on this socket.
void enableRemoteErrors(qintptr descriptor);
// The remote errors queued since the last call, oldest first.
std::vector<RemoteError> takeRemoteErrors(qintptr descriptor);

} // namespace spectrel::udp
