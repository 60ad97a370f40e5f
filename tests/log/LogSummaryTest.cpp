#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "LogTestSupport.h"
#include "smtpclient/log/TraceLog.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

std::string Summary(int32_t& code)
{
    ClearTrace();
    AppendLogSummary(code);
    const LogQueue entries = TakeTraceEntries();
    EXPECT_EQ(1u, entries.size());
    return entries.empty() ? std::string() : entries.front();
}

} // namespace

TEST(LogSummary, SuccessKeepsCodeZero)
{
    int32_t code = 0;
    const std::string summary = Summary(code);
    EXPECT_TRUE(std::regex_match(summary, std::regex(
        "Email sent successfully!\nEnd Connnect: 2[0-9]{3}-[01][0-9]-[0-3][0-9] "
        "[0-2][0-9]:[0-5][0-9]:[0-6][0-9]\n\n={82}\n\n"))) << summary;
    EXPECT_EQ(0, code);
}

TEST(LogSummary, FailureNamesLibcurlsDescription)
{
    int32_t code = CURLE_COULDNT_CONNECT;
    const std::string summary = MaskTimes(Summary(code));
    EXPECT_EQ(MaskedSummary("Error Info: " + std::string(curl_easy_strerror(CURLE_COULDNT_CONNECT))
                            + "\n"),
              summary);
    EXPECT_EQ(-5, code);
}

// Each summary maps the stored value again, already mapped or not.
TEST(LogSummary, RepeatedSummaryMapsTheCodeAgain)
{
    int32_t code = CURLE_COULDNT_RESOLVE_HOST;
    Summary(code);
    EXPECT_EQ(-4, code);
    Summary(code);
    EXPECT_EQ(-1, code);
    Summary(code);
    EXPECT_EQ(-1, code);
}
