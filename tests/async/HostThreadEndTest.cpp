// Host threads that end with a completion still to come: what their tasks
// hold (the task, its reference on the client, the client, its worker) comes
// back, and the host is never called.
#include <gtest/gtest.h>
#include <malloc.h>
#include <poll.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "AsyncTestSupport.h"
#include "LoopbackPort.h"
#include "TestServers.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

struct Resources {
    int threads;
    int descriptors;
    size_t heapInUse;
};

Resources Measure()
{
    return Resources{CountEntries("/proc/self/task"), CountEntries("/proc/self/fd"),
                     mallinfo2().uordblks};
}

// One host thread: a client of its own sends one message and is released;
// the thread ends without dispatching anything, either at once (the task
// still queued or running) or once the completion waits in its queue.
void RunHostThread(IMimeMessage* message, int port, bool waitForCompletion,
                   RecordingCallback* callback)
{
    ISmtpClient* client = NewClient();
    client->SetAsyncCallback(callback);
    client->SetMimeMessage(message);
    UsePort(*client, port);
    client->SendAsync();
    if (waitForCompletion) {
        pollfd entry = {Platform::MessageQueueDescriptor(), POLLIN, 0};
        poll(&entry, 1, 10000);
    }
    client->Release();
}

// Every tenth thread sends to the test server, the others to a port that
// refuses the connection at once: a real transfer that ends quickly.
void RunHostThreads(int count, std::vector<IMimeMessage*>& messages, RecordingCallback& callback)
{
    const int kAtOnce = 20;
    LoopbackPort refusing(false);
    const int serverPort = ServerPort("plain");
    for (int first = 0; first < count; first += kAtOnce) {
        std::vector<std::thread> wave;
        for (int index = first; index < first + kAtOnce && index < count; ++index) {
            const int port = index % 10 == 0 ? serverPort : refusing.Port();
            wave.emplace_back(RunHostThread, messages[index], port, index % 2 == 0, &callback);
        }
        for (std::thread& thread : wave)
            thread.join();
    }
}

TEST(AsyncHostThreadEnd, PendingCompletionsGiveEverythingBackWithoutCallingTheHost)
{
    const int kWarmUp = 40;
    const int kThreads = 500;
    const std::string recipient = "thread-end-" + std::to_string(getpid()) + "@example.test";
    std::vector<IMimeMessage*> messages;
    for (int index = 0; index < kWarmUp + kThreads; ++index) {
        messages.push_back(new CMimeMessage());
        Compose(*messages.back(), recipient, "Thread end");
    }
    RecordingCallback callback;
    std::vector<IMimeMessage*> warmUp(messages.begin(), messages.begin() + kWarmUp);
    std::vector<IMimeMessage*> measured(messages.begin() + kWarmUp, messages.end());
    RunHostThreads(kWarmUp, warmUp, callback);
    const Resources before = Measure();
    ASSERT_TRUE(ThreadsBackTo(before.threads));

    RunHostThreads(kThreads, measured, callback);
    EXPECT_TRUE(ThreadsBackTo(before.threads)) << "workers still running";
    EXPECT_TRUE(EventuallyTrue([&] { return CountEntries("/proc/self/fd") <= before.descriptors; }))
        << CountEntries("/proc/self/fd") << " descriptors, " << before.descriptors << " before";
    const Resources after = Measure();
    // Every leaked task would keep its client and libcurl handle, several KB.
    EXPECT_LE(after.heapInUse, before.heapInUse + 16 * 1024)
        << "heap in use grew from " << before.heapInUse << " to " << after.heapInUse;
    EXPECT_TRUE(callback.completions.empty());
    for (IMimeMessage* message : messages)
        message->Release();
}

} // namespace
