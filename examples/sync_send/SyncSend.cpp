// Sends one mail and waits for the outcome: the simplest host.
//
//   sync_send SERVER PORT FROM TO [plain]
//
// "plain" sends without STARTTLS, for a local test server; by default the
// client requires it. Build: see CMakeLists.txt beside this file.
#include <smtpclient/IMimeMessage.h>
#include <smtpclient/ISmtpClient.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ExampleText.h"

using namespace SMTPClientNS;

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s SERVER PORT FROM TO [plain]\n", argv[0]);
        return 2;
    }
    const bool plain = argc > 5 && std::strcmp(argv[5], "plain") == 0;

    // Both objects come from the library's factories and go back with Release.
    ISmtpClient* client = CreateSmtpClient();
    IMimeMessage* message = CreateMimeMessage();

    client->SetHost(Widen(argv[1]).c_str());
    client->SetPort(std::atoi(argv[2])); // there is no default port
    client->SetUseTls(!plain);
    client->SetConnectTimeout(10);
    // A server that asks for a login: client->SetUser(...), client->SetPassword(...).

    // Adders refuse a malformed address with -1.
    if (message->SetFrom(Widen(argv[3]).c_str(), SMTPCLIENT_TEXT("Example host")) != 1
        || message->AddTo(Widen(argv[4]).c_str(), SMTPCLIENT_TEXT("")) != 1) {
        std::fprintf(stderr, "not an address: %s or %s\n", argv[3], argv[4]);
        return 2;
    }
    message->SetSubject(SMTPCLIENT_TEXT("Hello from sync_send"));
    message->SetTextBody(SMTPCLIENT_TEXT("This mail was sent synchronously.\r\n"));

    // The client sends the message attached to it; Send returns when the
    // server has accepted the mail (1) or the send has failed (negative).
    client->SetMimeMessage(message);
    const int result = client->Send();
    std::printf("result %d\n", result);
    if (result != kResultSuccess)
        // The session log's last entry says why, in the server's words when
        // it refused something.
        std::fputs(Narrow(client->GetLastLogEntry()).c_str(), stdout);

    client->Release();
    message->Release();
    return result == kResultSuccess ? 0 : 1;
}
