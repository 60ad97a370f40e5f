// Sends 1,000 mails from one client over 4 kept connections, the way a
// newsletter or a notification service would, and waits for the
// completions with poll.
//
//   bulk_send SERVER PORT FROM TO [plain]
//
// "plain" sends without STARTTLS, for a local test server; by default the
// client requires it. Build against an installed SMTPClient with pkg-config:
//
//   c++ -I.. BulkSend.cpp $(pkg-config --cflags --libs smtpclient) -o bulk_send
#include <smtpclient/IMimeMessage.h>
#include <smtpclient/ISmtpClient.h>

#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ExampleText.h"

using namespace SMTPClientNS;

namespace {

const int kMails = 1000;

class Tally : public IAsyncCallback {
public:
    int OnSendComplete(int taskId, int resultCode, const SmtpChar* message) override
    {
        ++completed;
        if (resultCode == kResultSuccess)
            ++delivered;
        else
            std::printf("task %d: result %d %s\n", taskId, resultCode, Narrow(message).c_str());
        return 0;
    }

    int completed = 0;
    int delivered = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s SERVER PORT FROM TO [plain]\n", argv[0]);
        return 2;
    }
    const bool plain = argc > 5 && std::strcmp(argv[5], "plain") == 0;

    ISmtpClient* client = CreateSmtpClient();
    IMimeMessage* message = CreateMimeMessage();
    client->SetHost(Widen(argv[1]).c_str());
    client->SetPort(std::atoi(argv[2]));
    client->SetUseTls(!plain);
    client->SetConnectTimeout(10);
    // Four workers, each on a connection it keeps from mail to mail, so
    // only the first mail of each pays for the greeting, TLS and login.
    client->SetOption(kOptionKeepConnection, 1);
    client->SetOption(kOptionAsyncConnections, 4);
    if (message->SetFrom(Widen(argv[3]).c_str(), SMTPCLIENT_TEXT("Example host")) != 1
        || message->AddTo(Widen(argv[4]).c_str(), SMTPCLIENT_TEXT("")) != 1) {
        std::fprintf(stderr, "not an address: %s or %s\n", argv[3], argv[4]);
        return 2;
    }
    message->SetSubject(SMTPCLIENT_TEXT("Hello from bulk_send"));
    message->SetTextBody(SMTPCLIENT_TEXT("One of many.\r\n"));
    client->SetMimeMessage(message);

    Tally tally;
    client->SetAsyncCallback(&tally);
    // Each SendAsync copies the message as it is now: a host would change
    // the recipient or the body between the calls.
    for (int queued = 0; queued < kMails; ++queued) {
        if (client->SendAsync() < 0)
            std::fprintf(stderr, "mail %d not queued\n", queued + 1);
    }

    pollfd queue = {SmtpClientMessageFd(), POLLIN, 0};
    while (tally.completed < kMails) {
        if (poll(&queue, 1, 30000) <= 0) {
            std::fprintf(stderr, "no completion within 30 s\n");
            break;
        }
        SmtpClientDispatchMessages(0);
    }
    std::printf("%d of %d mails delivered\n", tally.delivered, kMails);

    client->Release();
    message->Release();
    return tally.delivered == kMails ? 0 : 1;
}
