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

inline bool operator==(const ProxyRoute& a, const ProxyRoute& b)
{
    return a.host == b.host && a.port == b.port && a.type == b.type && a.user == b.user
           && a.password == b.password;
}

inline bool operator==(const ConnectionSettings& a, const ConnectionSettings& b)
{
    return a.host == b.host && a.port == b.port && a.useProxy == b.useProxy && a.proxy == b.proxy
           && a.user == b.user && a.password == b.password && a.oauth2Token == b.oauth2Token
           && a.useTls == b.useTls && a.tlsVersion == b.tlsVersion
           && a.verifyCertificate == b.verifyCertificate
           && a.verifyCertificateStatus == b.verifyCertificateStatus;
}

// The client's options (SetOption) as one send uses them; the defaults are
// the library without options.
struct SendOptions {
    bool keepConnection = false;
    int32_t messagesPerConnection = 100; // 0: no cap
    bool partialDelivery = false;
    bool completionDetail = false;
    bool traceToStandardError = true;
};

struct SendSettings {
    ConnectionSettings connection;
    int32_t connectTimeout = 0;
    SendOptions options;
};

} // namespace SMTPClientNS

#endif
