// Outcomes that need no server: failed builds, a refused connection and an
// unresolvable host.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../log/LogTestSupport.h"
#include "LoopbackPort.h"
#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

struct Outcome {
    const char* name;
    std::function<void(ISmtpClient&, IMimeMessage&)> prepare;
    int result;
    int lastResult;
};

void To(IMimeMessage& message)
{
    message.AddTo(W("nobody@example.test").c_str(), W("").c_str());
}

void From(IMimeMessage& message)
{
    message.SetFrom(W("sender@example.test").c_str(), W("").c_str());
}

class RefusedSend : public SendTest {
protected:
    void SetUp() override
    {
        client->SetPort(refusing.Port());
        client->SetUseTls(false);
    }
    LoopbackPort refusing{false};  // connections to it are refused
};

class SendOutcome : public RefusedSend, public testing::WithParamInterface<Outcome> {};

// Each case sends twice: the second send frees the first transfer, which the
// sanitizer build checks, and comes to the same end.
TEST_P(SendOutcome, EndsInItsCode)
{
    GetParam().prepare(*client, *message);
    for (int send = 1; send <= 2; ++send) {
        EXPECT_EQ(GetParam().result, client->Send()) << "send " << send;
        EXPECT_EQ(GetParam().lastResult, client->GetLastResultCode()) << "send " << send;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SendOutcome, testing::Values(
    Outcome{"NoMessage", [](ISmtpClient& c, IMimeMessage&) { c.SetMimeMessage(nullptr); }, -1, -1},
    // The sender is checked before the recipients.
    Outcome{"NoSender", [](ISmtpClient&, IMimeMessage& m) { m.AddCc(W("cc@example.test").c_str(), nullptr); },
            -17, -2},
    Outcome{"NoRecipients", [](ISmtpClient&, IMimeMessage& m) { From(m); }, -18, -3},
    Outcome{"EmptyHost", [](ISmtpClient& c, IMimeMessage& m) { From(m); To(m); c.SetHost(W("").c_str()); },
            -6, CURLE_URL_MALFORMAT},
    // libcurl refuses the port while the request is built; its code is kept.
    Outcome{"DefaultPort", [](ISmtpClient& c, IMimeMessage& m) { From(m); To(m); c.SetPort(-1); },
            -1, CURLE_BAD_FUNCTION_ARGUMENT},
    Outcome{"RefusedConnection", [](ISmtpClient&, IMimeMessage& m) { From(m); To(m); },
            -5, CURLE_COULDNT_CONNECT},
    Outcome{"UnresolvableHost",
            [](ISmtpClient& c, IMimeMessage& m) {
                From(m);
                To(m);
                c.SetHost(W("no-such-host.invalid").c_str());
                c.SetPort(25);
            },
            -4, CURLE_COULDNT_RESOLVE_HOST}),
    [](const testing::TestParamInfo<Outcome>& info) { return std::string(info.param.name); });

// With a log file the summary maps the stored code.
TEST_F(RefusedSend, RefusedConnectionWithALogFileMapsTheCode)
{
    Compose("nobody@example.test");
    const std::string path = folder.Path("refused.log");
    client->SetLogFile(W(path).c_str(), false);
    EXPECT_EQ(-5, client->Send());
    EXPECT_EQ(-5, client->GetLastResultCode());
    // libcurl's own lines between the two vary with its version.
    const std::string log = MaskTimes(folder.Read(path));
    const std::string summary = MaskedSummary(
        "Error Info: " + std::string(curl_easy_strerror(CURLE_COULDNT_CONNECT)) + "\n");
    ASSERT_GT(log.size(), summary.size());
    EXPECT_EQ(summary, log.substr(log.size() - summary.size()));
    EXPECT_EQ(0u, log.find("Trying 127.0.0.1:" + std::to_string(refusing.Port()) + "...\n"));
    EXPECT_EQ(std::string::npos, log.find("C: "));
}

} // namespace
