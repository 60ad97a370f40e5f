// A window procedure that pumps the queue itself, as a completion callback
// that calls SmtpClientDispatchMessages does, still sees messages in the
// order they were posted.
#include <gtest/gtest.h>

#include <vector>

#include "smtpclient/platform/MessageQueue.h"

using namespace SMTPClientNS;

namespace {

const uint32_t kNestedMessage = Platform::kUserMessage + 7;
std::vector<intptr_t> order;

// Message 1 posts 3 and pumps before it returns.
intptr_t SMTPCLIENT_WINDOW_CALL NestingProcedure(Platform::WindowHandle window, uint32_t message,
                                                 uintptr_t wParam, intptr_t lParam)
{
    if (message != kNestedMessage)
        return Platform::DefaultWindowProcedure(window, message, wParam, lParam);
    order.push_back(lParam);
    if (lParam == 1 && Platform::PostWindowMessage(window, message, 0, 3))
        Platform::DispatchWaitingMessages(0);
    return 0;
}

TEST(MessageQueueNesting, NestedDispatchKeepsPostingOrder)
{
    const SmtpChar className[] = SMTPCLIENT_TEXT("NestedDispatchTestWindow");
    ASSERT_NE(Platform::ClassRegistration::Failed,
              Platform::RegisterWindowClass(className, NestingProcedure));
    Platform::WindowHandle window = Platform::CreateHiddenWindow(className, className);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(Platform::PostWindowMessage(window, kNestedMessage, 0, 1));
    ASSERT_TRUE(Platform::PostWindowMessage(window, kNestedMessage, 0, 2));

    Platform::DispatchWaitingMessages(0);
    Platform::DispatchWaitingMessages(0);
    EXPECT_EQ((std::vector<intptr_t>{1, 2, 3}), order);
    Platform::DestroyHiddenWindow(window);
}

} // namespace
