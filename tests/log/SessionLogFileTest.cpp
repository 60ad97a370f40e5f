#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "LogTestSupport.h"
#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/log/SessionLogFile.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

unsigned char textLayout = 1;

std::string TempPath(const std::string& name)
{
    const std::string path = testing::TempDir() + "send_log_" + name;
    std::remove(path.c_str());
    return path;
}

bool Exists(const std::string& path)
{
    return std::ifstream(path).good();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

void QueueClientLine(const std::string& line)
{
    TraceCallback(nullptr, CURLINFO_HEADER_OUT, const_cast<char*>(line.data()), line.size(),
                  &textLayout);
}

std::string ErrorSummary(int code)
{
    return MaskedSummary("Error Info: "
                         + std::string(curl_easy_strerror(static_cast<CURLcode>(code))) + "\n");
}

const std::string kSuccess = MaskedSummary("Email sent successfully!\n");

// Holds a file the way a second writer would: both lock kinds, on an open
// file description of its own.
class ForeignLock {
public:
    explicit ForeignLock(const std::string& path) : fd(open(path.c_str(), O_RDWR))
    {
        flock(fd, LOCK_EX);
        struct flock range = {};
        range.l_type = F_WRLCK;
        range.l_whence = SEEK_SET;
        fcntl(fd, F_OFD_SETLK, &range);
    }
    ~ForeignLock() { close(fd); }

private:
    int fd;
};

class SessionLogFile : public testing::Test {
protected:
    void SetUp() override { ClearTrace(); }
    LogQueue sessionEntries;
    LogQueue traceEntries;
};

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
    ISmtpClient* client;
    IMimeMessage* message;
};

} // namespace

TEST_F(SessionLogFile, ReplaceWritesEntriesThenSummary)
{
    const std::string path = TempPath("replace.log");
    WriteFile(path, "older content\n");
    QueueClientLine("QUIT\r\n");
    int32_t code = 0;
    WriteLogFile(W(path), false, code, sessionEntries, traceEntries);
    EXPECT_EQ("C: QUIT\n" + kSuccess, MaskTimes(ReadFile(path)));
    EXPECT_EQ(0, code);
}

// Every write adds all collected entries, earlier summaries included.
TEST_F(SessionLogFile, AppendAddsEveryCollectedEntryAgain)
{
    const std::string path = TempPath("append.log");
    QueueClientLine("QUIT\r\n");
    int32_t code = 0;
    WriteLogFile(W(path), true, code, sessionEntries, traceEntries);
    WriteLogFile(W(path), true, code, sessionEntries, traceEntries);
    const std::string first = "C: QUIT\n" + kSuccess;
    EXPECT_EQ(first + first + kSuccess, MaskTimes(ReadFile(path)));
}

TEST_F(SessionLogFile, FileHeldByAnotherWriterGetsNothing)
{
    const std::string path = TempPath("locked.log");
    WriteFile(path, "held\n");
    ForeignLock lock(path);
    int32_t code = CURLE_COULDNT_CONNECT;
    WriteLogFile(W(path), false, code, sessionEntries, traceEntries);
    WriteLogFile(W(path), true, code, sessionEntries, traceEntries);
    EXPECT_EQ("held\n", ReadFile(path));
    EXPECT_EQ(-1, code);
}

TEST_F(SessionLogFile, UnopenablePathIsIgnored)
{
    int32_t code = 0;
    WriteLogFile(W(testing::TempDir() + "no such folder/x.log"), false, code, sessionEntries,
                 traceEntries);
    WriteLogFile(W(""), false, code, sessionEntries, traceEntries);
    EXPECT_EQ(2u, traceEntries.size());
}

TEST_F(ClientLog, SetLogFileBeforeAnySendOnlyStoresThePath)
{
    const std::string path = TempPath("before.log");
    client->SetLogFile(W(path).c_str(), false);
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(999, client->GetLastResultCode());
}

// A failed build writes no file; a later SetLogFile writes the summary only.
TEST_F(ClientLog, SetLogFileAfterFailedBuildWritesTheSummary)
{
    const std::string path = TempPath("after.log");
    ASSERT_EQ(1, message->SetFrom(W("sender@example.test").c_str(), W("").c_str()));
    client->SetHost(W("127.0.0.1").c_str());
    client->SetPort(25);
    client->SetLogFile(W(path).c_str(), false);
    EXPECT_EQ(-18, client->Send());
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(-3, client->GetLastResultCode());
    client->SetLogFile(W(path).c_str(), false);
    EXPECT_EQ(ErrorSummary(-3), MaskTimes(ReadFile(path)));
    EXPECT_EQ(-18, client->GetLastResultCode());
}

TEST_F(ClientLog, SessionLogIsEmptyButMapsTheCode)
{
    EXPECT_EQ(std::string(), U8(client->GetSessionLog()));
    EXPECT_EQ(std::string(), U8(client->GetLastLogEntry()));
    EXPECT_EQ(-1, client->GetLastResultCode());
    const std::string path = TempPath("mapped.log");
    client->SetLogFile(W(path).c_str(), true);
    EXPECT_EQ(ErrorSummary(999) + ErrorSummary(-1),
              MaskTimes(ReadFile(path)));
}
