// The thread message queues, hidden windows and threads under the
// asynchronous worker.
#include <gtest/gtest.h>
#include <poll.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

#include "TestText.h"
#include "smtpclient/platform/MessageQueue.h"
#include "smtpclient/platform/Thread.h"

using namespace SMTPClientNS;
using namespace SMTPClientNS::Platform;
using SMTPClientTest::W;

namespace {

const uint32_t kStop = kUserMessage + 1;
const uint32_t kNumber = kUserMessage + 2;

// Waits until the test opens it before it first looks at its queue, then
// collects the numbers posted to it until kStop.
struct Collector {
    std::promise<void> open;
    std::future<void> opened = open.get_future();
    std::vector<intptr_t> numbers;

    static unsigned long Run(void* argument)
    {
        Collector& collector = *static_cast<Collector*>(argument);
        collector.opened.wait();
        ThreadMessage message;
        while (GetNextMessage(message) && message.message != kStop)
            collector.numbers.push_back(message.lParam);
        return 0;
    }
};

struct WindowCall {
    uint32_t thread;
    uint32_t message;
    intptr_t lParam;
};

std::vector<WindowCall> windowCalls;

intptr_t SMTPCLIENT_WINDOW_CALL RecordingProc(WindowHandle window, uint32_t message,
                                              uintptr_t wParam, intptr_t lParam)
{
    windowCalls.push_back(WindowCall{CurrentThreadId(), message, lParam});
    return message == kWindowCreateMessage ? 0
                                           : DefaultWindowProcedure(window, message, wParam, lParam);
}

bool Readable(int descriptor)
{
    pollfd entry = {descriptor, POLLIN, 0};
    return poll(&entry, 1, 0) == 1 && (entry.revents & POLLIN) != 0;
}

TEST(AsyncMessageQueueTest, MessagesPostedBeforeTheThreadLooksAreKeptInOrderUntilItEnds)
{
    Collector collector;
    uint32_t threadId = 0;
    ThreadHandle thread = StartThread(Collector::Run, &collector, threadId);
    ASSERT_NE(nullptr, thread);
    ASSERT_NE(0u, threadId);
    for (intptr_t number = 1; number <= 3; ++number)
        EXPECT_TRUE(PostThreadMessageTo(threadId, kNumber, 0, number));
    EXPECT_TRUE(PostThreadMessageTo(threadId, kStop, 0, 0));
    EXPECT_FALSE(WaitThread(thread, 20)) << "the wait is bounded";
    collector.open.set_value();
    ASSERT_TRUE(WaitThread(thread, 10000));
    CloseThread(thread, true);
    EXPECT_EQ((std::vector<intptr_t>{1, 2, 3}), collector.numbers);
    EXPECT_FALSE(PostThreadMessageTo(threadId, kNumber, 0, 4)) << "queue outlived its thread";
}

// A class registers once; its windows take messages from any thread and
// dispatch them on the owning thread only, until they are destroyed.
TEST(AsyncMessageQueueTest, WindowMessagesAreDispatchedOnTheOwningThreadOnly)
{
    static int round = 0;  // classes stay registered for the whole process
    windowCalls.clear();
    const auto name = W("MessageQueueTestClass" + std::to_string(++round));
    EXPECT_EQ(ClassRegistration::Registered, RegisterWindowClass(name.c_str(), RecordingProc));
    EXPECT_EQ(ClassRegistration::AlreadyExists, RegisterWindowClass(name.c_str(), RecordingProc));
    EXPECT_EQ(nullptr, CreateHiddenWindow(W("MessageQueueTestNoSuchClass").c_str(), nullptr));
    WindowHandle window = CreateHiddenWindow(name.c_str(), name.c_str());
    WindowHandle second = CreateHiddenWindow(name.c_str(), name.c_str());
    ASSERT_NE(nullptr, window);
    EXPECT_NE(window, second);
    DestroyHiddenWindow(second);
    ASSERT_EQ(2u, windowCalls.size());
    EXPECT_EQ(kWindowCreateMessage, windowCalls[0].message);
    windowCalls.clear();

    int dispatchedElsewhere = -1;
    std::thread other([&] {
        EXPECT_TRUE(PostWindowMessage(window, kNumber, 0, 42));
        dispatchedElsewhere = DispatchWaitingMessages(0);
    });
    other.join();
    EXPECT_EQ(0, dispatchedElsewhere);
    EXPECT_TRUE(windowCalls.empty());
    EXPECT_EQ(1, DispatchWaitingMessages(1000));
    ASSERT_EQ(1u, windowCalls.size());
    EXPECT_EQ(CurrentThreadId(), windowCalls[0].thread);
    EXPECT_EQ(kNumber, windowCalls[0].message);
    EXPECT_EQ(42, windowCalls[0].lParam);

    EXPECT_TRUE(PostWindowMessage(window, kNumber, 0, 7));
    DestroyHiddenWindow(window);
    EXPECT_FALSE(IsLiveWindow(window));
    EXPECT_FALSE(PostWindowMessage(window, kNumber, 0, 8));
    EXPECT_EQ(1, DispatchWaitingMessages(0));
    EXPECT_EQ(1u, windowCalls.size()) << "the destroyed window's message was dropped";
}

// The descriptor is readable exactly while messages wait.
TEST(AsyncMessageQueueTest, DispatchWaitsAsAskedAndTakesEverythingWaiting)
{
    const int descriptor = MessageQueueDescriptor();
    ASSERT_GE(descriptor, 0);
    EXPECT_EQ(descriptor, MessageQueueDescriptor());
    EXPECT_EQ(0, DispatchWaitingMessages(0));
    EXPECT_EQ(0, DispatchWaitingMessages(20));
    EXPECT_FALSE(Readable(descriptor));

    const uint32_t self = CurrentThreadId();
    std::thread poster([self] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        PostThreadMessageTo(self, kNumber, 0, 1);
    });
    EXPECT_EQ(1, DispatchWaitingMessages(-1));
    poster.join();

    for (intptr_t number = 0; number < 5; ++number)
        PostThreadMessageTo(self, kNumber, 0, number);
    EXPECT_TRUE(Readable(descriptor));
    EXPECT_EQ(5, DispatchWaitingMessages(0));
    EXPECT_FALSE(Readable(descriptor));
    EXPECT_EQ(0, DispatchWaitingMessages(0));

    PostThreadMessageTo(self, kStop, 0, 0);
    EXPECT_TRUE(Readable(descriptor));
    ThreadMessage message;
    ASSERT_TRUE(GetNextMessage(message));
    EXPECT_EQ(kStop, message.message);
    EXPECT_FALSE(Readable(descriptor));
}

} // namespace
