// A listening socket on 127.0.0.1 that never accepts: the kernel completes
// the handshake, no greeting ever comes, so a send against it waits until
// its time-out. It also tells whether anyone connected.
#ifndef SMTPCLIENT_TESTS_LOCALLISTENER_H
#define SMTPCLIENT_TESTS_LOCALLISTENER_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace SMTPClientTest {

class LocalListener {
public:
    LocalListener() : socketFd(socket(AF_INET, SOCK_STREAM, 0)), port(0)
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(socketFd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            listen(socketFd, 16) == 0 &&
            getsockname(socketFd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
    }
    ~LocalListener() { close(socketFd); }
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

    int Port() const { return port; }

    // True once a connection waits to be accepted.
    bool SomeoneConnected(int timeoutMs = 0) const
    {
        pollfd entry = {socketFd, POLLIN, 0};
        return poll(&entry, 1, timeoutMs) == 1;
    }

private:
    int socketFd;
    int port;
};

} // namespace SMTPClientTest

#endif
