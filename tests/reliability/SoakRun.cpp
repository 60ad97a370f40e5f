// Many sends in one process: synchronous ones on one client, then
// asynchronous ones queued on another. Reports the growth of resident memory
// after warm-up and the open descriptors against the count before the run,
// and checks that every task completed exactly once, successfully.
//
//     reliability_soak SYNC_SENDS ASYNC_SENDS [MAX_GROWTH_KB]
//
// Needs the SMTP test servers (SMTPCLIENT_TEST_STATE). Exits 0 when every
// send succeeded, every completion came once, the descriptors are back to
// their count and, given MAX_GROWTH_KB, memory grew by no more than that.
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "TestServers.h"
#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/mime/MimeMessage.h"
#include "smtpclient/platform/MessageQueue.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// Sends in flight at most on the asynchronous client.
const int kAsyncWindow = 64;
const int kCompletionWaitS = 120;

long ResidentKb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenDescriptors()
{
    int count = 0;
    DIR* folder = opendir("/proc/self/fd");
    while (folder != nullptr && readdir(folder) != nullptr)
        ++count;
    if (folder != nullptr)
        closedir(folder);
    return count - 3;  // ".", ".." and the folder's own descriptor
}

// Counts made room for before the run, so that the counter itself does not
// grow while memory is measured.
struct CompletionCounter : IAsyncCallback {
    explicit CompletionCounter(int sends) : perTask(sends + 1, 0) {}

    int OnSendComplete(int taskId, int resultCode, const SmtpChar*) override
    {
        ++delivered;
        if (taskId > 0 && taskId < static_cast<int>(perTask.size()))
            ++perTask[taskId];
        else
            ++unknownTasks;
        if (resultCode != 1)
            ++failures;
        return 0;
    }

    int Delivered() const { return delivered; }

    std::vector<int> perTask;  // completions seen, by task id
    int delivered = 0;
    int unknownTasks = 0;
    int failures = 0;
};

struct Phase {
    const char* name;
    long warmKb;
    long endKb;
    int failures;
};

ISmtpClient* NewClient(IMimeMessage* message)
{
    ISmtpClient* client = new CSmtpClient(new CSmtpClientWrapper());
    client->SetMimeMessage(message);
    client->SetHost(W("127.0.0.1").c_str());
    client->SetPort(ServerPort("plain"));
    client->SetUseTls(false);
    client->SetConnectTimeout(10);
    return client;
}

IMimeMessage* NewMessage(const std::string& recipient)
{
    IMimeMessage* message = new CMimeMessage();
    message->SetFrom(W("soak@example.test").c_str(), W("Soak").c_str());
    message->AddTo(W(recipient).c_str(), W("").c_str());
    message->SetSubject(W("Soak").c_str());
    message->SetTextBody(W("One of many.\r\n").c_str());
    return message;
}

// Warm-up is the first tenth of the sends: libcurl's and the TLS library's
// one-time state, the result table and the converter are made by then.
int WarmUpCount(int sends)
{
    return sends / 10;
}

Phase RunSync(int sends)
{
    Phase phase = {"sync", ResidentKb(), 0, 0};
    IMimeMessage* message = NewMessage("soak-sync@example.test");
    ISmtpClient* client = NewClient(message);
    for (int i = 0; i < sends; ++i) {
        if (i == WarmUpCount(sends))
            phase.warmKb = ResidentKb();
        if (client->Send() != 1)
            ++phase.failures;
    }
    phase.endKb = ResidentKb();
    client->Release();
    message->Release();
    return phase;
}

bool PumpUntil(const CompletionCounter& counter, int completions)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kCompletionWaitS);
    while (counter.Delivered() < completions) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Platform::DispatchWaitingMessages(100);
    }
    return true;
}

Phase RunAsync(int sends, CompletionCounter& counter)
{
    Phase phase = {"async", ResidentKb(), 0, 0};
    IMimeMessage* message = NewMessage("soak-async@example.test");
    ISmtpClient* client = NewClient(message);
    client->SetAsyncCallback(&counter);
    int queued = 0;
    while (queued < sends) {
        if (queued == WarmUpCount(sends))
            phase.warmKb = ResidentKb();
        if (client->SendAsync() > 0)
            ++queued;
        else
            ++phase.failures;
        if (queued - counter.Delivered() >= kAsyncWindow)
            PumpUntil(counter, queued - kAsyncWindow / 2);
    }
    PumpUntil(counter, queued);
    // A late duplicate would arrive now.
    Platform::DispatchWaitingMessages(200);
    phase.endKb = ResidentKb();
    client->Release();
    message->Release();
    return phase;
}

int CountedOtherThanOnce(const CompletionCounter& counter)
{
    int wrong = counter.unknownTasks;
    for (size_t taskId = 1; taskId < counter.perTask.size(); ++taskId) {
        if (counter.perTask[taskId] != 1)
            ++wrong;
    }
    return wrong;
}

void Report(const Phase& phase, int sends)
{
    std::printf("%-5s %6d sends, %d failed; resident %ld KB after warm-up, %ld KB at the end: "
                "%+ld KB (%+.2f KB per 1000 sends)\n",
                phase.name, sends, phase.failures, phase.warmKb, phase.endKb,
                phase.endKb - phase.warmKb,
                sends > 0 ? (phase.endKb - phase.warmKb) * 1000.0 / (sends - WarmUpCount(sends)) : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SYNC_SENDS ASYNC_SENDS [MAX_GROWTH_KB]\n", argv[0]);
        return 2;
    }
    const int syncSends = std::atoi(argv[1]);
    const int asyncSends = std::atoi(argv[2]);
    const long maxGrowthKb = argc > 3 ? std::atol(argv[3]) : -1;

    // The host thread's message queue lives as long as the thread: it is
    // made before the count.
    Platform::EnsureMessageQueue();
    const int descriptorsBefore = OpenDescriptors();
    const Phase sync = RunSync(syncSends);
    CompletionCounter counter(asyncSends);
    const Phase async = RunAsync(asyncSends, counter);
    const int descriptorsAfter = OpenDescriptors();

    Report(sync, syncSends);
    Report(async, asyncSends);
    const int wrongCompletions = CountedOtherThanOnce(counter);
    std::printf("completions: %d of %d tasks, %d not exactly once, %d failed\n",
                counter.Delivered(), asyncSends, wrongCompletions, counter.failures);
    std::printf("descriptors: %d before, %d after\n", descriptorsBefore, descriptorsAfter);

    bool ok = sync.failures == 0 && async.failures == 0 && counter.failures == 0 &&
              wrongCompletions == 0 && descriptorsAfter <= descriptorsBefore;
    if (maxGrowthKb >= 0) {
        for (const Phase& phase : {sync, async}) {
            if (phase.endKb - phase.warmKb > maxGrowthKb) {
                std::printf("%s: memory grew by more than %ld KB\n", phase.name, maxGrowthKb);
                ok = false;
            }
        }
    }
    std::printf("%s\n", ok ? "soak passed" : "soak FAILED");
    return ok ? 0 : 1;
}
