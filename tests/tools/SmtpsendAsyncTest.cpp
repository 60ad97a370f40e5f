// smtpsend --async with a client whose SendAsync queues nothing: each send is
// reported as failed at once, and nothing is waited for.
#include <gtest/gtest.h>

#include <smtpclient/ISmtpClient.h>

#include <string>

#include "Sending.h"

namespace SmtpSend {
namespace {

using namespace SMTPClientNS;

// Every operation does nothing; SendAsync queues nothing. A setter and its
// getter share a line.
// clang-format off
class RefusingClient : public ISmtpClient {
public:
#if SMTPCLIENT_SLOT0_DELETING_DESTRUCTOR
    void* ScalarDeletingDestructor(unsigned int) override { return this; }
#endif
    int Send() override { return -1; }
    int SendAsync() override { return -1; }
    int CancelAsync(int) override { return -1; }
    const SmtpChar* GetSessionLog() override { return SMTPCLIENT_TEXT(""); }
    void SetLogFile(const SmtpChar*, bool) override {}
    const SmtpChar* GetLastLogEntry() override { return SMTPCLIENT_TEXT(""); }
    int GetLastResultCode() override { return -1; }
    int SetProxy(const SmtpChar*, int, int, const SmtpChar*, const SmtpChar*) override { return 0; }
    void GetProxyValue(SmtpChar* buffer, int) override { buffer[0] = 0; }
    void SetUseProxy(bool) override {}                        bool GetUseProxy() override { return false; }
    void SetAsyncCallback(IAsyncCallback*) override {}        IAsyncCallback* GetAsyncCallback() override { return nullptr; }
    void SetVerifyCertificate(int) override {}                int GetVerifyCertificate() override { return 0; }
    void SetVerifyCertificateStatus(bool) override {}         bool GetVerifyCertificateStatus() override { return false; }
    void SetUseTls(bool) override {}                          bool GetUseTls() override { return false; }
    void SetTlsVersion(int) override {}                       int GetTlsVersion() override { return 0; }
    void SetConnectTimeout(int) override {}                   int GetConnectTimeout() override { return 0; }
    void SetUser(const SmtpChar*) override {}                 const SmtpChar* GetUser() override { return SMTPCLIENT_TEXT(""); }
    void SetPassword(const SmtpChar*) override {}             const SmtpChar* GetPassword() override { return SMTPCLIENT_TEXT(""); }
    void SetOAuth2Token(const SmtpChar*) override {}          const SmtpChar* GetOAuth2Token() override { return SMTPCLIENT_TEXT(""); }
    void SetHost(const SmtpChar*) override {}                 const SmtpChar* GetHost() override { return SMTPCLIENT_TEXT(""); }
    void SetPort(int) override {}                             int GetPort() override { return 0; }
    void AddRef() override {}                                 void Release() override {}
    void SetMimeMessage(IMimeMessage*) override {}            IMimeMessage* GetMimeMessage() override { return nullptr; }
    int SetOption(int, int) override { return -1; }           int GetOption(int) override { return -1; }
};
// clang-format on

TEST(SmtpsendAsync, ASendThatCannotBeQueuedIsReportedAndNotWaitedFor)
{
    RefusingClient client;
    testing::internal::CaptureStdout();
    const SendTally tally = SendAsynchronously(client, 2);
    EXPECT_EQ("send 1: result -1: the send could not be queued\n"
              "send 2: result -1: the send could not be queued\n",
              testing::internal::GetCapturedStdout());
    EXPECT_EQ(0, tally.delivered);
    EXPECT_EQ(2, tally.failed);
}

} // namespace
} // namespace SmtpSend
