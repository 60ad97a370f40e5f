// A mail address as the envelope and the header lines carry it.
#ifndef SMTPCLIENT_MIME_WIREADDRESS_H
#define SMTPCLIENT_MIME_WIREADDRESS_H

#include <string>

#include "../WideString.h"

namespace SMTPClientNS {

// An ASCII address as it is. Any other goes out in UTF-8 (RFC 6531, 6532),
// its domain (after the last at sign) as IDNA A-labels when it is a valid
// internationalised name, so that only a local part that is not ASCII, or a
// domain with no A-label form, leaves 8-bit bytes in it.
std::string WireAddress(const SmtpChar* address);

// True when the address's wire form holds 8-bit bytes: only SMTPUTF8 may
// carry it.
bool NeedsSmtputf8(const std::string& wireAddress);

} // namespace SMTPClientNS

#endif
