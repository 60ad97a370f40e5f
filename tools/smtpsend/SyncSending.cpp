#include <chrono>
#include <optional>
#include <string>

#include "QuietStandardError.h"
#include "Sending.h"
#include "Utf16.h"

namespace SmtpSend {

namespace {

int SendOnce(SMTPClientNS::ISmtpClient& client, bool verbose)
{
    std::optional<QuietStandardError> quiet;
    if (!verbose)
        quiet.emplace();
    return client.Send();
}

} // namespace

SendTally SendSynchronously(SMTPClientNS::ISmtpClient& client, int count, bool numbered,
                            bool verbose)
{
    SendTally tally;
    const auto start = std::chrono::steady_clock::now();
    for (int number = 1; number <= count; ++number) {
        const int resultCode = SendOnce(client, verbose);
        const std::string label = numbered ? "send " + std::to_string(number) : std::string();
        ReportOutcome(tally, label, resultCode, std::string());
        // A send delivered in part (--partial) names the refused recipients.
        const std::string closing = Utf16ToUtf8(client.GetLastLogEntry());
        if (resultCode != SMTPClientNS::kResultSuccess
            || closing.find("\nRefused") != std::string::npos)
            ReportDetail(label, closing);
    }
    tally.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return tally;
}

} // namespace SmtpSend
