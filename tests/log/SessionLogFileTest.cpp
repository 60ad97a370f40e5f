// What a session log file holds after each write, and what the client writes
// to it around a send that failed to build.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../send/SendTestClient.h"
#include "LogTestSupport.h"
#include "smtpclient/log/SessionLogFile.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

std::string ErrorSummary(int code)
{
    return MaskedSummary("Error Info: " + std::string(curl_easy_strerror(static_cast<CURLcode>(code))) +
                         "\n");
}

const std::string kSuccess = MaskedSummary("Email sent successfully!\n");

class SessionLogFile : public testing::Test {
protected:
    void SetUp() override { ClearTrace(); }

    void QueueClientLine(std::string line)
    {
        unsigned char textLayout = 1;
        TraceCallback(nullptr, CURLINFO_HEADER_OUT, &line[0], line.size(), &textLayout);
    }

    TempFolder folder;
    LogQueue sessionEntries;
    LogQueue traceEntries;
};

// Every write adds all collected entries, earlier summaries included;
// replacing drops what the file held.
TEST_F(SessionLogFile, AppendAddsEveryCollectedEntryAgainAndReplaceStartsOver)
{
    const std::string path = folder.Path("session.log");
    QueueClientLine("QUIT\r\n");
    int32_t code = 0;
    WriteLogFile(W(path), true, code, sessionEntries, traceEntries);
    WriteLogFile(W(path), true, code, sessionEntries, traceEntries);
    const std::string first = "C: QUIT\n" + kSuccess;
    EXPECT_EQ(first + first + kSuccess, MaskTimes(folder.Read(path)));
    WriteLogFile(W(path), false, code, sessionEntries, traceEntries);
    EXPECT_EQ(first + kSuccess + kSuccess, MaskTimes(folder.Read(path)));
    EXPECT_EQ(0, code);
}

// Each summary maps the stored value again, already mapped or not.
TEST_F(SessionLogFile, RepeatedSummaryMapsTheCodeAgain)
{
    int32_t code = CURLE_COULDNT_RESOLVE_HOST;
    for (int32_t mapped : {-4, -1, -1}) {
        ClearTrace();
        AppendLogSummary(code);
        EXPECT_EQ(1u, TakeTraceEntries().size());
        EXPECT_EQ(mapped, code);
    }
}

TEST_F(SessionLogFile, UnopenablePathIsIgnored)
{
    int32_t code = 0;
    WriteLogFile(W(folder.Path("no such folder/x.log")), false, code, sessionEntries, traceEntries);
    WriteLogFile(W(""), false, code, sessionEntries, traceEntries);
    EXPECT_EQ(2u, traceEntries.size());
}

typedef SendTest ClientLog;

// Before any send SetLogFile only stores the path; a failed build writes no
// file, a later SetLogFile writes the summary only.
TEST_F(ClientLog, SetLogFileBeforeAndAfterAFailedBuild)
{
    const std::string path = folder.Path("after.log");
    ASSERT_EQ(1, message->SetFrom(W("sender@example.test").c_str(), W("").c_str()));
    client->SetPort(25);
    client->SetLogFile(W(path).c_str(), false);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(999, client->GetLastResultCode());
    EXPECT_EQ(-18, client->Send());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(-3, client->GetLastResultCode());
    client->SetLogFile(W(path).c_str(), false);
    EXPECT_EQ(ErrorSummary(-3), MaskTimes(folder.Read(path)));
    EXPECT_EQ(-18, client->GetLastResultCode());
}

TEST_F(ClientLog, SessionLogIsEmptyButMapsTheCode)
{
    EXPECT_EQ("", U8(client->GetSessionLog()));
    EXPECT_EQ("", U8(client->GetLastLogEntry()));
    EXPECT_EQ(-1, client->GetLastResultCode());
    const std::string path = folder.Path("mapped.log");
    client->SetLogFile(W(path).c_str(), true);
    EXPECT_EQ(ErrorSummary(999) + ErrorSummary(-1), MaskTimes(folder.Read(path)));
}

} // namespace
