// Building one libcurl SMTP transfer from a client's settings and its
// attached message.
#ifndef SMTPCLIENT_SENDPIPELINE_H
#define SMTPCLIENT_SENDPIPELINE_H

#include "ISmtpClient.h"
#include "Transfer.h"

namespace SMTPClientNS {

// 0 when the transfer is ready to perform, otherwise the raw outcome that
// stopped the build: CURLE_OUT_OF_MEMORY when memory ran out. Never throws;
// its steps throw std::bad_alloc instead.
int BuildRequest(Transfer& transfer, ISmtpClient* client);

} // namespace SMTPClientNS

#endif
