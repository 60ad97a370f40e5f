// Asynchronous sends that need no mail server: task ids, cancelling, the
// build failures reported through the callback, the thread completions run
// on, and the lifetime of the client implementation.
#include <gtest/gtest.h>
#include <dirent.h>

#include <thread>

#include "AsyncTestSupport.h"
#include "LocalListener.h"

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
        if (client != nullptr)
            client->Release();
        message->Release();
    }

    // Task 1 runs against a listener that never greets; tasks queued after
    // it stay queued for about two seconds.
    void StallWorker(const LocalListener& listener)
    {
        StallWorkerOf(*client, listener);
    }

    void StallWorkerOf(ISmtpClient& stalled, const LocalListener& listener)
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

TEST_F(AsyncTaskTest, TaskIdsCountFromOnePerClient)
{
    RecordingCallback otherCallback;
    ISmtpClient* other = NewClient();
    other->SetAsyncCallback(&otherCallback);

    EXPECT_EQ(1, client->SendAsync());
    EXPECT_EQ(2, client->SendAsync());
    EXPECT_EQ(1, other->SendAsync());
    EXPECT_EQ(3, client->SendAsync());
    ASSERT_TRUE(PumpUntil(callback, 3));
    ASSERT_TRUE(PumpUntil(otherCallback, 1));
    other->Release();

    ASSERT_EQ(3u, callback.completions.size());
    for (int index = 0; index < 3; ++index)
        EXPECT_EQ(index + 1, callback.completions[index].taskId);
    EXPECT_EQ(1, otherCallback.completions[0].taskId);
}

TEST_F(AsyncTaskTest, NoMessageReportsAGeneralError)
{
    LocalListener listener;
    UsePort(*client, listener.Port());
    const int taskId = client->SendAsync();
    ASSERT_TRUE(PumpUntil(callback, 1));
    EXPECT_EQ(taskId, callback.completions[0].taskId);
    EXPECT_EQ(-1, callback.completions[0].resultCode);
    EXPECT_EQ(kGeneralError, callback.completions[0].message);
    EXPECT_EQ(999, client->GetLastResultCode()) << "the asynchronous path leaves it alone";
}

TEST_F(AsyncTaskTest, NoRecipientsIsReportedWithoutConnecting)
{
    LocalListener listener;
    UsePort(*client, listener.Port());
    message->SetFrom(W("sender@example.test").c_str(), W("").c_str());
    client->SetMimeMessage(message);
    client->SendAsync();
    ASSERT_TRUE(PumpUntil(callback, 1));
    EXPECT_EQ(-18, callback.completions[0].resultCode);
    EXPECT_EQ("No recipients have been specified.", callback.completions[0].message);
    EXPECT_FALSE(listener.SomeoneConnected());
}

TEST_F(AsyncTaskTest, CancelWithdrawsOneQueuedTaskOnce)
{
    LocalListener listener;
    StallWorker(listener);
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

TEST_F(AsyncTaskTest, CancelAllNeedsSomethingQueued)
{
    EXPECT_EQ(-1, client->CancelAsync(0));

    LocalListener listener;
    StallWorker(listener);
    for (int expected = 2; expected <= 4; ++expected)
        ASSERT_EQ(expected, client->SendAsync());
    EXPECT_EQ(1, client->CancelAsync(0));
    EXPECT_EQ(-1, client->CancelAsync(0));
    EXPECT_EQ(-1, client->CancelAsync(3));

    ASSERT_TRUE(PumpUntil(callback, 1));
    PumpFor(300);
    ASSERT_EQ(1u, callback.completions.size());
    EXPECT_EQ(1, callback.completions[0].taskId);
}

TEST_F(AsyncTaskTest, ClientWhoseTasksWereCancelledIsDestroyedOnRelease)
{
    bool destroyed = false;
    ISmtpClient* observed = new CSmtpClient(new ObservedWrapper(destroyed));
    observed->SetAsyncCallback(&callback);
    LocalListener listener;
    StallWorkerOf(*observed, listener);
    observed->SendAsync();
    observed->SendAsync();
    EXPECT_EQ(1, observed->CancelAsync(0));
    ASSERT_TRUE(PumpUntil(callback, 1));
    EXPECT_FALSE(destroyed);
    observed->Release();
    EXPECT_TRUE(destroyed);
}

TEST_F(AsyncTaskTest, CompletionsComeInOrderOnTheThreadOfTheFirstSendAsync)
{
    LocalListener listener;
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
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(index + 1, callback.completions[index].taskId);
        EXPECT_EQ(expectedCodes[index], callback.completions[index].resultCode);
        EXPECT_EQ(host, callback.completions[index].thread);
    }
    EXPECT_FALSE(listener.SomeoneConnected());
}

TEST_F(AsyncTaskTest, ReleasingRightAfterSendAsyncStillCompletesFirst)
{
    bool destroyed = false;
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
    EXPECT_FALSE(destroyed);

    for (int round = 0; round < 300 && probe.calls == 0; ++round)
        Platform::DispatchWaitingMessages(100);
    EXPECT_EQ(1, probe.calls);
    EXPECT_FALSE(destroyedDuringCallback);
    EXPECT_TRUE(destroyed);
}

TEST_F(AsyncTaskTest, CompletionWithoutCallbackStillGivesTheClientBack)
{
    bool destroyed = false;
    ISmtpClient* observed = new CSmtpClient(new ObservedWrapper(destroyed));
    observed->SendAsync();
    observed->Release();
    for (int round = 0; round < 300 && !destroyed; ++round)
        Platform::DispatchWaitingMessages(100);
    EXPECT_TRUE(destroyed);
}

TEST_F(AsyncTaskTest, EachClientHasItsOwnWorkerAndWindow)
{
    RecordingCallback otherCallback;
    ISmtpClient* other = NewClient();
    other->SetAsyncCallback(&otherCallback);

    client->SendAsync();
    const int withOneWorker = ThreadCount();
    other->SendAsync();
    EXPECT_EQ(withOneWorker + 1, ThreadCount());
    ASSERT_TRUE(PumpUntil(otherCallback, 1));
    other->Release();
    EXPECT_EQ(withOneWorker, SettledThreadCount(withOneWorker))
        << "the released client's worker ended";

    client->SendAsync();
    ASSERT_TRUE(PumpUntil(callback, 2)) << "the other client's teardown left this window alone";
    EXPECT_EQ(1, callback.completions[0].taskId);
    EXPECT_EQ(2, callback.completions[1].taskId);
    ASSERT_EQ(1u, otherCallback.completions.size());
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
