// Asynchronous sends withdrawn by CancelAsync.
#include <gtest/gtest.h>

#include <string>

#include "AsyncTestSupport.h"
#include "LoopbackPort.h"
#include "TestServers.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// Task 1 runs against a listener that never greets, so tasks 2 to 4 stay
// queued. Cancelled tasks are never reported; the references they give
// back are checked by the leak checker.
TEST(AsyncCancel, WithdrawsQueuedTasksOnce)
{
    RecordingCallback callback;
    ISmtpClient* client = NewClient();
    IMimeMessage* message = new CMimeMessage();
    LoopbackPort listener;
    client->SetAsyncCallback(&callback);
    client->SetMimeMessage(message);
    UsePort(*client, listener.Port());
    client->SetConnectTimeout(2);
    Compose(*message, "stalled@example.test", "Stalled");
    ASSERT_EQ(1, client->SendAsync());
    ASSERT_TRUE(listener.SomeoneConnected(10000));
    for (int expected = 2; expected <= 4; ++expected)
        ASSERT_EQ(expected, client->SendAsync());

    EXPECT_EQ(1, client->CancelAsync(2));
    EXPECT_EQ(-1, client->CancelAsync(2));
    EXPECT_EQ(-1, client->CancelAsync(1)) << "task 1 is already running";
    EXPECT_EQ(1, client->CancelAsync(0)) << "every queued task";
    EXPECT_EQ(-1, client->CancelAsync(3));

    ASSERT_TRUE(PumpUntil(callback, 1));
    EXPECT_FALSE(PumpUntil(callback, 2, 300)) << "a cancelled task was reported";
    EXPECT_EQ(1, callback.completions[0].taskId);
    EXPECT_EQ(-11, callback.completions[0].resultCode);
    EXPECT_EQ("Operation timeout.", callback.completions[0].message);
    client->Release();
    message->Release();
}

} // namespace
