// A Windows host: sends one mail on the client's worker thread and receives
// the completion through its own message loop, as a GUI program does.
//
//   windows_message_loop SERVER PORT FROM TO [plain]
//
// "plain" sends without STARTTLS, for a local test server; by default the
// client requires it. Link against SMTPClient_Dll and keep the DLL beside the
// program.
#include <windows.h> // before ISmtpClient.h: its SetPort macro must rename both

#include <smtpclient/IMimeMessage.h>
#include <smtpclient/ISmtpClient.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ExampleText.h"

using namespace SMTPClientNS;

namespace {

// Called by DispatchMessageW below, on this thread: the library delivers a
// completion as a message to a hidden window that the first SendAsync made.
class Completion : public IAsyncCallback {
public:
    int OnSendComplete(int taskId, int resultCode, const SmtpChar* message) override
    {
        std::printf("task %d: result %d %s\n", taskId, resultCode, Narrow(message).c_str());
        result = resultCode;
        PostQuitMessage(0); // ends the message loop
        return 0;
    }

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
    message->SetSubject(SMTPCLIENT_TEXT("Hello from windows_message_loop"));
    message->SetTextBody(SMTPCLIENT_TEXT("This mail was sent from a Windows message loop.\r\n"));
    client->SetMimeMessage(message);

    Completion completion;
    client->SetAsyncCallback(&completion);
    std::printf("queued task %d\n", client->SendAsync());

    // The ordinary Windows message loop; nothing library-specific in it.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    client->Release();
    message->Release();
    return completion.result == kResultSuccess ? 0 : 1;
}
