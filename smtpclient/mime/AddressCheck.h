#ifndef SMTPCLIENT_MIME_ADDRESSCHECK_H
#define SMTPCLIENT_MIME_ADDRESSCHECK_H

#include "../IMimeMessage.h"

namespace SMTPClientNS {

// An address needs an at sign that is neither its first nor its last
// character, and may hold no CR or LF (which would let it inject SMTP
// commands into the envelope).
bool IsValidAddress(const SmtpChar* address);

} // namespace SMTPClientNS

#endif
