// Sending the attached message a number of times, synchronously or through
// the library's worker thread.
#ifndef SMTPSEND_SENDING_H
#define SMTPSEND_SENDING_H

#include <smtpclient/ISmtpClient.h>

#include "SendReport.h"

namespace smtpsend {

// Calls Send count times, reporting each outcome; numbered puts "send N"
// before each.
SendTally SendSynchronously(SMTPClientNS::ISmtpClient& client, int count, bool numbered);

// Queues count sends with SendAsync, then dispatches the calling thread's
// messages until every completion has arrived, reporting each one with its
// task id and the library's message.
SendTally SendAsynchronously(SMTPClientNS::ISmtpClient& client, int count);

} // namespace smtpsend

#endif
