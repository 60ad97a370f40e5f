// What a client's worker and tasks touch when the client goes away: a
// teardown that cannot wait for its worker, and tasks that have no window to
// report to.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "AsyncTestSupport.h"
#include "TestServers.h"
#include "smtpclient/async/AsyncTestHooks.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// The worker is held at its start while the client is torn down, as on a
// loaded machine, so the teardown's wait runs out. Let go afterwards, the
// worker takes the notice of a withdrawn task and then the stop message;
// under the sanitizers it touches no freed memory, and it ends.
TEST(AsyncTeardown, WorkerHeldPastTheWaitTouchesNothingFreedAndEnds)
{
    const int threadsBefore = ThreadsAtRest();
    AsyncTestHooks::HoldWorkers(true);
    ISmtpClient* client = NewClient();
    ASSERT_EQ(1, client->SendAsync());
    ASSERT_EQ(1, client->CancelAsync(1));
    const auto start = std::chrono::steady_clock::now();
    client->Release();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    AsyncTestHooks::HoldWorkers(false);
    EXPECT_TRUE(ThreadsBackTo(threadsBefore));
}

// Without a notification window the task is queued and performed all the
// same: the mail arrives, nothing is reported, and the worker ends with the
// client.
TEST(AsyncWithoutWindow, TaskIsStillPerformedUnreported)
{
    const std::string recipient = "windowless-" + std::to_string(getpid()) + "@example.test";
    const int threadsBefore = ThreadsAtRest();
    RecordingCallback callback;
    ISmtpClient* client = NewClient();
    IMimeMessage* message = new CMimeMessage();
    client->SetAsyncCallback(&callback);
    client->SetMimeMessage(message);
    UsePort(*client, ServerPort("plain"));
    Compose(*message, recipient, "Windowless");
    AsyncTestHooks::FailWindowCreation(true);
    EXPECT_EQ(1, client->SendAsync());
    AsyncTestHooks::FailWindowCreation(false);

    EXPECT_FALSE(WaitForMailTo(recipient).rawPath.empty());
    EXPECT_FALSE(PumpUntil(callback, 1, 300));
    client->Release();
    EXPECT_TRUE(ThreadsBackTo(threadsBefore));
    message->Release();
}

} // namespace
