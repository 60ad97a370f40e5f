// The library's only visible entry points.
#include "ISmtpClient.h"

#include "ResultTable.h"
#include "SmtpClient.h"
#include "SmtpClientWrapper.h"
#include "mime/MimeMessage.h"
#include "platform/MessageQueue.h"

using namespace SMTPClientNS;

extern "C" {

SMTPCLIENT_API ISmtpClient* SMTPCLIENT_CALL CreateSmtpClient(void)
{
    return new CSmtpClient(new CSmtpClientWrapper());
}

SMTPCLIENT_API IMimeMessage* SMTPCLIENT_CALL CreateMimeMessage(void)
{
    return new CMimeMessage();
}

SMTPCLIENT_API void SMTPCLIENT_CALL SmtpClientSetMessageLanguage(int language)
{
    SetMessageLanguage(language);
}

SMTPCLIENT_API int SMTPCLIENT_CALL SmtpClientDispatchMessages(int timeoutMs)
{
    return Platform::DispatchWaitingMessages(timeoutMs);
}

SMTPCLIENT_API int SMTPCLIENT_CALL SmtpClientMessageFd(void)
{
    return Platform::MessageQueueDescriptor();
}

} // extern "C"
