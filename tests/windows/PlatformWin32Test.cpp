// The Win32 message queue of the platform layer under the system.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "smtpclient/platform/MessageQueue.h"

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

} // namespace
