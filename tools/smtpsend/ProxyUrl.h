// The --proxy argument: scheme://[user:password@]host:port.
#ifndef SMTPSEND_PROXYURL_H
#define SMTPSEND_PROXYURL_H

#include <string>

namespace SmtpSend {

struct ProxyUrl {
    int type = 2;     // the library's proxy type: 0 SOCKS4, 1 SOCKS4a, 2 SOCKS5, 3 SOCKS5h
    std::string host; // an IPv6 address keeps its brackets
    int port = 0;
    std::string user; // percent-decoded; empty when none was given
    std::string password;
};

// Accepts the schemes socks4, socks4a, socks5 and socks5h. Throws
// std::invalid_argument naming what is wrong.
ProxyUrl ParseProxyUrl(const std::string& url);

} // namespace SmtpSend

#endif
