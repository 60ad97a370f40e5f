// A free port on 127.0.0.1 that never accepts: listening, connections hang
// without a greeting until the time-out; not listening, they are refused.
#ifndef SMTPCLIENT_TESTS_LOOPBACKPORT_H
#define SMTPCLIENT_TESTS_LOOPBACKPORT_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace SMTPClientTest {

class LoopbackPort {
public:
    explicit LoopbackPort(bool listening = true) : socketFd(socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(socketFd, reinterpret_cast<sockaddr*>(&address), length) == 0
            && (!listening || listen(socketFd, 16) == 0)
            && getsockname(socketFd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
    }
    ~LoopbackPort() { close(socketFd); }
    LoopbackPort(const LoopbackPort&) = delete;
    LoopbackPort& operator=(const LoopbackPort&) = delete;

    int Port() const { return port; }

    // True once a connection waits to be accepted.
    bool SomeoneConnected(int timeoutMs = 0) const
    {
        pollfd entry = {socketFd, POLLIN, 0};
        return poll(&entry, 1, timeoutMs) == 1;
    }

private:
    int socketFd;
    int port = 0;
};

} // namespace SMTPClientTest

#endif
