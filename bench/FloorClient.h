#pragma once

#include <QtGlobal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace spectrel::bench {

// The floor of the benchmarks: a `status` request as a fresh challenge, then the command, with nothing but
// blocking system calls and a byte search.
class FloorClient {
public:
    explicit FloorClient(quint16 port)
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        ::bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof local);
        timeval timeout{2, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        m_proxy.sin_family = AF_INET;
        m_proxy.sin_port = htons(port);
        m_proxy.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    ~FloorClient() { ::close(m_fd); }
    FloorClient(const FloorClient&) = delete;
    FloorClient& operator=(const FloorClient&) = delete;

    bool valid() const { return m_fd >= 0; }

    bool status()
    {
        static const char kChallenge[] = "\xFF\xFF\xFF\xFF"
                                         "challenge rcon";
        if (!send(kChallenge, sizeof kChallenge)) // with the terminating 0x00
            return false;
        const ssize_t n = receive();
        static const char kMarker[] = "challenge rcon ";
        const char* at =
            n > 0 ? static_cast<const char*>(memmem(m_buffer, size_t(n), kMarker, sizeof kMarker - 1))
                  : nullptr;
        if (!at)
            return false;
        const char* number = at + sizeof kMarker - 1;
        const char* end = static_cast<const char*>(memchr(number, '\n', size_t(m_buffer + n - number)));
        if (!end)
            return false;

        char line[128];
        const int length = std::snprintf(line, sizeof line, "\xFF\xFF\xFF\xFFrcon %.*s \"demo\" status",
                                         int(end - number), number);
        if (length <= 0 || length >= int(sizeof line) || !send(line, size_t(length) + 1))
            return false;
        const ssize_t m = receive();
        static const char kStatus[] = "--- HLTV Status ---";
        return m > 0 && memmem(m_buffer, size_t(m), kStatus, sizeof kStatus - 1) != nullptr;
    }

private:
    bool send(const char* data, size_t size)
    {
        return ::sendto(m_fd, data, size, 0, reinterpret_cast<const sockaddr*>(&m_proxy), sizeof m_proxy) ==
               ssize_t(size);
    }
    ssize_t receive()
    {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        return ::recvfrom(m_fd, m_buffer, sizeof m_buffer, 0, reinterpret_cast<sockaddr*>(&from),
                          &fromLength);
    }

    int m_fd = -1;
    sockaddr_in m_proxy{};
    char m_buffer[65536];
};

} // namespace spectrel::bench
