#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "LogTestSupport.h"
#include "TempFolder.h"
#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/log/SessionLogFile.h"
#include "smtpclient/mime/MimeMessage.h"

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

TEST_F(SessionLogFile, ReplaceWritesEntriesThenSummary)
{
    const std::string path = folder.Write("replace.log", "older content\n");
    QueueClientLine("QUIT\r\n");
    int32_t code = 0;
    WriteLogFile(W(path), false, code, sessionEntries, traceEntries);
    EXPECT_EQ("C: QUIT\n" + kSuccess, MaskTimes(folder.Read(path)));
    EXPECT_EQ(0, code);
}

// Every write adds all collected entries, earlier summaries included.
TEST_F(SessionLogFile, AppendAddsEveryCollectedEntryAgain)
{
    const std::string path = folder.Path("append.log");
    QueueClientLine("QUIT\r\n");
    int32_t code = 0;
    WriteLogFile(W(path), true, code, sessionEntries, traceEntries);
    WriteLogFile(W(path), true, code, sessionEntries, traceEntries);
    const std::string first = "C: QUIT\n" + kSuccess;
    EXPECT_EQ(first + first + kSuccess, MaskTimes(folder.Read(path)));
}

TEST_F(SessionLogFile, UnopenablePathIsIgnored)
{
    int32_t code = 0;
    WriteLogFile(W(folder.Path("no such folder/x.log")), false, code, sessionEntries, traceEntries);
    WriteLogFile(W(""), false, code, sessionEntries, traceEntries);
    EXPECT_EQ(2u, traceEntries.size());
}

// A client with its own message, released at the end of the test.
class ClientLog : public testing::Test {
protected:
    ClientLog() : client(new CSmtpClient(new CSmtpClientWrapper())), message(new CMimeMessage())
    {
        client->SetMimeMessage(message);
    }
    ~ClientLog() override
    {
        client->Release();
        message->Release();
    }
    TempFolder folder;
    ISmtpClient* client;
    IMimeMessage* message;
};

// Before any send SetLogFile only stores the path; a failed build writes no
// file, a later SetLogFile writes the summary only.
TEST_F(ClientLog, SetLogFileBeforeAndAfterAFailedBuild)
{
    const std::string path = folder.Path("after.log");
    ASSERT_EQ(1, message->SetFrom(W("sender@example.test").c_str(), W("").c_str()));
    client->SetHost(W("127.0.0.1").c_str());
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
