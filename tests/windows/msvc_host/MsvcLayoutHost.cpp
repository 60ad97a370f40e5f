// A Windows host laid out as Visual C++ lays one out: clang in Microsoft-ABI
// mode, the library's public headers, no C runtime and no Windows SDK. It
// loads SMTPClient_Dll.dll by ordinal and calls both interfaces through the
// tables this ABI builds: one slot for the destructor, the operations after it.
//
//   msvc_layout_host.exe CHECK [PORT]
//
// CHECK is client-settings, message-fields, send-async or delete; the send
// goes to the plain listener at PORT on 127.0.0.1 (synchronous sends through
// the same DLL are the MinGW host's). Prints one line per
// failed expectation, then "ok" or the number of failures, which is also the
// exit code.
#include "Win32.h"
#include "smtpclient/ISmtpClient.h"

using namespace SMTPClientNS;

namespace {

typedef ISmtpClient* (*CreateSmtpClientFunction)();
typedef IMimeMessage* (*CreateMimeMessageFunction)();

const char* const kCreateMimeMessageOrdinal = reinterpret_cast<const char*>(1);
const char* const kCreateSmtpClientOrdinal = reinterpret_cast<const char*>(2);

int failures = 0;

DWORD Length(const char* text)
{
    DWORD length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

void Print(const char* text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(kStdOutputHandle), text, Length(text), &written, nullptr);
}

void Print(long long value)
{
    char digits[24];
    char* at = digits + sizeof digits - 1;
    *at = 0;
    unsigned long long rest = static_cast<unsigned long long>(value);
    if (value < 0)
        rest = 0 - rest;
    do {
        *--at = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (value < 0)
        *--at = '-';
    Print(at);
}

// Quoted, ASCII as it is and every other character as \uXXXX.
void Print(const wchar_t* text)
{
    if (text == nullptr) {
        Print("(null)");
        return;
    }
    Print("\"");
    for (; *text != 0; ++text) {
        char unit[7] = {static_cast<char>(*text), 0, 0, 0, 0, 0, 0};
        if (*text < 0x20 || *text > 0x7e) {
            unit[0] = '\\';
            unit[1] = 'u';
            for (int i = 0; i < 4; ++i)
                unit[2 + i] = "0123456789abcdef"[(*text >> (12 - 4 * i)) & 0xf];
        }
        Print(unit);
    }
    Print("\"");
}

// Two pieces or more, each printed as its own overload prints it.
template <typename First, typename Second, typename... Rest>
void Print(First first, Second second, Rest... rest)
{
    Print(first);
    Print(second, rest...);
}

// One line: "FAIL what" and the details.
template <typename... Details>
void Fail(const char* what, Details... details)
{
    ++failures;
    Print("FAIL ", what, details..., "\n");
}

void Expect(bool holds, const char* what)
{
    if (!holds)
        Fail(what);
}

bool SameText(const wchar_t* a, const wchar_t* b)
{
    if (a == nullptr || b == nullptr)
        return a == b;
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

void ExpectEqual(long long actual, long long expected, const char* what)
{
    if (actual != expected)
        Fail(what, ": ", actual, ", expected ", expected);
}

void ExpectEqual(const wchar_t* actual, const wchar_t* expected, const char* what)
{
    if (!SameText(actual, expected))
        Fail(what, ": ", actual, ", expected ", expected);
}

void ExpectEqual(const void* actual, const void* expected, const char* what)
{
    Expect(actual == expected, what);
}

// A setter and its getter: the getter gives back what the setter took only
// when both calls land on their own slots.
#define EXPECT_KEPT(object, Name, value)                                                           \
  do {                                                                                             \
    (object)->Set##Name(value);                                                                    \
    ExpectEqual((object)->Get##Name(), value, "Get" #Name);                                        \
  } while (false)

struct Path {
    wchar_t text[300];
};

// The temporary folder with name appended (or the folder itself for "").
Path TempPath(const wchar_t* name)
{
    Path path;
    DWORD length = GetTempPathW(260, path.text);
    while (*name != 0 && length < 299)
        path.text[length++] = *name++;
    path.text[length] = 0;
    return path;
}

bool WriteWholeFile(const wchar_t* path, const char* bytes)
{
    HANDLE file =
        CreateFileW(path, kGenericWrite, 0, nullptr, kCreateAlways, kFileAttributeNormal, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool wrote =
        WriteFile(file, bytes, Length(bytes), &written, nullptr) && written == Length(bytes);
    CloseHandle(file);
    return wrote;
}

bool HeapsValid()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapValidate(heaps[i], 0, nullptr))
            return false;
    }
    return count != 0;
}

// The factories, loaded by ordinal as a host without the import library would.
CreateSmtpClientFunction createSmtpClient = nullptr;
CreateMimeMessageFunction createMimeMessage = nullptr;

void LoadTheLibrary()
{
    HMODULE module = LoadLibraryW(L"SMTPClient_Dll.dll");
    if (module == nullptr) {
        Print("FAIL cannot load SMTPClient_Dll.dll\n");
        ExitProcess(100);
    }
    createSmtpClient = reinterpret_cast<CreateSmtpClientFunction>(
        GetProcAddress(module, kCreateSmtpClientOrdinal));
    createMimeMessage = reinterpret_cast<CreateMimeMessageFunction>(
        GetProcAddress(module, kCreateMimeMessageOrdinal));
    if (createSmtpClient == nullptr || createMimeMessage == nullptr) {
        Print("FAIL no export at ordinal 1 or 2\n");
        ExitProcess(100);
    }
}

// Task id and result of the first completions; their text and thread are the
// MinGW host's checks, the same under either layout.
class HostCallback : public IAsyncCallback {
public:
    int OnSendComplete(int taskId, int resultCode, const SmtpChar*) override
    {
        if (count < 2) {
            taskIds[count] = taskId;
            resultCodes[count] = resultCode;
        }
        ++count;
        onHostThread = onHostThread && GetCurrentThreadId() == hostThread;
        return 0;
    }

    int taskIds[2] = {0, 0};
    int resultCodes[2] = {0, 0};
    int count = 0;
    const DWORD hostThread = GetCurrentThreadId();
    bool onHostThread = true;
};

// The host's own loop until count completions arrived or 20 s passed.
void PumpMessages(const HostCallback& callback, int count)
{
    const ULONGLONG deadline = GetTickCount64() + 20000;
    MSG message;
    while (callback.count < count && GetTickCount64() < deadline) {
        if (PeekMessageW(&message, nullptr, 0, 0, kPeekRemove))
            DispatchMessageW(&message);
        else
            MsgWaitForMultipleObjects(0, nullptr, 0, 50, kQueueAllInput);
    }
}

// Every operation of ISmtpClient but the sends, at its slot. The values of a
// new client come first: a call that lands on another slot returns none of
// them.
void CheckClientSettings()
{
    ISmtpClient* client = createSmtpClient();
    ExpectEqual(client->GetPort(), -1, "GetPort of a new client");
    ExpectEqual(client->GetLastResultCode(), 999, "GetLastResultCode of a new client");
    Expect(client->GetUseTls(), "GetUseTls of a new client");
    Expect(!client->GetUseProxy(), "GetUseProxy of a new client");
    ExpectEqual(client->GetVerifyCertificate(), 0, "GetVerifyCertificate of a new client");
    Expect(!client->GetVerifyCertificateStatus(), "GetVerifyCertificateStatus of a new client");
    ExpectEqual(client->GetSessionLog(), L"", "GetSessionLog of a new client");
    ExpectEqual(client->GetLastLogEntry(), L"", "GetLastLogEntry of a new client");
    ExpectEqual(client->CancelAsync(0), -1, "CancelAsync(0) with nothing queued");

    ExpectEqual(client->SetProxy(L"proxy.example.test", 1080, 3, L"pröxy", L"secret"), 1,
                "SetProxy");
    const wchar_t* const proxyValues[] = {L"proxy.example.test", L"1080", L"3", L"pröxy",
                                          L"secret"};
    char what[] = "GetProxyValue 0";
    for (int index = 0; index < 5; ++index) {
        wchar_t buffer[256] = {0};
        client->GetProxyValue(buffer, index);
        what[sizeof what - 2] = static_cast<char>('0' + index);
        ExpectEqual(buffer, proxyValues[index], what);
    }
    Expect(client->GetUseProxy(), "GetUseProxy after SetProxy");
    EXPECT_KEPT(client, UseProxy, false);

    HostCallback callback;
    EXPECT_KEPT(client, AsyncCallback, &callback);
    EXPECT_KEPT(client, VerifyCertificate, 7);
    EXPECT_KEPT(client, VerifyCertificateStatus, true);
    EXPECT_KEPT(client, UseTls, false);
    EXPECT_KEPT(client, TlsVersion, 3);
    EXPECT_KEPT(client, ConnectTimeout, 42);
    EXPECT_KEPT(client, User, L"Ålice");
    EXPECT_KEPT(client, Password, L"pässwörd");
    EXPECT_KEPT(client, OAuth2Token, L"tøken");
    EXPECT_KEPT(client, Host, L"smtp.example.test");
    EXPECT_KEPT(client, Port, 2525);
    IMimeMessage* message = createMimeMessage();
    EXPECT_KEPT(client, MimeMessage, message);
    ExpectEqual(client->GetOption(kOptionMessagesPerConnection), 100,
                "GetOption(messages per connection) of a new client");
    ExpectEqual(client->SetOption(kOptionAsyncConnections, 4), 1, "SetOption(async connections)");
    ExpectEqual(client->GetOption(kOptionAsyncConnections), 4, "GetOption after SetOption");
    ExpectEqual(client->SetOption(kOptionAsyncConnections, 17), -1, "SetOption out of range");
    client->Release();
    message->Release();
}

// Every operation of IMimeMessage, at its slot.
void CheckMessageFields()
{
    IMimeMessage* message = createMimeMessage();
    ExpectEqual(message->GetCharset(), L"UTF-8", "GetCharset of a new message");

    ExpectEqual(message->AddTo(L"to1@example.test", L"Tö Öne"), 1, "AddTo");
    ExpectEqual(message->AddTo(L"to2@example.test", nullptr), 2, "AddTo without a name");
    ExpectEqual(message->GetToCount(), 2, "GetToCount");
    ExpectEqual(message->GetTo(1, 0), L"to1@example.test", "GetTo(1, 0)");
    ExpectEqual(message->GetTo(1, 1), L"Tö Öne", "GetTo(1, 1)");
    ExpectEqual(message->GetTo(2, 1), L"", "GetTo(2, 1)");
    ExpectEqual(message->GetTo(3, 0), L"", "GetTo(3, 0)");
    ExpectEqual(message->AddCc(L"cc@example.test", L"Çc"), 1, "AddCc");
    ExpectEqual(message->GetCcCount(), 1, "GetCcCount");
    ExpectEqual(message->GetCc(1, 0), L"cc@example.test", "GetCc(1, 0)");
    ExpectEqual(message->GetCc(1, 1), L"Çc", "GetCc(1, 1)");
    ExpectEqual(message->AddBcc(L"bcc1@example.test", L""), 1, "AddBcc");
    ExpectEqual(message->AddBcc(L"bcc2@example.test", L"Bcc Twö"), 2, "AddBcc");
    ExpectEqual(message->GetBccCount(), 2, "GetBccCount");
    ExpectEqual(message->GetBcc(2, 0), L"bcc2@example.test", "GetBcc(2, 0)");
    ExpectEqual(message->GetBcc(2, 1), L"Bcc Twö", "GetBcc(2, 1)");

    // Regular files only: a folder is refused.
    const Path folder = TempPath(L"");
    ExpectEqual(message->AddAttachment(folder.text), -1, "AddAttachment(folder)");
    const Path part = TempPath(L"smtpclient-msvc-host-part.png");
    Expect(WriteWholeFile(part.text, "png"), "writing the part file");
    ExpectEqual(message->AddAttachment(part.text), 1, "AddAttachment");
    ExpectEqual(message->GetAttachmentCount(), 1, "GetAttachmentCount");
    ExpectEqual(message->GetAttachment(1), part.text, "GetAttachment(1)");
    ExpectEqual(message->AddInlineImage(part.text, L"logo@host"), 1, "AddInlineImage");
    ExpectEqual(message->GetInlineImageCount(), 1, "GetInlineImageCount");
    ExpectEqual(message->GetInlineImagePath(1), part.text, "GetInlineImagePath(1)");
    DeleteFileW(part.text);
    ExpectEqual(message->GetInlineImageContentId(1), L"logo@host", "GetInlineImageContentId(1)");

    ExpectEqual(message->SetFrom(L"from@example.test", L"Fröm"), 1, "SetFrom");
    ExpectEqual(message->GetFrom(0), L"from@example.test", "GetFrom(0)");
    ExpectEqual(message->GetFrom(1), L"Fröm", "GetFrom(1)");
    EXPECT_KEPT(message, Priority, 2);
    EXPECT_KEPT(message, Subject, L"Grüße");
    EXPECT_KEPT(message, Charset, L"ISO-8859-1");

    const Path body = TempPath(L"smtpclient-msvc-host-body.txt");
    Expect(WriteWholeFile(body.text, "Grüße aus der Datei\r\n"), "writing the body file");
    message->LoadBodyFromFile(body.text, 1);
    ExpectEqual(message->GetTextBody(), L"Grüße aus der Datei\r\n",
                "GetTextBody after LoadBodyFromFile");
    DeleteFileW(body.text);
    EXPECT_KEPT(message, HtmlBody, L"<p>Hï</p>");
    EXPECT_KEPT(message, TextBody, L"Plain ü");

    ExpectEqual(message->Clear(1), 1, "Clear(1)");
    ExpectEqual(message->GetToCount(), 0, "GetToCount after Clear(1)");
    ExpectEqual(message->Clear(0), 1, "Clear(0)");
    ExpectEqual(message->GetBccCount(), 0, "GetBccCount after Clear(0)");
    ExpectEqual(message->GetSubject(), L"", "GetSubject after Clear(0)");
    ExpectEqual(message->GetCharset(), L"ISO-8859-1", "GetCharset after Clear(0)");
    message->Release();
}

void Compose(ISmtpClient* client, IMimeMessage* message, int port, const wchar_t* recipient)
{
    ExpectEqual(message->SetFrom(L"msvc-host@example.test", L"Microsoft-layout host"), 1,
                "SetFrom");
    ExpectEqual(message->AddTo(recipient, L"Récipient"), 1, "AddTo");
    message->SetSubject(L"Sent by a Microsoft-layout host");
    message->SetTextBody(L"Hello from the host.\r\n");
    client->SetHost(L"127.0.0.1");
    client->SetPort(port);
    client->SetUseTls(false);
    client->SetConnectTimeout(10);
    client->SetMimeMessage(message);
}

void CheckSendAsync(int port)
{
    ISmtpClient* client = createSmtpClient();
    IMimeMessage* message = createMimeMessage();
    Compose(client, message, port, L"msvc-async@example.test");
    HostCallback callback;
    client->SetAsyncCallback(&callback);

    ExpectEqual(client->SendAsync(), 1, "first SendAsync");
    message->Clear(1);
    ExpectEqual(client->SendAsync(), 2, "second SendAsync");
    // Queued tasks keep the released client, and its window, alive.
    client->Release();
    PumpMessages(callback, 2);

    ExpectEqual(callback.count, 2, "completions");
    Expect(callback.onHostThread, "every completion on the host's thread");
    // The first one sent, the second found no recipients.
    const int expectedResults[] = {1, -18};
    for (int i = 0; i < 2; ++i) {
        ExpectEqual(callback.taskIds[i], i + 1, "task id of a completion");
        ExpectEqual(callback.resultCodes[i], expectedResults[i], "result of a completion");
    }
    message->Release();
}

// What a Visual C++ host that deletes instead of calling Release does: slot 0
// with bit 0 of its flags set.
void CheckDelete()
{
    ISmtpClient* client = createSmtpClient();
    IMimeMessage* message = createMimeMessage();
    message->SetSubject(L"Kept");
    client->SetMimeMessage(message);
    delete client;
    ExpectEqual(message->GetSubject(), L"Kept", "the message after deleting its client");
    Expect(HeapsValid(), "heaps valid after deleting a client");

    // The slot by hand, for its result: the object's address.
    typedef void* (*DeletingDestructor)(void* object, unsigned int flags);
    DeletingDestructor slot0 = (*reinterpret_cast<DeletingDestructor**>(message))[0];
    Expect(slot0(message, 1) == message, "slot 0 returns the object's address");
    Expect(HeapsValid(), "heaps valid after deleting a message");

    ISmtpClient* another = createSmtpClient();
    ExpectEqual(another->GetPort(), -1, "GetPort of a client made after the deletes");
    another->Release();
}

// Reads the next word of a Windows command line into word, quotes grouping;
// returns what follows it.
const wchar_t* NextWord(const wchar_t* line, wchar_t (&word)[64])
{
    while (*line == L' ' || *line == L'\t')
        ++line;
    int length = 0;
    for (bool quoted = false; *line != 0 && (quoted || (*line != L' ' && *line != L'\t')); ++line) {
        if (*line == L'"')
            quoted = !quoted;
        else if (length < 63)
            word[length++] = *line;
    }
    word[length] = 0;
    return line;
}

int ParseNumber(const wchar_t* text)
{
    int value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text)
        value = value * 10 + (*text - L'0');
    return value;
}

int RunCheck(const wchar_t* check, int port)
{
    LoadTheLibrary();
    if (SameText(check, L"client-settings"))
        CheckClientSettings();
    else if (SameText(check, L"message-fields"))
        CheckMessageFields();
    else if (SameText(check, L"send-async"))
        CheckSendAsync(port);
    else if (SameText(check, L"delete"))
        CheckDelete();
    else
        Fail("unknown check");
    return failures;
}

} // namespace

extern "C" void HostMain()
{
    wchar_t program[64], check[64], port[64];
    NextWord(NextWord(NextWord(GetCommandLineW(), program), check), port);
    const int result = check[0] == 0 ? (Print("usage: msvc_layout_host CHECK [PORT]\n"), 100)
                                     : RunCheck(check, ParseNumber(port));
    if (result == 0)
        Print("ok\n");
    else
        Print(static_cast<long long>(result), " failed\n");
    ExitProcess(static_cast<unsigned int>(result));
}
