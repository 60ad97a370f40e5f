// STARTTLS, certificate checks and login.
#include <gtest/gtest.h>

#include <string>

#include "../log/LogTestSupport.h"
#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

const char kUser[] = "alice";
const char kPassword[] = "secret";
const char kToken[] = "test-oauth-token";

class SendSecurity : public SendTest {
protected:
    void Login(const std::string& password)
    {
        client->SetUser(W(kUser).c_str());
        client->SetPassword(W(password).c_str());
    }

    // The trace of the last send, as the log file would hold it.
    std::string Trace()
    {
        const std::string path = TempPath(testing::UnitTest::GetInstance()->current_test_info()->name());
        client->SetLogFile(W(path).c_str(), false);
        return ReadFile(path);
    }
};

} // namespace

TEST_F(SendSecurity, StartTlsWithoutVerificationAcceptsTheSelfSignedServer)
{
    Compose("tls-off@example.test");
    UseListener("starttls", true);
    EXPECT_EQ(1, client->Send());
    const ReceivedMail mail = WaitForMailTo("tls-off@example.test");
    EXPECT_TRUE(mail.tls);
}

TEST_F(SendSecurity, PinnedTlsVersionIsUsed)
{
    Compose("tls-12@example.test");
    UseListener("starttls", true);
    client->SetTlsVersion(3);
    EXPECT_EQ(1, client->Send());
    EXPECT_NE(std::string::npos, Trace().find("SSL connection using TLSv1.2 "));
}

TEST_F(SendSecurity, VerificationRejectsTheSelfSignedServer)
{
    Compose("tls-verify@example.test");
    UseListener("starttls", true);
    client->SetVerifyCertificate(1);
    EXPECT_EQ(-9, client->Send());
    EXPECT_EQ(CURLE_PEER_FAILED_VERIFICATION, client->GetLastResultCode());
    EXPECT_TRUE(MailTo("tls-verify@example.test").empty());
}

TEST_F(SendSecurity, RequiredTlsFailsWithoutStartTls)
{
    Compose("tls-missing@example.test");
    UseListener("plain", true);
    EXPECT_EQ(-1, client->Send());
    EXPECT_EQ(CURLE_USE_SSL_FAILED, client->GetLastResultCode());
    EXPECT_TRUE(MailTo("tls-missing@example.test").empty());
}

TEST_F(SendSecurity, ServerRequiringTlsRefusesAPlainSend)
{
    Compose("tls-refused@example.test");
    UseListener("starttls_required", false);
    EXPECT_EQ(-13, client->Send());
    EXPECT_TRUE(MailTo("tls-refused@example.test").empty());
}

TEST_F(SendSecurity, LoginAfterStartTls)
{
    Compose("login@example.test");
    UseListener("starttls", true);
    Login(kPassword);
    EXPECT_EQ(1, client->Send());
    EXPECT_EQ(kUser, WaitForMailTo("login@example.test").authUser);
    EXPECT_NE(std::string::npos, Trace().find("C: AUTH PLAIN"));
}

TEST_F(SendSecurity, WrongPasswordIsDenied)
{
    Compose("login-denied@example.test");
    UseListener("starttls", true);
    Login("wrong");
    const int result = client->Send();
    EXPECT_TRUE(result == -12 || result == -15) << result;
    EXPECT_TRUE(MailTo("login-denied@example.test").empty());
}

TEST_F(SendSecurity, OAuth2BearerToken)
{
    Compose("oauth@example.test");
    UseListener("starttls", true);
    client->SetUser(W(kUser).c_str());
    client->SetOAuth2Token(W(kToken).c_str());
    EXPECT_EQ(1, client->Send());
    EXPECT_EQ(kUser, WaitForMailTo("oauth@example.test").authUser);
    EXPECT_NE(std::string::npos, Trace().find("C: AUTH XOAUTH2"));
}
