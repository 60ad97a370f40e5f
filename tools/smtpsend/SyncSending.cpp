#include <chrono>
#include <string>

#include "Sending.h"

namespace smtpsend {

SendTally SendSynchronously(SMTPClientNS::ISmtpClient& client, int count, bool numbered)
{
    SendTally tally;
    const auto start = std::chrono::steady_clock::now();
    for (int number = 1; number <= count; ++number) {
        const int resultCode = client.Send();
        ReportOutcome(tally, numbered ? "send " + std::to_string(number) : std::string(), resultCode,
                      std::string());
    }
    tally.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return tally;
}

} // namespace smtpsend
