// Asynchronous sends that need no mail server: task ids, cancelling, the
// build failures reported through the callback, the thread completions run
// on, and the lifetime of the client implementation.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <thread>

#include "AsyncTestSupport.h"
#include "LoopbackPort.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

const char kGeneralError[] = "A general error occurred";

int ThreadCount()
{
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}));
}

// A joined thread may stay listed for a moment after the join returns.
int SettledThreadCount(int expected)
{
    for (int round = 0; round < 100 && ThreadCount() != expected; ++round)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ThreadCount();
}

class AsyncTaskTest : public testing::Test {
protected:
    AsyncTaskTest() : client(NewClient()), message(new CMimeMessage())
    {
        client->SetAsyncCallback(&callback);
    }
    ~AsyncTaskTest() override
    {
        client->Release();
        message->Release();
    }

    RecordingCallback callback;
    ISmtpClient* client;
    IMimeMessage* message;
};

// Nothing runs before the first SendAsync. Task ids count from 1 per client;
// each client has a worker of its own, and the teardown of one leaves the
// other's window alone.
TEST_F(AsyncTaskTest, EachClientHasItsOwnTaskIdsWorkerAndWindow)
{
    const int before = ThreadCount();
    EXPECT_EQ(-1, client->CancelAsync(0)) << "nothing queued";
    EXPECT_EQ(before, ThreadCount());
    EXPECT_EQ(0, Platform::DispatchWaitingMessages(0));

    RecordingCallback otherCallback;
    ISmtpClient* other = NewClient();
    other->SetAsyncCallback(&otherCallback);
    EXPECT_EQ(1, client->SendAsync());
    const int withOneWorker = ThreadCount();
    EXPECT_EQ(1, other->SendAsync());
    EXPECT_EQ(withOneWorker + 1, ThreadCount());
    EXPECT_EQ(2, client->SendAsync());
    ASSERT_TRUE(PumpUntil(otherCallback, 1));
    other->Release();
    EXPECT_EQ(withOneWorker, SettledThreadCount(withOneWorker)) << "the released client's worker ended";

    EXPECT_EQ(3, client->SendAsync());
    ASSERT_TRUE(PumpUntil(callback, 3));
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(index + 1, callback.completions[index].taskId);
    ASSERT_EQ(1u, otherCallback.completions.size());
    EXPECT_EQ(1, otherCallback.completions[0].taskId);
}

// Task 1 runs against a listener that never greets, so tasks 2 to 4 stay
// queued. Cancelled tasks are never reported and give their references
// back: the client is destroyed on its last Release.
TEST_F(AsyncTaskTest, CancelWithdrawsQueuedTasksOnce)
{
    bool destroyed = false;
    ISmtpClient* stalled = new CSmtpClient(new ObservedWrapper(destroyed));
    stalled->SetAsyncCallback(&callback);
    LoopbackPort listener;
    UsePort(*stalled, listener.Port());
    stalled->SetConnectTimeout(2);
    Compose(*message, "stalled@example.test", "Stalled");
    stalled->SetMimeMessage(message);
    ASSERT_EQ(1, stalled->SendAsync());
    ASSERT_TRUE(listener.SomeoneConnected(10000));
    for (int expected = 2; expected <= 4; ++expected)
        ASSERT_EQ(expected, stalled->SendAsync());

    EXPECT_EQ(1, stalled->CancelAsync(2));
    EXPECT_EQ(-1, stalled->CancelAsync(2));
    EXPECT_EQ(-1, stalled->CancelAsync(1)) << "task 1 is already running";
    EXPECT_EQ(-1, stalled->CancelAsync(7)) << "never handed out";
    EXPECT_EQ(1, stalled->CancelAsync(0));
    EXPECT_EQ(-1, stalled->CancelAsync(0));
    EXPECT_EQ(-1, stalled->CancelAsync(3));

    ASSERT_TRUE(PumpUntil(callback, 1));
    PumpFor(300);
    ASSERT_EQ(1u, callback.completions.size());
    EXPECT_EQ(1, callback.completions[0].taskId);
    EXPECT_EQ(-11, callback.completions[0].resultCode);
    EXPECT_EQ("Operation timeout.", callback.completions[0].message);
    EXPECT_FALSE(destroyed);
    stalled->Release();
    EXPECT_TRUE(destroyed);
}

// No message, no recipients, a port libcurl refuses, no message again: each
// reported in order on the thread that first called SendAsync.
TEST_F(AsyncTaskTest, CompletionsComeInOrderOnTheThreadOfTheFirstSendAsync)
{
    LoopbackPort listener;
    UsePort(*client, listener.Port());
    std::thread::id host;
    std::thread hostThread([&] {
        host = std::this_thread::get_id();
        client->SendAsync();
        client->SetMimeMessage(message);
        message->SetFrom(W("sender@example.test").c_str(), W("").c_str());
        client->SendAsync();
        message->AddTo(W("x@example.test").c_str(), W("").c_str());
        client->SetPort(-1);
        client->SendAsync();
        client->SetMimeMessage(nullptr);
        client->SendAsync();
        PumpUntil(callback, 4);
    });
    hostThread.join();

    const Completion expected[] = {{1, -1, kGeneralError, host},
                                   {2, -18, "No recipients have been specified.", host},
                                   {3, -1, kGeneralError, host},
                                   {4, -1, kGeneralError, host}};
    ASSERT_EQ(4u, callback.completions.size());
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(expected[index].taskId, callback.completions[index].taskId);
        EXPECT_EQ(expected[index].resultCode, callback.completions[index].resultCode);
        EXPECT_EQ(expected[index].message, callback.completions[index].message);
        EXPECT_EQ(host, callback.completions[index].thread);
    }
    EXPECT_FALSE(listener.SomeoneConnected()) << "no send got as far as connecting";
    EXPECT_EQ(999, client->GetLastResultCode()) << "the asynchronous path leaves it alone";
}

// The completion holds a reference: it runs before the implementation goes,
// with or without a callback.
TEST_F(AsyncTaskTest, ReleasingRightAfterSendAsyncStillCompletesFirst)
{
    bool destroyed = false;
    bool silentDestroyed = false;
    struct Probe : IAsyncCallback {
        explicit Probe(const bool& destroyed) : destroyed(destroyed) {}
        int OnSendComplete(int, int, const SmtpChar*) override
        {
            destroyedDuringCall = destroyedDuringCall || destroyed;
            ++calls;
            return 0;
        }
        const bool& destroyed;
        bool destroyedDuringCall = false;
        int calls = 0;
    } probe(destroyed);

    ISmtpClient* observed = new CSmtpClient(new ObservedWrapper(destroyed));
    observed->SetAsyncCallback(&probe);
    observed->SendAsync();
    observed->Release();
    ISmtpClient* silent = new CSmtpClient(new ObservedWrapper(silentDestroyed));
    silent->SendAsync();
    silent->Release();
    EXPECT_FALSE(destroyed);

    for (int round = 0; round < 300 && !(destroyed && silentDestroyed); ++round)
        Platform::DispatchWaitingMessages(100);
    EXPECT_EQ(1, probe.calls);
    EXPECT_FALSE(probe.destroyedDuringCall);
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(silentDestroyed);
}

} // namespace
