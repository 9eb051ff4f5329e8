// A listening TCP socket on 127.0.0.1 with a port of the system's choosing, for the small servers
// the client tests script; and what such a server saw of a connection the client gave up on.
#pragma once

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cstddef>

namespace vxt::test {

// A receive buffer as small as the system allows: a peer that reads slowly, or not at all, holds
// back the client's bytes in the client's own queue.
inline void ShrinkReceiveBuffer(int fd)
{
    const int size = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
}

// Returns the socket (-1 when none could be made) and sets `port`. Connections it accepts have the
// smallest receive buffer when `smallReceiveBuffer` is set.
inline int ListenOnLoopback(int &port, bool smallReceiveBuffer = false)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (smallReceiveBuffer) ShrinkReceiveBuffer(fd);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(fd, 1);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    port = ntohs(a.sin_port);
    return fd;
}

// How a connection ended for the peer that read it to its end.
struct TReadToEnd {
    size_t Bytes = 0;     // all it ever got
    int Error = 0;        // errno of the read that ended it; 0 for an orderly close
    bool Ended = false;   // false: still open when the wait ran out
};

// Reads `fd` until the other side closes or resets it, waiting at most `ms` for each read.
inline TReadToEnd ReadToEnd(int fd, int ms = 10000)
{
    TReadToEnd r;
    char buf[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) return r;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n > 0) {
            r.Bytes += size_t(n);
            continue;
        }
        r.Error = n < 0 ? errno : 0;
        r.Ended = true;
        return r;
    }
}

}  // namespace vxt::test
