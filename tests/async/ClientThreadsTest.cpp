// Clients used on different threads at the same time, through the exported
// entry points only: every send succeeds and every client's log file holds
// only its own dialogue.
#include <gtest/gtest.h>

#include <atomic>
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
const int kAsyncSendsPerThread = 25;

std::string SenderOf(int client)
{
    return "thread" + std::to_string(client) + "@example.test";
}

int CountOf(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A client of its own with a log file of its own; each send appends its
// dialogue and its summary.
void SendFromThread(int index, int port, const std::string& logPath, std::atomic<int>& failures)
{
    ISmtpClient* client = CreateSmtpClient();
    IMimeMessage* message = CreateMimeMessage();
    client->SetMimeMessage(message);
    UsePort(*client, port);
    client->SetLogFile(W(logPath).c_str(), true);
    Compose(*message, "threads@example.test", "Threads");
    message->SetFrom(W(SenderOf(index)).c_str(), W("").c_str());
    for (int send = 0; send < kSendsPerThread; ++send) {
        if (client->Send() != kResultSuccess)
            ++failures;
    }
    client->Release();
    message->Release();
}

// Queues every send at once and pumps the completions on this thread.
void SendAsyncFromThread(int index, int port, std::atomic<int>& failures)
{
    RecordingCallback callback;
    ISmtpClient* client = CreateSmtpClient();
    IMimeMessage* message = CreateMimeMessage();
    client->SetMimeMessage(message);
    client->SetAsyncCallback(&callback);
    UsePort(*client, port);
    Compose(*message, "threads@example.test", "Threads");
    message->SetFrom(W(SenderOf(index)).c_str(), W("").c_str());
    for (int send = 0; send < kAsyncSendsPerThread; ++send)
        client->SendAsync();
    EventuallyTrue(
        [&] {
            SmtpClientDispatchMessages(100);
            return callback.completions.size() >= size_t(kAsyncSendsPerThread);
        },
        120000);
    client->Release();
    message->Release();
    int succeeded = 0;
    for (const Completion& completion : callback.completions)
        succeeded += completion.resultCode == kResultSuccess ? 1 : 0;
    failures += kAsyncSendsPerThread - succeeded;
}

TEST(ClientThreads, ClientsOnTheirOwnThreadsSendAndLogOnlyTheirOwnDialogue)
{
    const int port = ServerPort("plain");
    TempFolder folder;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int index = 0; index < kSendThreads; ++index)
        threads.emplace_back(SendFromThread, index, port,
                             folder.Path("client" + std::to_string(index) + ".log"),
                             std::ref(failures));
    for (int index = kSendThreads; index < kSendThreads + kAsyncThreads; ++index)
        threads.emplace_back(SendAsyncFromThread, index, port, std::ref(failures));
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(0, failures.load());
    for (int index = 0; index < kSendThreads; ++index) {
        const std::string log = folder.Read("client" + std::to_string(index) + ".log");
        EXPECT_EQ(kSendsPerThread, CountOf(log, "C: MAIL FROM:<")) << index;
        EXPECT_EQ(kSendsPerThread, CountOf(log, "C: MAIL FROM:<" + SenderOf(index) + ">")) << index;
        EXPECT_EQ(kSendsPerThread, CountOf(log, "Email sent successfully!\n")) << index;
        EXPECT_EQ(kSendsPerThread, CountOf(log, "End Connnect: ")) << index;
    }
}

} // namespace
