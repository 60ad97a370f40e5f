// A message attached to a real client, as the builders receive it during a
// send.
#ifndef SMTPCLIENT_TESTS_COMPOSITION_COMPOSEDMESSAGE_H
#define SMTPCLIENT_TESTS_COMPOSITION_COMPOSEDMESSAGE_H

#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/mime/MimeMessage.h"

namespace SMTPClientTest {

struct ComposedMessage {
    ComposedMessage() { client->SetMimeMessage(message); }
    ~ComposedMessage()
    {
        client->Release();
        message->Release();
    }
    ComposedMessage(const ComposedMessage&) = delete;
    ComposedMessage& operator=(const ComposedMessage&) = delete;

    SMTPClientNS::CMimeMessage* const message = new SMTPClientNS::CMimeMessage();
    SMTPClientNS::ISmtpClient* const client =
        new SMTPClientNS::CSmtpClient(new SMTPClientNS::CSmtpClientWrapper());
};

} // namespace SMTPClientTest

#endif
