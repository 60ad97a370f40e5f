// Internationalised domain names (IDNA) in the ASCII form that SMTP and
// header lines carry everywhere.
#ifndef SMTPCLIENT_PLATFORM_DOMAINNAME_H
#define SMTPCLIENT_PLATFORM_DOMAINNAME_H

#include <string>

#include "../IMimeMessage.h"

namespace SMTPClientNS {
namespace Platform {

// The domain with each label that is not ASCII as its A-label
// ("bücher.example" gives "xn--bcher-kva.example"). False, with ascii
// unchanged, when the domain is no valid internationalised name.
bool DomainToAscii(const SmtpChar* domain, std::string& ascii);

} // namespace Platform
} // namespace SMTPClientNS

#endif
