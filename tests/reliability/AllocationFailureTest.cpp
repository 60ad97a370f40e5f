// Memory that runs out at any point of a host's work: the n-th allocation of
// the process, on any thread (the worker's too), fails, for every n, over
// composing a message, Send, SendAsync pumped to its completion and giving
// both objects up. Each run must end in success or a failure code:
// no exception reaches the host, no send is stranded, libcurl gets back all
// it handed out, and the objects, once the failure passed, still send what
// was composed. Under AddressSanitizer the leak check at exit covers the
// library's own memory.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "FailingAllocator.h"
#include "TempFolder.h"
#include "TestJson.h"
#include "TestServers.h"
#include "TestText.h"
#include "smtpclient/ISmtpClient.h"
#include "smtpclient/TransferTimeouts.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

std::atomic<long> liveCurlAllocations(0);

// libcurl's allocations count here on top of the allocator's, so that the
// test sees whether it gave back all it took.
void* CurlMalloc(size_t size)
{
    void* block = std::malloc(size);
    if (block != nullptr)
        ++liveCurlAllocations;
    return block;
}

void CurlFree(void* block)
{
    if (block != nullptr)
        --liveCurlAllocations;
    std::free(block);
}

void* CurlRealloc(void* block, size_t size)
{
    void* grown = std::realloc(block, size);
    if (block == nullptr && grown != nullptr)
        ++liveCurlAllocations;
    return grown;
}

char* CurlStrdup(const char* text)
{
    void* copy = CurlMalloc(std::strlen(text) + 1);
    return copy != nullptr ? std::strcpy(static_cast<char*>(copy), text) : nullptr;
}

void* CurlCalloc(size_t count, size_t size)
{
    void* block = CurlMalloc(count * size);
    return block != nullptr ? std::memset(block, 0, count * size) : nullptr;
}

} // namespace

namespace {

// Allocates nothing, so that the host's own bookkeeping cannot fail.
struct CountingCallback : IAsyncCallback {
    int OnSendComplete(int taskId, int resultCode, const SmtpChar*) override
    {
        ++count;
        lastTaskId = taskId;
        lastResultCode = resultCode;
        return 0;
    }

