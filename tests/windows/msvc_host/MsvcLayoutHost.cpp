// A Windows host laid out as Visual C++ lays one out: clang in Microsoft-ABI
// mode, the library's public headers, no C runtime and no Windows SDK. It
// loads SMTPClient_Dll.dll by ordinal and calls both interfaces through the
// tables this ABI builds: one slot for the destructor, the operations after it.
//
//   msvc_layout_host.exe CHECK [PORT]
//
// CHECK is client-settings, message-fields, send, send-async or delete; the
// sends go to the plain listener at PORT on 127.0.0.1. Prints one line per
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

void ExpectNumber(long long actual, long long expected, const char* what)
{
    if (actual != expected)
        Fail(what, ": ", actual, ", expected ", expected);
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

void ExpectText(const wchar_t* actual, const wchar_t* expected, const char* what)
{
    if (!SameText(actual, expected))
        Fail(what, ": ", actual, ", expected ", expected);
}

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

// Room for a session log; static, so the stack stays small without a C runtime.
char fileBytes[1 << 16];

// The file's first bytes, zero-terminated; "" when it cannot be read.
const char* ReadFileStart(const wchar_t* path)
{
    fileBytes[0] = 0;
    HANDLE file =
        CreateFileW(path, kGenericRead, 0, nullptr, kOpenExisting, kFileAttributeNormal, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fileBytes;
    DWORD read = 0;
    if (ReadFile(file, fileBytes, sizeof fileBytes - 1, &read, nullptr))
        fileBytes[read] = 0;
    CloseHandle(file);
    return fileBytes;
}

bool Contains(const char* text, const char* part)
{
    for (; *text != 0; ++text) {
        int i = 0;
        while (part[i] != 0 && text[i] == part[i])
            ++i;
        if (part[i] == 0)
            return true;
    }
    return false;
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

struct Completion {
    int taskId;
    int resultCode;
    wchar_t message[128];
    DWORD threadId;
};

class HostCallback : public IAsyncCallback {
public:
    int OnSendComplete(int taskId, int resultCode, const SmtpChar* message) override
    {
        if (count < 4) {
            Completion& completion = completions[count];
            completion.taskId = taskId;
            completion.resultCode = resultCode;
            int i = 0;
            for (; message != nullptr && message[i] != 0 && i < 127; ++i)
                completion.message[i] = message[i];
            completion.message[i] = 0;
            completion.threadId = GetCurrentThreadId();
        }
        ++count;
        return 0;
    }

    Completion completions[4];
    int count = 0;
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
    ExpectNumber(client->GetPort(), -1, "GetPort of a new client");
    ExpectNumber(client->GetLastResultCode(), 999, "GetLastResultCode of a new client");
    Expect(client->GetUseTls(), "GetUseTls of a new client");
    Expect(!client->GetUseProxy(), "GetUseProxy of a new client");
    ExpectNumber(client->GetVerifyCertificate(), 0, "GetVerifyCertificate of a new client");
    Expect(!client->GetVerifyCertificateStatus(), "GetVerifyCertificateStatus of a new client");
    ExpectText(client->GetSessionLog(), L"", "GetSessionLog of a new client");
    ExpectText(client->GetLastLogEntry(), L"", "GetLastLogEntry of a new client");
    ExpectNumber(client->CancelAsync(0), -1, "CancelAsync(0) with nothing queued");

    ExpectNumber(client->SetProxy(L"proxy.example.test", 1080, 3, L"pröxy", L"secret"), 1,
                 "SetProxy");
    const wchar_t* const proxyValues[] = {L"proxy.example.test", L"1080", L"3", L"pröxy",
                                          L"secret"};
    char what[] = "GetProxyValue 0";
    for (int index = 0; index < 5; ++index) {
        wchar_t buffer[256] = {0};
        client->GetProxyValue(buffer, index);
        what[sizeof what - 2] = static_cast<char>('0' + index);
        ExpectText(buffer, proxyValues[index], what);
    }
    Expect(client->GetUseProxy(), "GetUseProxy after SetProxy");
    client->SetUseProxy(false);
    Expect(!client->GetUseProxy(), "GetUseProxy after SetUseProxy(false)");

    HostCallback callback;
    client->SetAsyncCallback(&callback);
    Expect(client->GetAsyncCallback() == &callback, "GetAsyncCallback");
    client->SetVerifyCertificate(7);
    ExpectNumber(client->GetVerifyCertificate(), 7, "GetVerifyCertificate");
    client->SetVerifyCertificateStatus(true);
    Expect(client->GetVerifyCertificateStatus(), "GetVerifyCertificateStatus");
    client->SetUseTls(false);
    Expect(!client->GetUseTls(), "GetUseTls after SetUseTls(false)");
    client->SetTlsVersion(3);
    ExpectNumber(client->GetTlsVersion(), 3, "GetTlsVersion");
    client->SetConnectTimeout(42);
    ExpectNumber(client->GetConnectTimeout(), 42, "GetConnectTimeout");
    client->SetUser(L"Ålice");
    ExpectText(client->GetUser(), L"Ålice", "GetUser");
    client->SetPassword(L"pässwörd");
    ExpectText(client->GetPassword(), L"pässwörd", "GetPassword");
    client->SetOAuth2Token(L"tøken");
    ExpectText(client->GetOAuth2Token(), L"tøken", "GetOAuth2Token");
    client->SetHost(L"smtp.example.test");
    ExpectText(client->GetHost(), L"smtp.example.test", "GetHost");
    client->SetPort(2525);
    ExpectNumber(client->GetPort(), 2525, "GetPort");

    IMimeMessage* message = createMimeMessage();
    client->SetMimeMessage(message);
    Expect(client->GetMimeMessage() == message, "GetMimeMessage");
    client->Release();
    message->Release();
}

// Every operation of IMimeMessage, at its slot.
void CheckMessageFields()
{
    IMimeMessage* message = createMimeMessage();
    ExpectText(message->GetCharset(), L"UTF-8", "GetCharset of a new message");
    ExpectNumber(message->Clear(7), -1, "Clear(7)");

    ExpectNumber(message->AddTo(L"to1@example.test", L"Tö Öne"), 1, "AddTo");
    ExpectNumber(message->AddTo(L"to2@example.test", nullptr), 2, "AddTo without a name");
    ExpectNumber(message->AddTo(L"@example.test", L"Bad"), -1, "AddTo with a bad address");
    ExpectNumber(message->GetToCount(), 2, "GetToCount");
    ExpectText(message->GetTo(1, 0), L"to1@example.test", "GetTo(1, 0)");
    ExpectText(message->GetTo(1, 1), L"Tö Öne", "GetTo(1, 1)");
    ExpectText(message->GetTo(2, 1), L"", "GetTo(2, 1)");
    ExpectText(message->GetTo(3, 0), L"", "GetTo(3, 0)");
    ExpectNumber(message->AddCc(L"cc@example.test", L"Çc"), 1, "AddCc");
    ExpectNumber(message->GetCcCount(), 1, "GetCcCount");
    ExpectText(message->GetCc(1, 0), L"cc@example.test", "GetCc(1, 0)");
    ExpectText(message->GetCc(1, 1), L"Çc", "GetCc(1, 1)");
    ExpectNumber(message->AddBcc(L"bcc1@example.test", L""), 1, "AddBcc");
    ExpectNumber(message->AddBcc(L"bcc2@example.test", L"Bcc Twö"), 2, "AddBcc");
    ExpectNumber(message->GetBccCount(), 2, "GetBccCount");
    ExpectText(message->GetBcc(2, 0), L"bcc2@example.test", "GetBcc(2, 0)");
    ExpectText(message->GetBcc(2, 1), L"Bcc Twö", "GetBcc(2, 1)");

    // Any existing entry passes, a folder included.
    const Path folder = TempPath(L"");
    const Path missing = TempPath(L"smtpclient-no-such-file");
    ExpectNumber(message->AddAttachment(folder.text), 1, "AddAttachment");
    ExpectNumber(message->AddAttachment(missing.text), -1, "AddAttachment of a missing file");
    ExpectNumber(message->GetAttachmentCount(), 1, "GetAttachmentCount");
    ExpectText(message->GetAttachment(1), folder.text, "GetAttachment(1)");
    ExpectNumber(message->AddInlineImage(folder.text, L"logo@host"), 1, "AddInlineImage");
    ExpectNumber(message->GetInlineImageCount(), 1, "GetInlineImageCount");
    ExpectText(message->GetInlineImagePath(1), folder.text, "GetInlineImagePath(1)");
    ExpectText(message->GetInlineImageContentId(1), L"logo@host", "GetInlineImageContentId(1)");

    ExpectNumber(message->SetFrom(L"from@example.test", L"Fröm"), 1, "SetFrom");
    ExpectText(message->GetFrom(0), L"from@example.test", "GetFrom(0)");
    ExpectText(message->GetFrom(1), L"Fröm", "GetFrom(1)");
    message->SetPriority(2);
    ExpectNumber(message->GetPriority(), 2, "GetPriority");
    message->SetSubject(L"Grüße");
    ExpectText(message->GetSubject(), L"Grüße", "GetSubject");
    message->SetCharset(L"ISO-8859-1");
    ExpectText(message->GetCharset(), L"ISO-8859-1", "GetCharset");

    const Path body = TempPath(L"smtpclient-msvc-host-body.txt");
    Expect(WriteWholeFile(body.text, "Grüße aus der Datei\r\n"), "writing the body file");
    message->LoadBodyFromFile(body.text, 1);
    ExpectText(message->GetTextBody(), L"Grüße aus der Datei\r\n",
               "GetTextBody after LoadBodyFromFile");
    DeleteFileW(body.text);
    message->SetHtmlBody(L"<p>Hï</p>");
    ExpectText(message->GetHtmlBody(), L"<p>Hï</p>", "GetHtmlBody");
    message->SetTextBody(L"Plain ü");
    ExpectText(message->GetTextBody(), L"Plain ü", "GetTextBody");

    ExpectNumber(message->Clear(1), 1, "Clear(1)");
    ExpectNumber(message->GetToCount(), 0, "GetToCount after Clear(1)");
    ExpectNumber(message->Clear(0), 1, "Clear(0)");
    ExpectNumber(message->GetBccCount(), 0, "GetBccCount after Clear(0)");
    ExpectText(message->GetSubject(), L"", "GetSubject after Clear(0)");
    ExpectText(message->GetCharset(), L"ISO-8859-1", "GetCharset after Clear(0)");
    message->Release();
}

void Compose(ISmtpClient* client, IMimeMessage* message, int port, const wchar_t* recipient)
{
    ExpectNumber(message->SetFrom(L"msvc-host@example.test", L"Microsoft-layout host"), 1,
                 "SetFrom");
    ExpectNumber(message->AddTo(recipient, L"Récipient"), 1, "AddTo");
    message->SetSubject(L"Sent by a Microsoft-layout host");
    message->SetTextBody(L"Hello from the host.\r\n");
    client->SetHost(L"127.0.0.1");
    client->SetPort(port);
    client->SetUseTls(false);
    client->SetConnectTimeout(10);
    client->SetMimeMessage(message);
}

void CheckSend(int port)
{
    ISmtpClient* client = createSmtpClient();
    IMimeMessage* message = createMimeMessage();
    Compose(client, message, port, L"msvc-sync@example.test");
    const Path log = TempPath(L"smtpclient-msvc-host.log");
    client->SetLogFile(log.text, false);

    ExpectNumber(client->Send(), 1, "Send");
    ExpectNumber(client->GetLastResultCode(), 0, "GetLastResultCode after Send (the raw outcome)");
    Expect(Contains(ReadFileStart(log.text), "msvc-sync@example.test"),
           "the session log file names the recipient");
    DeleteFileW(log.text);
    client->Release();
    message->Release();
}

void CheckSendAsync(int port)
{
    ISmtpClient* client = createSmtpClient();
    IMimeMessage* message = createMimeMessage();
    Compose(client, message, port, L"msvc-async@example.test");
    HostCallback callback;
    client->SetAsyncCallback(&callback);

    ExpectNumber(client->SendAsync(), 1, "first SendAsync");
    message->Clear(1);
    ExpectNumber(client->SendAsync(), 2, "second SendAsync");
    PumpMessages(callback, 2);

    ExpectNumber(callback.count, 2, "completions");
    // The first one sent, the second found no recipients.
    const struct {
        int resultCode;
        const wchar_t* message;
    } expected[] = {{1, L""}, {-18, L"No recipients have been specified."}};
    for (int i = 0; i < 2; ++i) {
        const Completion& completion = callback.completions[i];
        ExpectNumber(completion.taskId, i + 1, "task id of a completion");
        ExpectNumber(completion.resultCode, expected[i].resultCode, "result of a completion");
        ExpectText(completion.message, expected[i].message, "message of a completion");
        Expect(completion.threadId == GetCurrentThreadId(), "a completion on the host's thread");
    }
    client->Release();
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
    ExpectText(message->GetSubject(), L"Kept", "the message after deleting its client");
    Expect(HeapsValid(), "heaps valid after deleting a client");

    // The slot by hand, for its result: the object's address.
    typedef void* (*DeletingDestructor)(void* object, unsigned int flags);
    DeletingDestructor slot0 = (*reinterpret_cast<DeletingDestructor**>(message))[0];
    Expect(slot0(message, 1) == message, "slot 0 returns the object's address");
    Expect(HeapsValid(), "heaps valid after deleting a message");

    ISmtpClient* another = createSmtpClient();
    ExpectNumber(another->GetPort(), -1, "GetPort of a client made after the deletes");
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
    else if (SameText(check, L"send"))
        CheckSend(port);
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
