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
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>

#include "../async/AsyncTestSupport.h"
#include "TestServers.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

const int kAsyncWindow = 64;  // sends in flight at most

long ResidentKb()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Less the one the listing itself holds open.
int OpenDescriptors()
{
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {})) - 1;
}

// Made room for before the run, so that it does not grow while memory is
// measured.
struct CompletionCounter : IAsyncCallback {
    explicit CompletionCounter(int sends) : perTask(sends + 1, 0) {}

    int OnSendComplete(int taskId, int resultCode, const SmtpChar*) override
    {
        ++delivered;
        ++(taskId > 0 && taskId < static_cast<int>(perTask.size()) ? perTask[taskId] : unknownTasks);
        failures += resultCode != 1 ? 1 : 0;
        return 0;
    }

    int CountedOtherThanOnce() const
    {
        int wrong = unknownTasks;
        for (size_t taskId = 1; taskId < perTask.size(); ++taskId)
            wrong += perTask[taskId] != 1 ? 1 : 0;
        return wrong;
    }

    bool PumpUntil(int completions) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (delivered < completions && std::chrono::steady_clock::now() < deadline)
            Platform::DispatchWaitingMessages(100);
        return delivered >= completions;
    }

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

// Warm-up is the first tenth of the sends: libcurl's and the TLS library's
// one-time state, the result table and the converter are made by then.
int WarmUpCount(int sends)
{
    return sends / 10;
}

// Synchronous without a counter; with one, queued, at most kAsyncWindow in
// flight. False when the send failed.
bool SendOne(ISmtpClient& client, CompletionCounter* counter, int& queued)
{
    if (counter == nullptr)
        return client.Send() == 1;
    if (client.SendAsync() <= 0)
        return false;
    if (++queued - counter->delivered >= kAsyncWindow)
        counter->PumpUntil(queued - kAsyncWindow / 2);
    return true;
}

Phase RunPhase(const char* name, int sends, CompletionCounter* counter)
{
    Phase phase = {name, ResidentKb(), 0, 0};
    IMimeMessage* message = new CMimeMessage();
    Compose(*message, std::string("soak-") + name + "@example.test", "Soak");
    ISmtpClient* client = NewClient();
    client->SetMimeMessage(message);
    client->SetAsyncCallback(counter);
    UsePort(*client, ServerPort("plain"));
    client->SetConnectTimeout(10);
    int queued = 0;
    for (int i = 0; i < sends; ++i) {
        if (i == WarmUpCount(sends))
            phase.warmKb = ResidentKb();
        phase.failures += SendOne(*client, counter, queued) ? 0 : 1;
    }
    if (counter != nullptr) {
        counter->PumpUntil(queued);
        Platform::DispatchWaitingMessages(200);  // a late duplicate would arrive now
    }
    phase.endKb = ResidentKb();
    client->Release();
    message->Release();
    return phase;
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
    const Phase sync = RunPhase("sync", syncSends, nullptr);
    CompletionCounter counter(asyncSends);
    const Phase async = RunPhase("async", asyncSends, &counter);
    const int descriptorsAfter = OpenDescriptors();

    Report(sync, syncSends);
    Report(async, asyncSends);
    const int wrongCompletions = counter.CountedOtherThanOnce();
    std::printf("completions: %d of %d tasks, %d not exactly once, %d failed\n",
                counter.delivered, asyncSends, wrongCompletions, counter.failures);
    std::printf("descriptors: %d before, %d after\n", descriptorsBefore, descriptorsAfter);

    bool ok = sync.failures == 0 && async.failures == 0 && counter.failures == 0 &&
              wrongCompletions == 0 && descriptorsAfter <= descriptorsBefore;
    for (const Phase& phase : {sync, async}) {
        if (maxGrowthKb >= 0 && phase.endKb - phase.warmKb > maxGrowthKb) {
            std::printf("%s: memory grew by more than %ld KB\n", phase.name, maxGrowthKb);
            ok = false;
        }
    }
    std::printf("%s\n", ok ? "soak passed" : "soak FAILED");
    return ok ? 0 : 1;
}
