// Applies the connection, login, proxy and log options to a client.
#ifndef SMTPSEND_CLIENTSETUP_H
#define SMTPSEND_CLIENTSETUP_H

#include <smtpclient/ISmtpClient.h>

#include "Credentials.h"
#include "Options.h"

namespace SmtpSend {

// Throws InputError for text that is not valid UTF-8.
void ConfigureClient(SMTPClientNS::ISmtpClient& client, const SendOptions& options,
                     const Credentials& credentials);

} // namespace SmtpSend

#endif
