// Memory that runs out at any point of a host's work: the program replaces
// operator new and hands libcurl allocators of its own, then fails the n-th
// allocation of the host's thread, for every n, over composing a message,
// Send, SendAsync pumped to its completion, and giving both objects up. Each
// run must end in success or a failure code: no exception reaches the host,
// no send is stranded, libcurl gets back everything it handed out, and the
// objects, once the failure passed, still send what was composed. Under
// AddressSanitizer the leak check at exit covers the library's own memory.
// The program links the short transfer bounds (ShortTransferBounds.cpp).
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

#include "TempFolder.h"
#include "TestJson.h"
#include "TestServers.h"
#include "TestText.h"
#include "smtpclient/ISmtpClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// Only allocations of the thread that runs the host's calls are counted and
// failed: the worker's share depends on timing, and a send's transfer is the
// same code on either thread.
thread_local bool hostThread = false;
long allocationsSeen = 0;
long failingAllocation = 0; // 0: none fails
bool failed = false;

std::atomic<long> liveCurlAllocations(0);

bool FailThisOne()
{
    if (!hostThread)
        return false;
    ++allocationsSeen;
    if (allocationsSeen != failingAllocation)
        return false;
    failed = true;
    return true;
}

void* Allocate(std::size_t size)
{
    if (FailThisOne())
        return nullptr;
    return std::malloc(size != 0 ? size : 1);
}

void* CurlMalloc(size_t size)
{
    void* block = Allocate(size);
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
    if (FailThisOne())
        return nullptr;
    void* grown = std::realloc(block, size);
    if (block == nullptr && grown != nullptr)
        ++liveCurlAllocations;
    return grown;
}

char* CurlStrdup(const char* text)
{
    char* copy = static_cast<char*>(CurlMalloc(std::strlen(text) + 1));
    return copy != nullptr ? std::strcpy(copy, text) : nullptr;
}

void* CurlCalloc(size_t count, size_t size)
{
    void* block = CurlMalloc(count * size);
    return block != nullptr ? std::memset(block, 0, count * size) : nullptr;
}

// Called through a pointer, so that the compiler does not take free() after
// an inlined operator new for a mismatched pair.
void (*volatile releaseBlock)(void*) = std::free;

} // namespace

