// Many sends in one process: synchronous ones on one client, then
// asynchronous ones queued on another. Reports the growth of resident memory
// after warm-up, the open descriptors before and after, and completions.
//
//     reliability_soak SYNC_SENDS ASYNC_SENDS [MAX_GROWTH_KB]
//
// Needs the SMTP test servers (SMTPCLIENT_TEST_STATE). Exits 0 when every
// send succeeded, every task completed exactly once, the descriptors are back
// to their count and, given MAX_GROWTH_KB, no phase grew by more than that.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "AsyncTestSupport.h"
#include "TestServers.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

const int kAsyncWindow = 64; // sends in flight at most

long ResidentKb()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Sized before the run, so that it does not grow while memory is measured.
struct CompletionCounter : IAsyncCallback {
    explicit CompletionCounter(int sends) : perTask(sends + 1, 0) {}

    int OnSendComplete(int taskId, int resultCode, const SmtpChar*) override
    {
        ++delivered;
        ++perTask[taskId > 0 && taskId < static_cast<int>(perTask.size()) ? taskId : 0];
        failures += resultCode != 1 ? 1 : 0;
        return 0;
    }

    // Gives up after two minutes without a completion.
    void PumpUntil(int completions) const
    {
        for (int idle = 0; delivered < completions && idle < 1200;)
            idle = Platform::DispatchWaitingMessages(100) > 0 ? 0 : idle + 1;
    }

    std::vector<int> perTask; // completions seen, by task id; 0 for unknown ids
    int delivered = 0;
    int failures = 0;
};

// Prints the phase's line; false when a send failed or memory grew by more
// than maxGrowthKb (when not negative).
bool RunPhase(const char* name, int sends, CompletionCounter* counter, long maxGrowthKb)
{
    long warmKb = ResidentKb(); // after the first tenth, when one-time state is made
    int failures = 0;
    IMimeMessage* message = new CMimeMessage();
    Compose(*message, std::string("soak-") + name + "@example.test", "Soak");
    ISmtpClient* client = NewClient();
    client->SetMimeMessage(message);
    client->SetAsyncCallback(counter);
    UsePort(*client, ServerPort("plain"));
    client->SetConnectTimeout(10);
    int queued = 0;
    for (int i = 0; i < sends; ++i) {
        if (i == sends / 10)
            warmKb = ResidentKb();
        if (counter == nullptr)
            failures += client->Send() == 1 ? 0 : 1;
        else if (client->SendAsync() <= 0)
            ++failures;
        else if (++queued - counter->delivered >= kAsyncWindow)
            counter->PumpUntil(queued - kAsyncWindow / 2);
    }
    if (counter != nullptr) {
        counter->PumpUntil(queued);
        Platform::DispatchWaitingMessages(200); // a late duplicate would arrive now
    }
    const long endKb = ResidentKb(), growth = endKb - warmKb;
    client->Release();
    message->Release();
    std::printf("%-5s %6d sends, %d failed; resident %ld KB after warm-up, %ld KB at the end: "
                "%+ld KB (%+.2f KB per 1000 sends)\n",
                name, sends, failures, warmKb, endKb, growth,
                sends > 0 ? growth * 1000.0 / (sends - sends / 10) : 0.0);
    if (maxGrowthKb < 0 || growth <= maxGrowthKb)
        return failures == 0;
    std::printf("%s: memory grew by more than %ld KB\n", name, maxGrowthKb);
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SYNC_SENDS ASYNC_SENDS [MAX_GROWTH_KB]\n", argv[0]);
        return 2;
    }
    const int asyncSends = std::atoi(argv[2]);
    const long maxGrowthKb = argc > 3 ? std::atol(argv[3]) : -1;

    // The host thread's message queue lives as long as the thread.
    Platform::EnsureMessageQueue();
    const int descriptorsBefore = CountEntries("/proc/self/fd");
    bool ok = RunPhase("sync", std::atoi(argv[1]), nullptr, maxGrowthKb);
    CompletionCounter counter(asyncSends);
    ok = RunPhase("async", asyncSends, &counter, maxGrowthKb) && ok;
    const int descriptorsAfter = CountEntries("/proc/self/fd");
    int wrongCompletions = counter.perTask[0];
    for (size_t taskId = 1; taskId < counter.perTask.size(); ++taskId)
        wrongCompletions += counter.perTask[taskId] != 1 ? 1 : 0;
    std::printf("completions: %d of %d tasks, %d not exactly once, %d failed\n", counter.delivered,
                asyncSends, wrongCompletions, counter.failures);
    std::printf("descriptors: %d before, %d after\n", descriptorsBefore, descriptorsAfter);
    ok = ok && counter.failures == 0 && wrongCompletions == 0
         && descriptorsAfter <= descriptorsBefore;
    std::printf("%s\n", ok ? "soak passed" : "soak FAILED");
    return ok ? 0 : 1;
}
