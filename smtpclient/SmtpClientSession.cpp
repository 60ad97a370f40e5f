// Placeholder until the synchronous send and the session log are written.
#include "SmtpClientWrapper.h"

namespace SMTPClientNS {

int CSmtpClientWrapper::Send() { return -1; }
const SmtpChar* CSmtpClientWrapper::GetSessionLog() { return SMTPCLIENT_TEXT(""); }
const SmtpChar* CSmtpClientWrapper::GetLastLogEntry() { return SMTPCLIENT_TEXT(""); }
void CSmtpClientWrapper::WriteSessionLogFile() {}

} // namespace SMTPClientNS
