// A message attached to a real client, as the builders receive it during a
// send, and the masking of the header lines that change with every call.
#ifndef SMTPCLIENT_TESTS_COMPOSITION_COMPOSEDMESSAGE_H
#define SMTPCLIENT_TESTS_COMPOSITION_COMPOSEDMESSAGE_H

#include <string>

#include "smtpclient/ISmtpClient.h"
#include "smtpclient/mime/MimeMessage.h"

namespace SMTPClientTest {

class ComposedMessage {
public:
    ComposedMessage();
    ~ComposedMessage();
    ComposedMessage(const ComposedMessage&) = delete;
    ComposedMessage& operator=(const ComposedMessage&) = delete;

    SMTPClientNS::CMimeMessage& message() { return *message_; }
    SMTPClientNS::ISmtpClient* client() { return client_; }

private:
    SMTPClientNS::CMimeMessage* message_;
    SMTPClientNS::ISmtpClient* client_;
};

// The header block with the value of a well-formed Date line replaced by
// "<date>" and that of a well-formed Message - ID line (upper-case GUID, this
// computer's name) by "<id>". Malformed lines stay as they are, so a whole
// block comparison shows them.
std::string MaskHeaderBlock(const std::string& block);

} // namespace SMTPClientTest

#endif
