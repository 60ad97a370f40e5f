// Where libcurl connects, and how the session starts its TLS.
#ifndef SMTPCLIENT_SERVERURL_H
#define SMTPCLIENT_SERVERURL_H

#include <string>

namespace SMTPClientNS {

// Port 465 is submission over implicit TLS (RFC 8314): its servers speak TLS
// from the first byte and never greet in clear.
bool UsesImplicitTls(int port);

// "smtps://host" for the implicit-TLS port, "smtp://host" for every other
// port, where TLS, when on, starts with STARTTLS.
std::string ServerUrl(const std::string& host, int port);

} // namespace SMTPClientNS

#endif
