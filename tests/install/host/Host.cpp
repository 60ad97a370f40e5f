// Uses the installed library only through its public headers and factories,
// then calls a few operations through the tables of virtual functions by slot
// number, as a host written in another language would.
#include <smtpclient/IMimeMessage.h>
#include <smtpclient/ISmtpClient.h>

#include <cstdio>
#include <string>

using SMTPClientNS::IMimeMessage;
using SMTPClientNS::ISmtpClient;
using SMTPClientNS::SmtpChar;

namespace {

typedef std::basic_string<SmtpChar> Text;

int failures = 0;

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

bool Same(const SmtpChar* actual, const Text& expected)
{
    return actual != nullptr && expected == actual;
}

// Under the Itanium ABI the destructor takes two slots, so operation n of an
// interface table (destructor = 0) sits in slot n + 1.
const int kDestructorSlots = 2;

template <typename Function, typename Object>
Function Slot(Object* object, int operation)
{
    void** table = *reinterpret_cast<void***>(object);
    return reinterpret_cast<Function>(table[operation - 1 + kDestructorSlots]);
}

// Ordinary calls through the installed headers.
void UseClientAndMessage(ISmtpClient* client, IMimeMessage* message)
{
    SmtpChar buffer[256];
    Check(client->GetPort() == -1, "default port");
    Check(client->SetProxy(SMTPCLIENT_TEXT("proxy.local"), 1080, 3, nullptr, nullptr) == 1,
          "proxy accepted");
    client->GetProxyValue(buffer, 1);
    Check(Same(buffer, SMTPCLIENT_TEXT("1080")), "proxy port as text");
    Check(Same(message->GetCharset(), SMTPCLIENT_TEXT("UTF-8")), "default charset");
    Check(message->AddCc(SMTPCLIENT_TEXT("bad"), nullptr) == -1, "bad Cc refused");
    message->SetSubject(SMTPCLIENT_TEXT("Hello"));
    client->SetMimeMessage(message);
    Check(client->GetMimeMessage() == message, "message attached");
}

void UseClientTable(ISmtpClient* client, IMimeMessage* message)
{
    typedef void (*SetText)(ISmtpClient*, const SmtpChar*);
    typedef const SmtpChar* (*GetText)(ISmtpClient*);
    typedef void (*SetInt)(ISmtpClient*, int);
    typedef int (*GetInt)(ISmtpClient*);
    typedef void (*SetMessage)(ISmtpClient*, IMimeMessage*);
    typedef IMimeMessage* (*GetMessage)(ISmtpClient*);
    typedef void (*NoArgs)(ISmtpClient*);

    Slot<SetText>(client, 30)(client, SMTPCLIENT_TEXT("slot.example.org"));
    Check(Same(Slot<GetText>(client, 31)(client), SMTPCLIENT_TEXT("slot.example.org")),
          "slots 30/31 are SetHost/GetHost");
    Check(Same(client->GetHost(), SMTPCLIENT_TEXT("slot.example.org")), "slot 30 stored");
    Slot<SetInt>(client, 32)(client, 2525);
    Check(Slot<GetInt>(client, 33)(client) == 2525, "slots 32/33 are SetPort/GetPort");
    Check(Slot<GetInt>(client, 7)(client) == 999, "slot 7 is GetLastResultCode");
    Slot<SetMessage>(client, 36)(client, message);
    Check(Slot<GetMessage>(client, 37)(client) == message, "slots 36/37 hold the message");
    Slot<NoArgs>(client, 35)(client);  // Release: the client is gone now
}

void UseMessageTable(IMimeMessage* message)
{
    typedef int (*AddAddress)(IMimeMessage*, const SmtpChar*, const SmtpChar*);
    typedef int (*Count)(IMimeMessage*);
    typedef const SmtpChar* (*GetEntry)(IMimeMessage*, int, int);
    typedef void (*SetText)(IMimeMessage*, const SmtpChar*);
    typedef const SmtpChar* (*GetText)(IMimeMessage*);
    typedef int (*ClearWhat)(IMimeMessage*, int);

    Check(Slot<AddAddress>(message, 9)(message, SMTPCLIENT_TEXT("b@example.org"),
                                       SMTPCLIENT_TEXT("B")) == 1, "slot 9 is AddBcc");
    Check(Slot<Count>(message, 10)(message) == 1, "slot 10 is GetBccCount");
    Check(Same(Slot<GetEntry>(message, 11)(message, 1, 1), SMTPCLIENT_TEXT("B")),
          "slot 11 is GetBcc");
    Slot<SetText>(message, 30)(message, SMTPCLIENT_TEXT("body"));
    Check(Same(Slot<GetText>(message, 31)(message), SMTPCLIENT_TEXT("body")),
          "slots 30/31 are SetTextBody/GetTextBody");
    Check(Slot<ClearWhat>(message, 1)(message, 7) == -1, "slot 1 is Clear");
}

} // namespace

int main()
{
    SmtpClientSetMessageLanguage(0);
    ISmtpClient* client = CreateSmtpClient();
    ISmtpClient* second = CreateSmtpClient();
    IMimeMessage* message = CreateMimeMessage();
    Check(client != nullptr && second != nullptr && message != nullptr, "factories");

    UseClientAndMessage(client, message);
    client->Release();

    UseClientTable(second, message);
    UseMessageTable(message);
    Check(Same(message->GetSubject(), SMTPCLIENT_TEXT("Hello")), "message outlives clients");
    message->Release();

    if (failures == 0)
        std::printf("host: all checks passed\n");
    return failures == 0 ? 0 : 1;
}