void* operator new(std::size_t size)
{
    void* block = Allocate(size);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void operator delete(void* block) noexcept
{
    releaseBlock(block);
}
void operator delete[](void* block) noexcept
{
    releaseBlock(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    releaseBlock(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    releaseBlock(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept
{
    releaseBlock(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    releaseBlock(block);
}

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

struct RunOutcome {
    bool composed = false; // both factories gave an object
    int sendResult = 0;
    int taskId = 0;
    int asyncResult = 0; // 0: no completion
    bool completed = false;
    bool intact = false;    // every setting and entry took
    size_t recipients = 0;  // envelope entries the message held
    int nextSendResult = 0; // a later send of the same objects, nothing failing
};

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
    {
        html = folder.Write("body.html",
                            "<p>Hello <img src=\"" + folder.Path("logo.png") + "\"> again</p>");
        folder.Write("logo.png", std::string(600, 'p'));
        attachment = folder.Write("report.txt", std::string(3000, 'r'));
        logFile = folder.Path("session.log");
    }

    // One host's whole work, with allocation number failAt (0: none) failing.
    RunOutcome Run(long failAt)
    {
        RunOutcome outcome;
        // Each run's mail is known by its own first recipient.
        to = W("alloc-" + std::to_string(failAt) + "@example.test");
        allocationsSeen = 0;
        failingAllocation = failAt;
        failed = false;
        hostThread = true;
        try {
            RunArmed(outcome);
        } catch (...) {
            hostThread = false;
            ADD_FAILURE() << "an exception reached the host at allocation " << failAt;
        }
        // Giving the objects up is part of the host's work too.
        hostThread = true;
        ReleaseObjects();
        hostThread = false;
        return outcome;
    }

    TempFolder folder;
    std::string html;
    std::string attachment;
    std::string logFile;
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
    WString htmlPath;
    WString attachmentPath;
    WString logPath;
    int port = 0;

private:
    // The objects live on after the failure: whatever took must still send.
    void RunArmed(RunOutcome& outcome)
    {
        message = CreateMimeMessage();
        client = CreateSmtpClient();
        if (message == nullptr || client == nullptr)
            return;
        outcome.composed = true;
        Compose(*message, *client);
        outcome.sendResult = client->Send();
        SendAsyncAndPump(*client, outcome);
        hostThread = false;
        outcome.recipients = static_cast<size_t>(message->GetToCount() + message->GetCcCount()
                                                 + message->GetBccCount());
        outcome.intact = IsIntact(*message, *client);
        if (outcome.intact)
            outcome.nextSendResult = client->Send();
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

    void SendAsyncAndPump(ISmtpClient& client, RunOutcome& outcome)
    {
        const int before = callback.count;
        outcome.taskId = client.SendAsync();
        if (outcome.taskId <= 0)
            return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (callback.count == before && std::chrono::steady_clock::now() < deadline)
            SmtpClientDispatchMessages(100);
        outcome.completed = callback.count == before + 1 && callback.lastTaskId == outcome.taskId;
        outcome.asyncResult = callback.lastResultCode;
    }

    CountingCallback callback;
    IMimeMessage* message = nullptr;
    ISmtpClient* client = nullptr;
};

} // namespace

TEST_F(AllocationFailure, EveryFailingAllocationEndsInAnOutcome)
{
    htmlPath = W(html);
    attachmentPath = W(attachment);
    logPath = W(logFile);
    port = ServerPort("plain");
    // The first run builds what lives as long as the process (the result
    // table, the shared converter, the host thread's message queue).
    const RunOutcome warmUp = Run(0);
    ASSERT_EQ(1, warmUp.sendResult);
    ASSERT_TRUE(warmUp.completed);
    ASSERT_EQ(1, warmUp.asyncResult);
    Run(0);
    const long allocationsPerRun = allocationsSeen;
    const long liveBefore = liveCurlAllocations.load();

    std::map<std::string, size_t> recipientsByRun;
    long failurePoints = 0;
    long successes = 0;
    long timedOut = 0;
    const auto started = std::chrono::steady_clock::now();
    for (long failAt = 1;; ++failAt) {
        const RunOutcome outcome = Run(failAt);
        if (!failed)
            break;
        ++failurePoints;
        recipientsByRun[U8(to)] = outcome.recipients;
        if (outcome.composed) {
            EXPECT_TRUE(IsOutcome(outcome.sendResult))
                << "Send returned " << outcome.sendResult << " at allocation " << failAt;
            EXPECT_TRUE(outcome.taskId > 0 || outcome.taskId == -1)
                << "SendAsync returned " << outcome.taskId << " at allocation " << failAt;
            if (outcome.taskId > 0) {
                EXPECT_TRUE(outcome.completed) << "task stranded at allocation " << failAt;
                EXPECT_TRUE(IsOutcome(outcome.asyncResult))
                    << "completion " << outcome.asyncResult << " at allocation " << failAt;
            }
            if (outcome.intact) {
                EXPECT_EQ(1, outcome.nextSendResult)
                    << "objects unusable after allocation " << failAt;
            }
            if (outcome.sendResult == 1 && outcome.asyncResult == 1)
                ++successes;
            if (outcome.sendResult == -11)
                ++timedOut;
        }
        EXPECT_EQ(liveBefore, liveCurlAllocations.load())
            << "libcurl memory not given back at allocation " << failAt;
        if (HasFailure())
            break;
    }
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started)
            .count();
    std::printf("allocation failure: %ld allocations per run (host thread), %ld failure points "
                "tried, each ended in an outcome (%ld still delivered both mails, %ld Send ended "
                "by a time-out), %lld s\n",
                allocationsPerRun, failurePoints, successes, timedOut,
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
