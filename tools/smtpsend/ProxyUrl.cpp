#include "ProxyUrl.h"

#include <cctype>
#include <stdexcept>

#include "Numbers.h"

namespace SmtpSend {

namespace {

struct Scheme {
    const char* name;
    int type;
};

const Scheme kSchemes[] = {
    {"socks4", 0},
    {"socks4a", 1},
    {"socks5", 2},
    {"socks5h", 3},
};

int SchemeType(const std::string& name)
{
    for (const Scheme& scheme : kSchemes) {
        if (name == scheme.name)
            return scheme.type;
    }
    throw std::invalid_argument("unknown proxy scheme \"" + name
                                + "\" (use socks4, socks4a, socks5 or socks5h)");
}

int HexValue(char digit)
{
    if (!std::isxdigit(static_cast<unsigned char>(digit)))
        throw std::invalid_argument("bad percent escape in the proxy credentials");
    return std::isdigit(static_cast<unsigned char>(digit))
               ? digit - '0'
               : std::tolower(static_cast<unsigned char>(digit)) - 'a' + 10;
}

std::string PercentDecoded(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            throw std::invalid_argument("bad percent escape in the proxy credentials");
        out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
        i += 2;
    }
    return out;
}

void ParseCredentials(const std::string& credentials, ProxyUrl& proxy)
{
    const size_t colon = credentials.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == credentials.size())
        throw std::invalid_argument("proxy credentials must be user:password");
    proxy.user = PercentDecoded(credentials.substr(0, colon));
    proxy.password = PercentDecoded(credentials.substr(colon + 1));
}

void ParseHostAndPort(const std::string& authority, ProxyUrl& proxy)
{
    const size_t colon = authority.rfind(':');
    const size_t closingBracket = authority.rfind(']');
    if (colon == std::string::npos
        || (closingBracket != std::string::npos && colon < closingBracket))
        throw std::invalid_argument("the proxy needs a port (host:port)");
    proxy.host = authority.substr(0, colon);
    if (proxy.host.empty())
        throw std::invalid_argument("the proxy needs a host");
    proxy.port = ParseNumber(authority.substr(colon + 1), 1, 65535, "proxy port");
}

} // namespace

ProxyUrl ParseProxyUrl(const std::string& url)
{
    const size_t separator = url.find("://");
    if (separator == std::string::npos)
        throw std::invalid_argument("the proxy must be written as scheme://host:port");
    ProxyUrl proxy;
    proxy.type = SchemeType(url.substr(0, separator));
    std::string authority = url.substr(separator + 3);
    if (!authority.empty() && authority.back() == '/')
        authority.pop_back();
    const size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        ParseCredentials(authority.substr(0, at), proxy);
        authority.erase(0, at + 1);
    }
    ParseHostAndPort(authority, proxy);
    return proxy;
}

} // namespace SmtpSend
