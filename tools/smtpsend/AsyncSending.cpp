#include <chrono>
#include <cstdio>
#include <string>

#include "Sending.h"
#include "Utf16.h"

namespace SmtpSend {

namespace {

using SMTPClientNS::SmtpChar;

constexpr int kWaitForever = -1;

// Reports every completion as it is dispatched and counts them.
class CompletionReporter : public SMTPClientNS::IAsyncCallback {
public:
    int OnSendComplete(int taskId, int resultCode, const SmtpChar* message) override
    {
        ReportOutcome(tally, "task " + std::to_string(taskId), resultCode, Utf16ToUtf8(message));
        return 0;
    }

    int Completed() const { return tally.delivered + tally.failed; }

    SendTally tally;
};

} // namespace

SendTally SendAsynchronously(SMTPClientNS::ISmtpClient& client, int count)
{
    CompletionReporter reporter;
    client.SetAsyncCallback(&reporter);
    const auto start = std::chrono::steady_clock::now();
    for (int queued = 0; queued < count; ++queued)
        client.SendAsync();
    while (reporter.Completed() < count) {
        if (SmtpClientDispatchMessages(kWaitForever) < 0) {
            std::fprintf(stderr, "smtpsend: waiting for completions failed\n");
            reporter.tally.failed += count - reporter.Completed();
            break;
        }
    }
    reporter.tally.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    client.SetAsyncCallback(nullptr);
    return reporter.tally;
}

} // namespace SmtpSend
