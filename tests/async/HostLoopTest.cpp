// A host without a system message loop, using only the library's exported
// entry points: its own poll loop waits on SmtpClientMessageFd and calls
// SmtpClientDispatchMessages when the descriptor fires.
#include <gtest/gtest.h>
#include <poll.h>

#include <vector>

#include "smtpclient/ISmtpClient.h"

using namespace SMTPClientNS;

namespace {

struct Counter : IAsyncCallback {
    std::vector<int> taskIds;
    int OnSendComplete(int taskId, int, const SmtpChar*) override
    {
        taskIds.push_back(taskId);
        return 0;
    }
};

bool Readable(int descriptor, int timeoutMs)
{
    pollfd entry = {descriptor, POLLIN, 0};
    return poll(&entry, 1, timeoutMs) == 1 && (entry.revents & POLLIN) != 0;
}

TEST(AsyncHostLoopTest, DescriptorDrivesAPollLoopUntilEveryCompletionArrived)
{
    const int descriptor = SmtpClientMessageFd();
    ASSERT_GE(descriptor, 0);
    EXPECT_FALSE(Readable(descriptor, 0));

    Counter counter;
    ISmtpClient* client = CreateSmtpClient();
    client->SetAsyncCallback(&counter);
    for (int task = 1; task <= 3; ++task)
        ASSERT_EQ(task, client->SendAsync());

    int wakeUps = 0;
    while (counter.taskIds.size() < 3 && wakeUps < 100) {
        if (!Readable(descriptor, 10000))
            break;
        ++wakeUps;
        EXPECT_GT(SmtpClientDispatchMessages(0), 0) << "woken with nothing to dispatch";
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3}), counter.taskIds);
    EXPECT_FALSE(Readable(descriptor, 0));
    EXPECT_EQ(0, SmtpClientDispatchMessages(0));

    // -1 waits for as long as it takes the completion to come.
    ASSERT_EQ(4, client->SendAsync());
    EXPECT_GE(SmtpClientDispatchMessages(-1), 1);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), counter.taskIds);
    client->Release();
}

} // namespace