    int count = 0;
    int lastTaskId = 0;
    int lastResultCode = 0;
};

// The envelope recipients of every mail the test servers took, by file.
std::map<std::string, std::vector<std::string>> ReceivedEnvelopes()
{
    std::map<std::string, std::vector<std::string>> envelopes;
    const char* state = std::getenv("SMTPCLIENT_TEST_STATE");
    for (const auto& entry : std::filesystem::directory_iterator(std::string(state) + "/mail")) {
        if (entry.path().extension() != ".json")
            continue;
        std::ifstream file(entry.path());
        const std::string text((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        const std::vector<std::string> recipients = ParseJsonObject(text)["rcpt_tos"];
        if (!recipients.empty())
            envelopes[entry.path().string()] = recipients;
    }
    return envelopes;
}

bool IsOutcome(int code)
{
    return code == 1 || code < 0;
}

class AllocationFailure : public testing::Test {
public:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(CURLE_OK, curl_global_init_mem(CURL_GLOBAL_ALL, CurlMalloc, CurlFree, CurlRealloc,
                                                 CurlStrdup, CurlCalloc));
    }

    AllocationFailure()
        : htmlPath(W(folder.Write("body.html", "<p>Hello <img src=\"" + folder.Path("logo.png")
                                                   + "\"> again</p>"))),
          attachmentPath(W(folder.Write("report.txt", std::string(3000, 'r')))),
          logPath(W(folder.Path("session.log")))
    {
        folder.Write("logo.png", std::string(600, 'p'));
    }

    // One host's whole work, with allocation number failAt (0: none) failing,
    // and the checks of what the host saw.
    void Run(long failAt)
    {
        // Each run's mail is known by its own first recipient.
        to = W("alloc-" + std::to_string(failAt) + "@example.test");
        delivered = timedOut = false;
        FailingAllocator::Arm(failAt);
        try {
            RunArmed(failAt);
        } catch (...) {
            FailingAllocator::Disarm();
            ADD_FAILURE() << "an exception reached the host at allocation " << failAt;
        }
        // Giving the objects up is part of the host's work too.
        FailingAllocator::Resume();
        ReleaseObjects();
        FailingAllocator::Disarm();
    }

    TempFolder folder;
    // Made before any run, so that the host's own text needs no allocation.
    const WString from = W("sender@example.test");
    const WString fromName = W("Sénder");
    WString to;
    const WString cc = W("alloc-cc@example.test");
    const WString bcc = W("alloc-bcc@example.test");
    const WString name = W("Empfänger");
    const WString subject = W("Speicher knapp: ärger");
    const WString text = W("Plain text.\r\n");
    const WString host = W("127.0.0.1");
    const WString charset = W("UTF-8");
    const WString htmlPath;
    const WString attachmentPath;
    const WString logPath;
    const int port = ServerPort("plain");
    // What the last run came to.
    bool delivered = false; // both sends succeeded
    bool timedOut = false;  // Send ended by a time-out
    // Envelope entries each run's message held, by its first recipient.
    std::map<std::string, size_t> recipientsByRun;

private:
    // The objects live on after the failure: whatever took must still send.
    void RunArmed(long failAt)
    {
        message = CreateMimeMessage();
        client = CreateSmtpClient();
        if (message == nullptr || client == nullptr)
            return;
        Compose(*message, *client);
        const int sendResult = client->Send();
        const int taskId = client->SendAsync();
        const int asyncResult = taskId > 0 ? PumpCompletionOf(taskId) : 0;
        FailingAllocator::Disarm();
        recipientsByRun[U8(to)] = static_cast<size_t>(message->GetToCount() + message->GetCcCount()
                                                      + message->GetBccCount());
        EXPECT_TRUE(IsOutcome(sendResult))
            << "Send returned " << sendResult << " at allocation " << failAt;
        EXPECT_TRUE(taskId > 0 || taskId == -1)
            << "SendAsync returned " << taskId << " at allocation " << failAt;
        // 0: the task was stranded.
        EXPECT_TRUE(taskId <= 0 || IsOutcome(asyncResult))
            << "task completed with " << asyncResult << " at allocation " << failAt;
        if (IsIntact(*message, *client)) {
            EXPECT_EQ(1, client->Send()) << "objects unusable after allocation " << failAt;
        }
        delivered = sendResult == 1 && asyncResult == 1;
        timedOut = sendResult == -11;
    }

    void ReleaseObjects()
    {
        if (client != nullptr)
            client->Release();
        if (message != nullptr)
            message->Release();
        client = nullptr;
        message = nullptr;
    }

    bool IsIntact(IMimeMessage& message, ISmtpClient& client) const
    {
        return message.GetFrom(0) == from && message.GetFrom(1) == fromName
               && message.GetToCount() == 1 && message.GetCcCount() == 1
               && message.GetBccCount() == 1 && message.GetSubject() == subject
               && message.GetTextBody() == text
               && U8(message.GetHtmlBody()).find("cid:") != std::string::npos
               && message.GetInlineImageCount() == 1 && message.GetAttachmentCount() == 1
               && client.GetHost() == host && client.GetMimeMessage() == &message;
    }

    void Compose(IMimeMessage& message, ISmtpClient& client)
    {
        message.SetCharset(charset.c_str());
        message.SetFrom(from.c_str(), fromName.c_str());
        message.AddTo(to.c_str(), name.c_str());
        message.AddCc(cc.c_str(), nullptr);
        message.AddBcc(bcc.c_str(), nullptr);
        message.SetSubject(subject.c_str());
        message.SetTextBody(text.c_str());
        message.LoadBodyFromFile(htmlPath.c_str(), 5);
        message.AddAttachment(attachmentPath.c_str());
        client.SetHost(host.c_str());
        client.SetPort(port);
        client.SetUseTls(false);
        client.SetConnectTimeout(10);
        client.SetLogFile(logPath.c_str(), false);
        client.SetMimeMessage(&message);
        client.SetAsyncCallback(&callback);
    }

    // The code of the task's completion; 0 unless it came, alone, within 30 s.
    int PumpCompletionOf(int taskId)
    {
        const int before = callback.count;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (callback.count == before && std::chrono::steady_clock::now() < deadline)
            SmtpClientDispatchMessages(100);
        const bool completed = callback.count == before + 1 && callback.lastTaskId == taskId;
        return completed ? callback.lastResultCode : 0;
    }

    CountingCallback callback;
    IMimeMessage* message = nullptr;
    ISmtpClient* client = nullptr;
};

} // namespace

TEST_F(AllocationFailure, EveryFailingAllocationEndsInAnOutcome)
{
    // The first run builds what lives as long as the process (the result
    // table, the shared converter, the host thread's message queue).
    Run(0);
    ASSERT_TRUE(delivered);
    Run(0);
    const long allocationsPerRun = FailingAllocator::Seen();
    const long liveBefore = liveCurlAllocations.load();

    long failurePoints = 0;
    long successes = 0;
    long timeOuts = 0;
    const auto started = std::chrono::steady_clock::now();
    for (long failAt = 1;; ++failAt) {
        const auto runStarted = std::chrono::steady_clock::now();
        Run(failAt);
        // Only a wait for a reply that cannot come lasts as long as the
        // reply bound (the short one this program links).
        const bool waitedOut = std::chrono::steady_clock::now() - runStarted
                               >= std::chrono::milliseconds(kTransferBounds.replyWaitMs);
        EXPECT_FALSE(waitedOut) << "a send waited out the reply bound at allocation " << failAt;
        if (!FailingAllocator::Failed())
            break;
        ++failurePoints;
        successes += delivered ? 1 : 0;
        timeOuts += timedOut ? 1 : 0;
        EXPECT_EQ(liveBefore, liveCurlAllocations.load())
            << "libcurl memory not given back at allocation " << failAt;
        if (HasFailure())
            break;
    }
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started)
            .count();
    std::printf("allocation failure: %ld allocations per run (every thread), %ld failure points "
                "tried, each ended in an outcome (%ld still delivered both mails, %ld Send ended "
                "by a time-out), %lld s\n",
                allocationsPerRun, failurePoints, successes, timeOuts,
                static_cast<long long>(seconds));
    EXPECT_GE(failurePoints, allocationsPerRun / 2);
    // A send that reported success went to every recipient of its message.
    for (const auto& [path, envelope] : ReceivedEnvelopes()) {
        const auto run = recipientsByRun.find(envelope.front());
        if (run != recipientsByRun.end()) {
            EXPECT_EQ(run->second, envelope.size()) << "envelope cut short in " << path;
        }
    }
}
