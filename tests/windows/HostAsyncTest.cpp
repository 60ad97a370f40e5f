// A host with a real Win32 message loop (GetMessageW/DispatchMessageW)
// sending asynchronously through SMTPClient_Dll.dll.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestServers.h"
#include "TestText.h"
#include "smtpclient/ISmtpClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

const wchar_t kWindowClass[] = L"SmtpClientAsyncThreadWindow";

struct Completion {
    int taskId;
    int resultCode;
    std::wstring message;
    DWORD threadId;
};

class RecordingCallback : public IAsyncCallback {
public:
    int OnSendComplete(int taskId, int resultCode, const SmtpChar* message) override
    {
        completions.push_back({taskId, resultCode, message, GetCurrentThreadId()});
        return 0;
    }
    std::vector<Completion> completions;
};

// Runs the thread's message loop until count completions arrived or 20 s
// passed; a thread timer keeps GetMessageW from waiting longer than 50 ms.
void RunMessageLoop(const RecordingCallback& callback, size_t count)
{
    const ULONGLONG deadline = GetTickCount64() + 20000;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
    MSG message;
    while (callback.completions.size() < count && GetTickCount64() < deadline
           && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    KillTimer(nullptr, timer);
}

BOOL CALLBACK CountLibraryWindow(HWND window, LPARAM count)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) == kWindowClass)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// The library's hidden windows owned by the calling thread.
int LibraryWindowsOfThisThread()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountLibraryWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

class HostAsync : public testing::Test {
protected:
    IMimeMessage* NewMessage(const std::string& recipient)
    {
        IMimeMessage* message = CreateMimeMessage();
        message->SetFrom(L"sender@example.test", L"Sender");
        message->AddTo(W(recipient).c_str(), L"");
        message->SetSubject(W("Async " + recipient).c_str());
        message->SetTextBody(L"Sent from a worker.\r\n");
        messages.push_back(message);
        return message;
    }

    ISmtpClient* NewClient(IMimeMessage* message)
    {
        ISmtpClient* client = CreateSmtpClient();
        client->SetHost(L"127.0.0.1");
        client->SetPort(ServerPort("plain"));
        client->SetUseTls(false);
        client->SetMimeMessage(message);
        client->SetAsyncCallback(&callback);
        return client;
    }

    ~HostAsync() override
    {
        for (IMimeMessage* message : messages)
            message->Release();
    }

    RecordingCallback callback;
    std::vector<IMimeMessage*> messages;
};

TEST_F(HostAsync, CompletionsArriveInOrderOnTheThreadOfTheFirstSendAsync)
{
    IMimeMessage* message = NewMessage("async-order@example.test");
    ISmtpClient* client = NewClient(message);
    EXPECT_EQ(1, client->SendAsync());
    message->Clear(1);
    EXPECT_EQ(2, client->SendAsync());
    RunMessageLoop(callback, 2);

    ASSERT_EQ(2u, callback.completions.size());
    EXPECT_EQ(1, callback.completions[0].taskId);
    EXPECT_EQ(1, callback.completions[0].resultCode);
    EXPECT_EQ(L"", callback.completions[0].message);
    EXPECT_EQ(2, callback.completions[1].taskId);
    EXPECT_EQ(-18, callback.completions[1].resultCode);
    EXPECT_EQ(L"No recipients have been specified.", callback.completions[1].message);
    for (const Completion& completion : callback.completions)
        EXPECT_EQ(GetCurrentThreadId(), completion.threadId);
    EXPECT_FALSE(WaitForMailTo("async-order@example.test").rawPath.empty());
    client->Release();
}

// Each client has a window of its own. A queued task keeps its released
// client alive; the client and its window go with the completion.
TEST_F(HostAsync, EachClientHasAWindowThatGoesWithItsLastTask)
{
    ISmtpClient* kept = NewClient(NewMessage("async-kept@example.test"));
    ISmtpClient* released = NewClient(NewMessage("async-released@example.test"));
    EXPECT_EQ(1, kept->SendAsync());
    EXPECT_EQ(1, released->SendAsync());
    released->Release();
    EXPECT_EQ(2, LibraryWindowsOfThisThread());
    RunMessageLoop(callback, 2);

    ASSERT_EQ(2u, callback.completions.size());
    for (const Completion& completion : callback.completions)
        EXPECT_EQ(1, completion.resultCode);
    EXPECT_FALSE(WaitForMailTo("async-kept@example.test").rawPath.empty());
    EXPECT_FALSE(WaitForMailTo("async-released@example.test").rawPath.empty());
    EXPECT_EQ(1, LibraryWindowsOfThisThread());
    kept->Release();
    EXPECT_EQ(0, LibraryWindowsOfThisThread());
}

} // namespace
