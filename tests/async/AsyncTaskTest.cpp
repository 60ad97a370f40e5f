// Asynchronous sends that need no mail server: task ids, cancelling, the
// build failures reported through the callback, the thread completions run
// on, and the lifetime of the client implementation.
#include <gtest/gtest.h>
#include <dirent.h>

#include <thread>

#include "AsyncTestSupport.h"
#include "LoopbackPort.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

const char kGeneralError[] = "A general error occurred";

int ThreadCount()
{
    int count = 0;
    DIR* tasks = opendir("/proc/self/task");
    while (dirent* entry = readdir(tasks))
        count += entry->d_name[0] != '.' ? 1 : 0;
    closedir(tasks);
    return count;
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

    // Task 1 runs against a listener that never greets; tasks queued after
    // it stay queued for about two seconds.
    void StallWorker(ISmtpClient& stalled, const LoopbackPort& listener)
    {
        UsePort(stalled, listener.Port());
        stalled.SetConnectTimeout(2);
        Compose(*message, "stalled@example.test", "Stalled");
        stalled.SetMimeMessage(message);
        ASSERT_EQ(1, stalled.SendAsync());
        ASSERT_TRUE(listener.SomeoneConnected(10000));
    }

    RecordingCallback callback;
    ISmtpClient* client;
    IMimeMessage* message;
};

// Task ids count from 1 per client; each client has a worker of its own, and
// the teardown of one leaves the other's window alone.
TEST_F(AsyncTaskTest, EachClientHasItsOwnTaskIdsWorkerAndWindow)
{
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
    EXPECT_EQ(withOneWorker, SettledThreadCount(withOneWorker))
        << "the released client's worker ended";

    EXPECT_EQ(3, client->SendAsync());
    ASSERT_TRUE(PumpUntil(callback, 3));
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(index + 1, callback.completions[index].taskId);
    ASSERT_EQ(1u, otherCallback.completions.size());
    EXPECT_EQ(1, otherCallback.completions[0].taskId);
}

TEST_F(AsyncTaskTest, CancelWithdrawsOneQueuedTaskOnce)
{
    LoopbackPort listener;
    StallWorker(*client, listener);
    ASSERT_EQ(2, client->SendAsync());
    EXPECT_EQ(1, client->CancelAsync(2));
    EXPECT_EQ(-1, client->CancelAsync(2));
    EXPECT_EQ(-1, client->CancelAsync(1)) << "task 1 is already running";
    EXPECT_EQ(-1, client->CancelAsync(7)) << "never handed out";

    ASSERT_TRUE(PumpUntil(callback, 1));
    PumpFor(300);
    ASSERT_EQ(1u, callback.completions.size());
    EXPECT_EQ(1, callback.completions[0].taskId);
    EXPECT_EQ(-11, callback.completions[0].resultCode);
    EXPECT_EQ("Operation timeout.", callback.completions[0].message);
}

// Cancelled tasks give their references back: the client is destroyed on
// its last Release.
TEST_F(AsyncTaskTest, CancelAllNeedsSomethingQueued)
{
    bool destroyed = false;
    ISmtpClient* observed = new CSmtpClient(new ObservedWrapper(destroyed));
    observed->SetAsyncCallback(&callback);
    EXPECT_EQ(-1, observed->CancelAsync(0));

    LoopbackPort listener;
    StallWorker(*observed, listener);
    for (int expected = 2; expected <= 4; ++expected)
        ASSERT_EQ(expected, observed->SendAsync());
    EXPECT_EQ(1, observed->CancelAsync(0));
    EXPECT_EQ(-1, observed->CancelAsync(0));
    EXPECT_EQ(-1, observed->CancelAsync(3));

    ASSERT_TRUE(PumpUntil(callback, 1));
    PumpFor(300);
    ASSERT_EQ(1u, callback.completions.size());
    EXPECT_EQ(1, callback.completions[0].taskId);
    EXPECT_FALSE(destroyed);
    observed->Release();
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

    ASSERT_EQ(4u, callback.completions.size());
    const int expectedCodes[] = {-1, -18, -1, -1};
    const char* const expectedMessages[] = {kGeneralError, "No recipients have been specified.",
                                            kGeneralError, kGeneralError};
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(index + 1, callback.completions[index].taskId);
        EXPECT_EQ(expectedCodes[index], callback.completions[index].resultCode);
        EXPECT_EQ(expectedMessages[index], callback.completions[index].message);
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
    bool destroyedDuringCallback = true;
    struct Probe : IAsyncCallback {
        bool* destroyed = nullptr;
        bool* seen = nullptr;
        int calls = 0;
        int OnSendComplete(int, int, const SmtpChar*) override
        {
            *seen = *destroyed;
            ++calls;
            return 0;
        }
    } probe;
    probe.destroyed = &destroyed;
    probe.seen = &destroyedDuringCallback;

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
    EXPECT_FALSE(destroyedDuringCallback);
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(silentDestroyed);
}

TEST_F(AsyncTaskTest, ClientThatNeverSentAsynchronouslyStartsNoThread)
{
    const int before = ThreadCount();
    ISmtpClient* quiet = NewClient();
    quiet->SetHost(W("127.0.0.1").c_str());
    EXPECT_EQ(-1, quiet->CancelAsync(0));
    quiet->Release();
    EXPECT_EQ(before, ThreadCount());
    EXPECT_EQ(0, Platform::DispatchWaitingMessages(0));
}

} // namespace
