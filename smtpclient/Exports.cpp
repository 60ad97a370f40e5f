// The library's only visible entry points.
#include "ISmtpClient.h"

#include <memory>

#include "NoThrow.h"
#include "ResultTable.h"
#include "SmtpClient.h"
#include "SmtpClientWrapper.h"
#include "mime/MimeMessage.h"
#include "platform/MessageQueue.h"

using namespace SMTPClientNS;

extern "C" {

// Memory that runs out gives null from a factory, -1 from the entry points
// that return a number.

SMTPCLIENT_API ISmtpClient* SMTPCLIENT_CALL CreateSmtpClient(void)
{
    return NoThrow<ISmtpClient*>(nullptr, [] {
        // Freed again when the client around it cannot be made.
        std::unique_ptr<CSmtpClientWrapper> implementation(new CSmtpClientWrapper());
        ISmtpClient* client = new CSmtpClient(implementation.get());
        implementation.release();
        return client;
    });
}

SMTPCLIENT_API IMimeMessage* SMTPCLIENT_CALL CreateMimeMessage(void)
{
    return NoThrow<IMimeMessage*>(nullptr, [] { return new CMimeMessage(); });
}

SMTPCLIENT_API void SMTPCLIENT_CALL SmtpClientSetMessageLanguage(int language)
{
    SetMessageLanguage(language);
}

SMTPCLIENT_API int SMTPCLIENT_CALL SmtpClientDispatchMessages(int timeoutMs)
{
    return NoThrow(-1, [timeoutMs] { return Platform::DispatchWaitingMessages(timeoutMs); });
}

SMTPCLIENT_API int SMTPCLIENT_CALL SmtpClientMessageFd(void)
{
    return NoThrow(-1, [] { return Platform::MessageQueueDescriptor(); });
}

} // extern "C"
