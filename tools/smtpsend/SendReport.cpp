#include "SendReport.h"

#include <smtpclient/ISmtpClient.h>

#include <cstdio>

#include "ResultMeanings.h"

namespace SmtpSend {

void ReportOutcome(SendTally& tally, const std::string& label, int resultCode,
                   const std::string& text)
{
    if (resultCode == SMTPClientNS::kResultSuccess)
        ++tally.delivered;
    else
        ++tally.failed;
    const std::string prefix = label.empty() ? std::string() : label + ": ";
    const char* meaning = text.empty() ? ResultMeaning(resultCode) : text.c_str();
    std::printf("%sresult %d: %s\n", prefix.c_str(), resultCode, meaning);
    std::fflush(stdout);
}

void ReportDetail(const std::string& label, const std::string& detail)
{
    const std::string prefix = label.empty() ? std::string() : label + ": ";
    for (size_t start = 0, end; start < detail.size(); start = end + 1) {
        end = detail.find('\n', start);
        if (end == std::string::npos)
            end = detail.size();
        std::printf("%s%s\n", prefix.c_str(), detail.substr(start, end - start).c_str());
    }
    std::fflush(stdout);
}

void PrintSummary(const SendTally& tally)
{
    const int total = tally.delivered + tally.failed;
    const double rate = tally.seconds > 0 ? total / tally.seconds : 0;
    std::printf("delivered %d, failed %d, in %.3f s (%.1f messages/s)\n", tally.delivered,
                tally.failed, tally.seconds, rate);
}

} // namespace SmtpSend
