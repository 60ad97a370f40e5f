// Sending the attached message a number of times, synchronously or through
// the library's worker thread.
#ifndef SMTPSEND_SENDING_H
#define SMTPSEND_SENDING_H

#include <smtpclient/ISmtpClient.h>

#include "SendReport.h"

namespace SmtpSend {

// Calls Send count times, reporting each outcome and, for a failure, the
// library's last log entry, which says what the server refused; numbered
// puts "send N" before each. Unless verbose, what the library writes to
// standard error during the send is hidden.
SendTally SendSynchronously(SMTPClientNS::ISmtpClient& client, int count, bool numbered,
                            bool verbose);

// Queues count sends with SendAsync, then dispatches the calling thread's
// messages until every completion has arrived, reporting each one with its
// task id and, for a failure, the library's message. A send that SendAsync
// could not queue is reported as failed at once and not waited for.
SendTally SendAsynchronously(SMTPClientNS::ISmtpClient& client, int count);

} // namespace SmtpSend

#endif
