// The Win32 platform layer against the system's own answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "smtpclient/platform/ComputerName.h"
#include "smtpclient/platform/Guid.h"
#include "smtpclient/platform/LocalTime.h"
#include "smtpclient/platform/MessageQueue.h"
#include "smtpclient/platform/SystemCodePage.h"

using namespace SMTPClientNS;

namespace {

const uint32_t kTestMessage = Platform::kUserMessage + 7;

std::vector<intptr_t> delivered;

intptr_t SMTPCLIENT_WINDOW_CALL RecordingProcedure(Platform::WindowHandle window, uint32_t message,
                                                   uintptr_t wParam, intptr_t lParam)
{
    if (message == kTestMessage)
        delivered.push_back(lParam);
    return Platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

// scripts/test-windows.sh runs this one first: its window starts Wine's desktop.
TEST(Win32MessageQueue, HiddenWindowsReceivePostedMessages)
{
    const wchar_t* className = L"SmtpClientWin32TestWindow";
    ASSERT_EQ(Platform::ClassRegistration::Registered,
              Platform::RegisterWindowClass(className, RecordingProcedure));
    Platform::WindowHandle window = Platform::CreateHiddenWindow(className, className);
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(static_cast<HWND>(window)));
    ASSERT_TRUE(Platform::PostWindowMessage(window, kTestMessage, 0, 41));
    ASSERT_TRUE(Platform::PostWindowMessage(window, kTestMessage, 0, 42));
    EXPECT_EQ(2, Platform::DispatchWaitingMessages(1000));
    EXPECT_EQ((std::vector<intptr_t>{41, 42}), delivered);
    Platform::DestroyHiddenWindow(window);
}

// The values behind the Message-ID and Date headers and the file names.
TEST(Win32Services, AnswerAsTheSystemDoes)
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    EXPECT_EQ(std::string(name), Platform::ComputerName());

    Platform::Guid first{};
    Platform::Guid second{};
    ASSERT_TRUE(Platform::CreateGuid(first) && Platform::CreateGuid(second));
    EXPECT_NE(0, std::memcmp(&first, &second, sizeof first));

    const Platform::LocalTime now = Platform::LocalTimeNow();
    SYSTEMTIME system;
    GetLocalTime(&system);
    EXPECT_EQ((std::vector<int>{system.wYear, system.wMonth, system.wDay, system.wDayOfWeek,
                                system.wHour}),
              (std::vector<int>{now.fields.tm_year + 1900, now.fields.tm_mon + 1,
                                now.fields.tm_mday, now.fields.tm_wday, now.fields.tm_hour}));
    TIME_ZONE_INFORMATION zone;
    const DWORD kind = GetTimeZoneInformation(&zone);
    const long biasMinutes = zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0);
    EXPECT_EQ(-biasMinutes * 60, now.utcOffsetSeconds);

    char narrow[8] = {};
    EXPECT_EQ(3, Platform::WideToMultiByte(kUtf8CodePage, L"\u00FC", narrow, sizeof narrow));
    EXPECT_EQ(std::string("\xC3\xBC"), narrow);
}

} // namespace
