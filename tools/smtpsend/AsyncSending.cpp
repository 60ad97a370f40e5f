#include <chrono>
#include <cstdio>
#include <string>

#include "Sending.h"
#include "Utf16.h"

namespace SmtpSend {

namespace {

using SMTPClientNS::SmtpChar;

constexpr int kWaitForever = -1;
constexpr int kSuccessCode = 1;
// What SendAsync returns when it queued nothing.
constexpr int kSendNotQueued = -1;

// Reports every completion as it is dispatched, with the library's message
// as the reason for a failure, and counts them.
class CompletionReporter : public SMTPClientNS::IAsyncCallback {
public:
    int OnSendComplete(int taskId, int resultCode, const SmtpChar* message) override
    {
        const std::string label = "task " + std::to_string(taskId);
        ReportOutcome(tally, label, resultCode, std::string());
        if (resultCode != kSuccessCode)
            ReportDetail(label, Utf16ToUtf8(message));
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
    // A send that could not be queued never completes: it is counted now.
    for (int number = 1; number <= count; ++number) {
        if (client.SendAsync() < 1)
            ReportOutcome(reporter.tally, "send " + std::to_string(number), kSendNotQueued,
                          "the send could not be queued");
    }
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
