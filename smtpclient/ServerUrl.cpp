#include "ServerUrl.h"

namespace SMTPClientNS {

namespace {

const int kImplicitTlsPort = 465;

} // namespace

bool UsesImplicitTls(int port)
{
    return port == kImplicitTlsPort;
}

std::string ServerUrl(const std::string& host, int port)
{
    return (UsesImplicitTls(port) ? "smtps://" : "smtp://") + host;
}

} // namespace SMTPClientNS
