#include <gtest/gtest.h>

#include <string>

#include "LogTestSupport.h"
#include "smtpclient/log/TraceLog.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

// Each summary maps the stored value again, already mapped or not; the
// texts of the summaries are compared whole in the log file tests.
TEST(LogSummary, RepeatedSummaryMapsTheCodeAgain)
{
    int32_t code = CURLE_COULDNT_RESOLVE_HOST;
    const int32_t expected[] = {-4, -1, -1};
    for (int32_t mapped : expected) {
        ClearTrace();
        AppendLogSummary(code);
        EXPECT_EQ(1u, TakeTraceEntries().size());
        EXPECT_EQ(mapped, code);
    }
}
