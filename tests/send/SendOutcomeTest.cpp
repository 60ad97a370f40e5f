// Sends that need no server: failed builds, a refused connection, an
// unresolvable host, and the envelope list that SetRecipients builds.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "../log/LogTestSupport.h"
#include "LoopbackPort.h"
#include "SendTestClient.h"
#include "smtpclient/SendPipeline.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

struct Outcome {
    const char* name;
    std::function<void(ISmtpClient&, IMimeMessage&)> prepare;
    int result;
    int lastResult;
};

void PrintTo(const Outcome& outcome, std::ostream* out) { *out << outcome.name; }

void FromAndTo(IMimeMessage& message)
{
    message.SetFrom(W("sender@example.test").c_str(), W("").c_str());
    message.AddTo(W("nobody@example.test").c_str(), W("").c_str());
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

typedef ISmtpClient& C;
typedef IMimeMessage& M;
INSTANTIATE_TEST_SUITE_P(Cases, SendOutcome, testing::Values(
    Outcome{"NoMessage", [](C c, M) { c.SetMimeMessage(nullptr); }, -1, -1},
    // The sender is checked before the recipients.
    Outcome{"NoSender", [](C, M m) { m.AddCc(W("cc@example.test").c_str(), nullptr); }, -17, -2},
    Outcome{"NoRecipients", [](C, M m) { m.SetFrom(W("sender@example.test").c_str(), W("").c_str()); }, -18, -3},
    Outcome{"EmptyHost", [](C c, M m) { FromAndTo(m); c.SetHost(W("").c_str()); }, -6, CURLE_URL_MALFORMAT},
    // libcurl refuses the port while the request is built; its code is kept.
    Outcome{"DefaultPort", [](C c, M m) { FromAndTo(m); c.SetPort(-1); }, -1, CURLE_BAD_FUNCTION_ARGUMENT},
    Outcome{"RefusedConnection", [](C, M m) { FromAndTo(m); }, -5, CURLE_COULDNT_CONNECT},
    Outcome{"UnresolvableHost", [](C c, M m) {
        FromAndTo(m);
        c.SetHost(W("no-such-host.invalid").c_str());
        c.SetPort(25);
    }, -4, CURLE_COULDNT_RESOLVE_HOST}),
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

// Every address, To then Cc then Bcc, after whatever the list already held.
TEST_F(SendTest, EnvelopeHoldsEveryAddressInOrderAfterExistingEntries)
{
    int (IMimeMessage::*const adders[])(const SmtpChar*, const SmtpChar*) = {
        &IMimeMessage::AddTo, &IMimeMessage::AddCc, &IMimeMessage::AddBcc};
    for (int count : {1, 4, 3000}) {
        message->Clear(0);
        std::vector<std::string> byKind[3];
        for (int i = 0; i < count; ++i) {
            byKind[i % 3].push_back("r" + std::to_string(i) + "@example.test");
            (message->*adders[i % 3])(W(byKind[i % 3].back()).c_str(), W("").c_str());
        }
        for (bool prefilled : {false, true}) {
            CURL* curl = curl_easy_init();
            curl_slist* list = prefilled ? curl_slist_append(nullptr, "kept@example.test") : nullptr;
            std::vector<std::string> expected, entries;
            if (prefilled)
                expected.push_back("kept@example.test");
            for (const auto& addresses : byKind)
                expected.insert(expected.end(), addresses.begin(), addresses.end());
            EXPECT_EQ(0, SetRecipients(curl, &list, client));
            for (const curl_slist* entry = list; entry != nullptr; entry = entry->next)
                entries.push_back(entry->data);
            EXPECT_EQ(expected, entries) << count << " recipients, prefilled " << prefilled;
            curl_slist_free_all(list);
            curl_easy_cleanup(curl);
        }
    }
}

} // namespace
