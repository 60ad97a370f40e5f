#include "LibraryTransfer.h"

#include <string>

namespace SMTPClientBench {

namespace {

typedef std::basic_string<SMTPClientNS::SmtpChar> WideText;

// The content is ASCII, so widening each byte is the whole conversion.
WideText Widen(const std::string& text)
{
    return WideText(text.begin(), text.end());
}

} // namespace

LibraryClient::LibraryClient(const MessageContent& content, int port)
    : client(CreateSmtpClient()), message(CreateMimeMessage())
{
    message->SetFrom(Widen(content.fromAddress).c_str(), Widen(content.fromName).c_str());
    message->AddTo(Widen(content.toAddress).c_str(), Widen("").c_str());
    message->SetSubject(Widen(content.subject).c_str());
    message->SetTextBody(Widen(content.textBody).c_str());
    if (!content.attachmentPath.empty())
        message->AddAttachment(Widen(content.attachmentPath).c_str());
    client->SetHost(Widen("127.0.0.1").c_str());
    client->SetPort(port);
    client->SetUseTls(false);
    client->SetMimeMessage(message);
}

LibraryClient::~LibraryClient()
{
    client->Release();
    message->Release();
}

} // namespace SMTPClientBench
