// Sends one mail on the client's worker thread while this thread stays free,
// and waits for the completion with poll, as an event loop would.
//
//   async_poll SERVER PORT FROM TO [plain]
//
// "plain" sends without STARTTLS, for a local test server; by default the
// client requires it. Build against an installed SMTPClient with pkg-config:
//
//   c++ -I.. AsyncPoll.cpp $(pkg-config --cflags --libs smtpclient) -o async_poll
#include <smtpclient/IMimeMessage.h>
#include <smtpclient/ISmtpClient.h>

#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ExampleText.h"

using namespace SMTPClientNS;

namespace {

// The library calls OnSendComplete on the thread that made the client's first
// SendAsync, and only from inside SmtpClientDispatchMessages.
class Completion : public IAsyncCallback {
public:
    int OnSendComplete(int taskId, int resultCode, const SmtpChar* message) override
    {
        std::printf("task %d: result %d %s\n", taskId, resultCode, Narrow(message).c_str());
        result = resultCode;
        done = true;
        return 0;
    }

    bool done = false;
    int result = 0;
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
    if (message->SetFrom(Widen(argv[3]).c_str(), SMTPCLIENT_TEXT("Example host")) != 1
        || message->AddTo(Widen(argv[4]).c_str(), SMTPCLIENT_TEXT("")) != 1) {
        std::fprintf(stderr, "not an address: %s or %s\n", argv[3], argv[4]);
        return 2;
    }
    message->SetSubject(SMTPCLIENT_TEXT("Hello from async_poll"));
    message->SetTextBody(SMTPCLIENT_TEXT("This mail was sent asynchronously.\r\n"));
    client->SetMimeMessage(message);

    Completion completion;
    client->SetAsyncCallback(&completion);
    // SendAsync copies what it needs from the message and returns at once
    // with the task's id; the transfer runs on the client's worker thread.
    const int taskId = client->SendAsync();
    std::printf("queued task %d\n", taskId);

    // Completions wait in this thread's queue; its descriptor turns readable
    // while one waits. A real host polls it beside its own descriptors.
    pollfd queue = {SmtpClientMessageFd(), POLLIN, 0};
    while (!completion.done) {
        if (poll(&queue, 1, 30000) <= 0) {
            std::fprintf(stderr, "no completion within 30 s\n");
            break;
        }
        SmtpClientDispatchMessages(0); // runs OnSendComplete
    }

    client->Release();
    message->Release();
    return completion.done && completion.result == kResultSuccess ? 0 : 1;
}
