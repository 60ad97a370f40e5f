// The Win32 platform layer against the system's own answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "WindowsTestSupport.h"
#include "smtpclient/platform/CodePage.h"
#include "smtpclient/platform/ComputerName.h"
#include "smtpclient/platform/FileSystem.h"
#include "smtpclient/platform/Guid.h"
#include "smtpclient/platform/LocalTime.h"
#include "smtpclient/platform/MessageQueue.h"
#include "smtpclient/platform/Thread.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

const uint32_t kTestMessage = Platform::kUserMessage + 7;

int createSeen = 0;
std::vector<intptr_t> delivered;

intptr_t SMTPCLIENT_WINDOW_CALL RecordingProcedure(Platform::WindowHandle window, uint32_t message,
                                                   uintptr_t wParam, intptr_t lParam)
{
    if (message == Platform::kWindowCreateMessage)
        ++createSeen;
    if (message == kTestMessage)
        delivered.push_back(lParam);
    return Platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

TEST(Win32MessageQueue, HiddenWindowsReceivePostedMessages)
{
    const wchar_t* className = L"SmtpClientWin32TestWindow";
    ASSERT_EQ(Platform::ClassRegistration::Registered,
              Platform::RegisterWindowClass(className, RecordingProcedure));
    EXPECT_EQ(Platform::ClassRegistration::AlreadyExists,
              Platform::RegisterWindowClass(className, RecordingProcedure));

    Platform::WindowHandle window = Platform::CreateHiddenWindow(className, className);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(1, createSeen);
    EXPECT_FALSE(IsWindowVisible(static_cast<HWND>(window)));

    delivered.clear();
    ASSERT_TRUE(Platform::PostWindowMessage(window, kTestMessage, 0, 41));
    ASSERT_TRUE(Platform::PostWindowMessage(window, kTestMessage, 0, 42));
    EXPECT_EQ(2, Platform::DispatchWaitingMessages(1000));
    EXPECT_EQ((std::vector<intptr_t>{41, 42}), delivered);

    Platform::DestroyHiddenWindow(window);
    EXPECT_FALSE(Platform::IsLiveWindow(window));
    EXPECT_EQ(-1, Platform::MessageQueueDescriptor());
}

// A WM_QUIT belongs to the host's loop: dispatching stops and leaves it there.
TEST(Win32MessageQueue, DispatchingLeavesTheQuitMessageToTheHost)
{
    PostQuitMessage(3);
    EXPECT_EQ(0, Platform::DispatchWaitingMessages(0));
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), message.message);
    EXPECT_EQ(3u, message.wParam);
}

unsigned long EchoFirstThreadMessage(void* argument)
{
    Platform::ThreadMessage message;
    if (Platform::GetNextMessage(message))
        *static_cast<intptr_t*>(argument) = message.lParam;
    return 0;
}

unsigned long WaitForever(void*)
{
    Sleep(INFINITE);
    return 0;
}

TEST(Win32Thread, AMessagePostedRightAfterTheStartIsKept)
{
    intptr_t received = 0;
    uint32_t threadId = 0;
    Platform::ThreadHandle thread = Platform::StartThread(EchoFirstThreadMessage, &received, threadId);
    ASSERT_NE(nullptr, thread);
    EXPECT_NE(0u, threadId);
    EXPECT_NE(Platform::CurrentThreadId(), threadId);
    ASSERT_TRUE(Platform::PostThreadMessageTo(threadId, kTestMessage, 0, 2024));
    ASSERT_TRUE(Platform::WaitThread(thread, 5000));
    Platform::CloseThread(thread, true);
    EXPECT_EQ(2024, received);
}

TEST(Win32Thread, AThreadThatDoesNotEndIsTerminated)
{
    uint32_t threadId = 0;
    Platform::ThreadHandle thread = Platform::StartThread(WaitForever, nullptr, threadId);
    ASSERT_NE(nullptr, thread);
    HANDLE observer = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), static_cast<HANDLE>(thread), GetCurrentProcess(),
                                &observer, 0, FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_FALSE(Platform::WaitThread(thread, 50));
    Platform::CloseThread(thread, false);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(observer, 5000));
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeThread(observer, &exitCode));
    EXPECT_EQ(1u, exitCode);
    CloseHandle(observer);
}

TEST(Win32Services, ComputerNameIsTheNetBiosName)
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    EXPECT_EQ(std::string(name), Platform::ComputerName());
    EXPECT_FALSE(Platform::ComputerName().empty());
}

TEST(Win32Services, GuidsAreNewEveryTime)
{
    Platform::Guid first{};
    Platform::Guid second{};
    ASSERT_TRUE(Platform::CreateGuid(first));
    ASSERT_TRUE(Platform::CreateGuid(second));
    EXPECT_NE(0, std::memcmp(&first, &second, sizeof first));
}

TEST(Win32Services, LocalTimeAndOffsetMatchTheSystem)
{
    Platform::LocalTime now = Platform::LocalTimeNow();
    SYSTEMTIME system;
    GetLocalTime(&system);
    EXPECT_EQ(system.wYear, now.fields.tm_year + 1900);
    EXPECT_EQ(system.wMonth, now.fields.tm_mon + 1);
    EXPECT_EQ(system.wDay, now.fields.tm_mday);
    EXPECT_EQ(system.wDayOfWeek, now.fields.tm_wday);
    EXPECT_EQ(system.wHour, now.fields.tm_hour);

    TIME_ZONE_INFORMATION zone;
    DWORD kind = GetTimeZoneInformation(&zone);
    long biasMinutes = zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0);
    EXPECT_EQ(-biasMinutes * 60, now.utcOffsetSeconds);
}

TEST(Win32Services, CodePagesCountTheTerminator)
{
    char narrow[8] = {};
    EXPECT_EQ(3, Platform::WideToMultiByte(kUtf8CodePage, L"\u00FC", narrow, sizeof narrow));
    EXPECT_EQ(std::string("\xC3\xBC"), narrow);
    wchar_t wide[4] = {};
    EXPECT_EQ(2, Platform::MultiByteToWide(kUtf8CodePage, "\xC3\xBC", wide, 4));
    EXPECT_EQ(std::wstring(L"\u00FC"), wide);
    EXPECT_EQ(4, Platform::WideToMultiByte(kAnsiCodePage, L"abc", nullptr, 0));
}

TEST(Win32FileSystem, WidePathsAndExclusiveAccess)
{
    WideTempFolder folder;
    CreateDirectoryW(folder.Path(L"Gr\u00FC\u00DFe \u65E5\u672C").c_str(), nullptr);
    const std::wstring path = folder.Path(L"Gr\u00FC\u00DFe \u65E5\u672C\\log \u00F6.txt");
    ASSERT_TRUE(Platform::WriteFileExclusive(path.c_str(), true, "first\n"));
    ASSERT_TRUE(Platform::WriteFileExclusive(path.c_str(), true, "second\n"));
    EXPECT_TRUE(Platform::FileExists(path.c_str()));

    std::vector<char> bytes;
    ASSERT_TRUE(Platform::ReadWholeFile(path.c_str(), bytes));
    EXPECT_EQ(std::string("first\nsecond\n", 14), std::string(bytes.begin(), bytes.end()));

    // Opened without sharing: neither reads nor writes get in while it is held.
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(Platform::ReadWholeFile(path.c_str(), bytes));
    EXPECT_FALSE(Platform::WriteFileExclusive(path.c_str(), true, "third\n"));
    CloseHandle(held);
    EXPECT_EQ("first\nsecond\n", folder.Read(path));
}

} // namespace
