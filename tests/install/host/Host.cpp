// A host that sees only the installed headers and the exported factories.
#include <smtpclient/IMimeMessage.h>
#include <smtpclient/ISmtpClient.h>

#include <cstdio>
#include <string>

int main()
{
    SmtpClientSetMessageLanguage(0);
    SMTPClientNS::ISmtpClient* client = CreateSmtpClient();
    SMTPClientNS::IMimeMessage* message = CreateMimeMessage();
    if (client == nullptr || message == nullptr)
        return 1;
    client->SetHost(SMTPCLIENT_TEXT("mail.example.org"));
    const std::basic_string<SMTPClientNS::SmtpChar> host = client->GetHost();
    const bool passed = host == SMTPCLIENT_TEXT("mail.example.org")
                        && message->AddCc(SMTPCLIENT_TEXT("bad"), nullptr) == -1;
    client->Release();
    message->Release();
    std::printf("host: %s\n", passed ? "passed" : "FAILED");
    return passed ? 0 : 1;
}
