// A client's settings as one send uses them, taken once on the host's
// thread: text already in the ANSI code page that libcurl's options take,
// numbers as numbers.
#ifndef SMTPCLIENT_SENDSETTINGS_H
#define SMTPCLIENT_SENDSETTINGS_H

#include <cstdint>
#include <string>

namespace SMTPClientNS {

struct ProxyRoute {
    std::string host;
    int32_t port = -1;
    int32_t type = 2; // 0 SOCKS4, 1 SOCKS4a, 2 SOCKS5, 3 SOCKS5 with proxy resolution
    std::string user;
    std::string password;
};

// What names a connection: a connection made under one of these serves only
// sends under an equal one.
struct ConnectionSettings {
    std::string host;
    int32_t port = -1;
    bool useProxy = false;
    ProxyRoute proxy;
    std::string user;
    std::string password;
    std::string oauth2Token;
    bool useTls = true;
    int32_t tlsVersion = 0;
    int32_t verifyCertificate = 0;
    bool verifyCertificateStatus = false;
};

struct SendSettings {
    ConnectionSettings connection;
    int32_t connectTimeout = 0;
};

} // namespace SMTPClientNS

#endif
