// STARTTLS, certificate checks and login.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

struct SecurityCase {
    const char* name;
    const char* listener;
    bool tls;
    void (*setup)(ISmtpClient&);
    int result;
    int lastResult;     // 0: not checked
    const char* trace;  // in the log of a delivered mail
    const char* authUser;
};

void PrintTo(const SecurityCase& c, std::ostream* out) { *out << c.name; }

class SendSecurity : public SendTest, public testing::WithParamInterface<SecurityCase> {};

TEST_P(SendSecurity, EndsAsExpected)
{
    const SecurityCase& c = GetParam();
    const std::string recipient = std::string("security-") + c.name + "@example.test";
    Compose(recipient);
    UseListener(c.listener, c.tls);
    c.setup(*client);
    const int result = client->Send();
    if (c.lastResult != 0) {
        EXPECT_EQ(c.lastResult, client->GetLastResultCode());
    }
    if (c.result != 1) {
        // A refused login may be reported as denied or as not supported.
        EXPECT_TRUE(result == c.result || (c.result == -12 && result == -15)) << result;
        EXPECT_TRUE(MailTo(recipient).empty());
        return;
    }
    EXPECT_EQ(1, result);
    const ReceivedMail mail = WaitForMailTo(recipient);
    EXPECT_EQ(c.tls, mail.tls);
    EXPECT_EQ(c.authUser, mail.authUser);
    EXPECT_NE(std::string::npos, Trace().find(c.trace));
}

typedef ISmtpClient& C;
INSTANTIATE_TEST_SUITE_P(Cases, SendSecurity, testing::Values(
    // Without verification the self-signed server is accepted.
    SecurityCase{"PinnedTlsVersion", "starttls", true, [](C c) { c.SetTlsVersion(3); },
                 1, 0, "SSL connection using TLSv1.2 ", ""},
    SecurityCase{"VerificationRejectsTheSelfSigned", "starttls", true, [](C c) { c.SetVerifyCertificate(1); },
                 -9, CURLE_PEER_FAILED_VERIFICATION, "", ""},
    SecurityCase{"RequiredTlsWithoutStartTls", "plain", true, [](C) {}, -1, CURLE_USE_SSL_FAILED, "", ""},
    SecurityCase{"ServerRequiringTlsRefusesPlain", "starttls_required", false, [](C) {}, -13, 0, "", ""},
    SecurityCase{"LoginAfterStartTls", "starttls", true, [](C c) {
        c.SetUser(W("alice").c_str());
        c.SetPassword(W("secret").c_str());
    }, 1, 0, "C: AUTH PLAIN", "alice"},
    // A server that offers LOGIN alone; the credentials go out in UTF-8.
    SecurityCase{"LoginMechanism", "auth_login_only", false, [](C c) {
        c.SetUser(W("bj\xC3\xB6rn").c_str());
        c.SetPassword(W("p\xC3\xA4ssword").c_str());
    }, 1, 0, "C: AUTH LOGIN", "bj\xC3\xB6rn"},
    SecurityCase{"WrongPassword", "starttls", true, [](C c) {
        c.SetUser(W("alice").c_str());
        c.SetPassword(W("wrong").c_str());
    }, -12, 0, "", ""},
    SecurityCase{"OAuth2BearerToken", "starttls", true, [](C c) {
        c.SetUser(W("alice").c_str());
        c.SetOAuth2Token(W("test-oauth-token").c_str());
    }, 1, 0, "C: AUTH XOAUTH2", "alice"}),
    [](const testing::TestParamInfo<SecurityCase>& info) { return std::string(info.param.name); });

} // namespace
