// Fills a message from the command line through the public interface.
#ifndef SMTPSEND_MESSAGESETUP_H
#define SMTPSEND_MESSAGESETUP_H

#include <smtpclient/IMimeMessage.h>

#include "Options.h"

namespace SmtpSend {

// Throws InputError when the library refuses an address or a file, or when a
// body file cannot be read.
void FillMessage(SMTPClientNS::IMimeMessage& message, const SendOptions& options);

} // namespace SmtpSend

#endif
