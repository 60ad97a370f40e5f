// Clients used on different threads at the same time, through the exported
// entry points only: every send succeeds and is delivered as it was when it
// was queued, every client's log holds only its own dialogue, and each
// thread's poll loop gets its own completions, once each and in order.
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "AsyncTestSupport.h"
#include "TempFolder.h"
#include "TestServers.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

const int kSendThreads = 8;
const int kSendsPerThread = 100;
const int kAsyncThreads = 4;
const int kClientsPerAsyncThread = 2;
const int kAsyncSendsPerClient = 25;

std::string SenderOf(int client)
{
    return "thread" + std::to_string(client) + "@example.test";
}

std::string AsyncRecipient()
{
    return "threads-async-" + std::to_string(getpid()) + "@example.test";
}

int CountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

bool Readable(int descriptor, int timeoutMs)
{
    pollfd entry = {descriptor, POLLIN, 0};
    return poll(&entry, 1, timeoutMs) == 1 && (entry.revents & POLLIN) != 0;
}

struct SyncRun {
    int failures = 0;
    std::string lastSessionLog;
};

// A client of its own with a log file of its own; each send appends its
// dialogue and its summary.
void SendFromThread(int index, int port, const std::string& logPath, SyncRun& run)
{
    ISmtpClient* client = CreateSmtpClient();
    IMimeMessage* message = CreateMimeMessage();
    client->SetMimeMessage(message);
    UsePort(*client, port);
    client->SetLogFile(W(logPath).c_str(), true);
    Compose(*message, "threads@example.test", "Threads");
    message->SetFrom(W(SenderOf(index)).c_str(), W("").c_str());
    for (int send = 0; send < kSendsPerThread; ++send)
        run.failures += client->Send() == kResultSuccess ? 0 : 1;
    run.lastSessionLog = U8(client->GetSessionLog());
    client->Release();
    message->Release();
}

struct AsyncRun {
    RecordingCallback callbacks[kClientsPerAsyncThread];
    int firstDispatch = 0;
    int emptyWakeUps = 0;
    bool idleAfterwards = false;
};

// Two clients queue their sends, each with a subject of its own, and are
// given up with their message at once: the tasks took what they need and
// hold the clients until they complete. The completions come in this
// thread's own poll loop on its queue's descriptor.
void SendAsyncFromThread(int index, int port, AsyncRun& run)
{
    for (int which = 0; which < kClientsPerAsyncThread; ++which) {
        const std::string sender = SenderOf(index * kClientsPerAsyncThread + which);
        ISmtpClient* client = CreateSmtpClient();
        IMimeMessage* message = CreateMimeMessage();
        client->SetMimeMessage(message);
        client->SetAsyncCallback(&run.callbacks[which]);
        UsePort(*client, port);
        Compose(*message, AsyncRecipient(), "");
        message->SetFrom(W(sender).c_str(), W("").c_str());
        for (int send = 1; send <= kAsyncSendsPerClient; ++send) {
            message->SetSubject(W("Load " + sender + " " + std::to_string(send)).c_str());
            client->SendAsync();
        }
        client->Release();
        message->Release();
    }
    // -1 waits for as long as it takes the first completion to come.
    run.firstDispatch = SmtpClientDispatchMessages(-1);
    const int descriptor = SmtpClientMessageFd();
    auto pending = [&run] {
        for (const RecordingCallback& callback : run.callbacks) {
            if (callback.completions.size() < size_t(kAsyncSendsPerClient))
                return true;
        }
        return false;
    };
    while (pending() && Readable(descriptor, 30000))
        run.emptyWakeUps += SmtpClientDispatchMessages(0) > 0 ? 0 : 1;
    run.idleAfterwards = !Readable(descriptor, 0) && SmtpClientDispatchMessages(0) == 0;
}

// The server stores each mail before it acknowledges it.
std::set<std::string> SubjectsOf(const std::vector<ReceivedMail>& mails)
{
    std::set<std::string> subjects;
    for (const ReceivedMail& mail : mails) {
        const size_t start = mail.raw.find("Subject: Load ");
        subjects.insert(mail.raw.substr(start, mail.raw.find('\r', start) - start));
    }
    return subjects;
}

TEST(ClientThreads, ClientsOnTheirOwnThreadsSendAndLogOnlyTheirOwnDialogue)
{
    const int port = ServerPort("plain");
    TempFolder folder;
    SyncRun syncRuns[kSendThreads];
    AsyncRun asyncRuns[kAsyncThreads];
    std::vector<std::thread> threads;
    std::vector<std::thread::id> asyncThreads(kAsyncThreads);
    for (int index = 0; index < kSendThreads; ++index)
        threads.emplace_back(SendFromThread, index, port,
                             folder.Path("client" + std::to_string(index) + ".log"),
                             std::ref(syncRuns[index]));
    for (int index = 0; index < kAsyncThreads; ++index) {
        threads.emplace_back(SendAsyncFromThread, kSendThreads + index, port,
                             std::ref(asyncRuns[index]));
        asyncThreads[index] = threads.back().get_id();
    }
    for (std::thread& thread : threads)
        thread.join();

    for (int index = 0; index < kSendThreads; ++index) {
        EXPECT_EQ(0, syncRuns[index].failures) << index;
        const std::string log = folder.Read("client" + std::to_string(index) + ".log");
        EXPECT_EQ(kSendsPerThread, CountOf(log, "C: MAIL FROM:<")) << index;
        EXPECT_EQ(kSendsPerThread, CountOf(log, "C: MAIL FROM:<" + SenderOf(index) + ">")) << index;
        EXPECT_EQ(kSendsPerThread, CountOf(log, "Email sent successfully!\n")) << index;
        // Each send starts a session log of its own.
        const std::string& session = syncRuns[index].lastSessionLog;
        EXPECT_EQ(1, CountOf(session, "C: MAIL FROM:<")) << index;
        EXPECT_EQ(1, CountOf(session, "C: MAIL FROM:<" + SenderOf(index) + ">")) << index;
    }
    for (int index = 0; index < kAsyncThreads; ++index) {
        const AsyncRun& run = asyncRuns[index];
        for (const RecordingCallback& callback : run.callbacks) {
            ASSERT_EQ(size_t(kAsyncSendsPerClient), callback.completions.size()) << index;
            for (int task = 0; task < kAsyncSendsPerClient; ++task) {
                const Completion& completion = callback.completions[task];
                EXPECT_EQ(task + 1, completion.taskId);
                EXPECT_EQ(kResultSuccess, completion.resultCode);
                EXPECT_EQ("", completion.message);
                EXPECT_EQ(asyncThreads[index], completion.thread);
            }
        }
        EXPECT_GE(run.firstDispatch, 1) << index;
        EXPECT_EQ(0, run.emptyWakeUps) << "woken with nothing to dispatch";
        EXPECT_TRUE(run.idleAfterwards);
    }
    const size_t asyncSends = kAsyncThreads * kClientsPerAsyncThread * kAsyncSendsPerClient;
    const std::vector<ReceivedMail> received = MailTo(AsyncRecipient());
    EXPECT_EQ(asyncSends, received.size());
    EXPECT_EQ(asyncSends, SubjectsOf(received).size());
}

} // namespace
