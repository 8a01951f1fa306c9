#include "link/UdpRemoteErrors.h"

#include <linux/errqueue.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

namespace spectrel::udp {

void enableRemoteErrors(qintptr descriptor)
{
    // Without IP_RECVERR Linux drops ICMP errors for unconnected UDP sockets silently.
    const int on = 1;
    ::setsockopt(int(descriptor), IPPROTO_IP, IP_RECVERR, &on, sizeof on);
}

std::vector<RemoteError> takeRemoteErrors(qintptr descriptor)
{
    std::vector<RemoteError> out;
    for (int guard = 0; guard < 64; ++guard) {
        char control[512];
        char data[64];
        iovec iov{data, sizeof data};
        sockaddr_in from{};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        if (::recvmsg(int(descriptor), &msg, MSG_ERRQUEUE | MSG_DONTWAIT) < 0)
            break;
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR)
                continue;
            const auto* e = reinterpret_cast<const sock_extended_err*>(CMSG_DATA(c));
            if (e->ee_errno == ECONNREFUSED)
                out.push_back(RemoteError::Refused);
            else if (e->ee_errno == EHOSTUNREACH || e->ee_errno == ENETUNREACH)
                out.push_back(RemoteError::Unreachable);
        }
    }
    return out;
}

} // namespace spectrel::udp
