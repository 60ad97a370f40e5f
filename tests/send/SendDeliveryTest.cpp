// Mail delivered to the plain listener (the envelope and the session log of
// successful sends), and servers that refuse, hang up or go quiet.
#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "../log/LogTestSupport.h"
#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

typedef std::vector<std::string> Lines;

class SendDelivery : public SendTest {
protected:
    void SetUp() override { UseListener("plain", false); }
};

TEST_F(SendDelivery, EnvelopeListsToThenCcThenBccWithDuplicates)
{
    ASSERT_EQ(1, message->SetFrom(W("order-sender@example.test").c_str(), W("").c_str()));
    message->AddTo(W("order-a@example.test").c_str(), W("A").c_str());
    message->AddTo(W("order-b@example.test").c_str(), W("").c_str());
    message->AddCc(W("order-c@example.test").c_str(), W("").c_str());
    message->AddCc(W("order-a@example.test").c_str(), W("").c_str());
    message->AddBcc(W("order-d@example.test").c_str(), W("").c_str());
    message->AddBcc(W("order-b@example.test").c_str(), W("").c_str());
    message->SetTextBody(W("Order.").c_str());
    EXPECT_EQ(1, client->Send());
    EXPECT_EQ(0, client->GetLastResultCode());
    const ReceivedMail mail = WaitForMailTo("order-d@example.test");
    EXPECT_EQ("order-sender@example.test", mail.mailFrom);
    EXPECT_EQ((Lines{"order-a@example.test", "order-b@example.test", "order-c@example.test",
                     "order-a@example.test", "order-d@example.test", "order-b@example.test"}),
              mail.rcptTos);
}

// The log holds the dialogue in order, lines of at most 96 characters, and
// ends with the summary. QUIT comes only when the connection is closed with
// the transfer, after the log was written. Appending keeps the first send's
// log in front of the second's.
TEST_F(SendDelivery, LogFileOfSuccessfulSendsReplacedThenAppended)
{
    Compose("logged@example.test");
    const std::string path = folder.Write("success.log", "older content\n");
    client->SetLogFile(W(path).c_str(), false);
    ASSERT_EQ(1, client->Send());
    EXPECT_EQ(0, client->GetLastResultCode());
    const std::string first = folder.Read(path);
    const std::string log = MaskTimes(first);
    const std::string summary = MaskedSummary("Email sent successfully!\n");
    ASSERT_GT(log.size(), summary.size());
    EXPECT_EQ(summary, log.substr(log.size() - summary.size()));

    size_t at = 0;
    for (const char* start : {"S: 220 ", "C: EHLO ", "S: 250", "C: MAIL FROM:<sender@example.test>", "S: 250 ",
                              "C: RCPT TO:<logged@example.test>", "S: 250 ", "C: DATA", "S: 354 ",
                              "C: Subject: Test logged@example.test", "S: 250 "}) {
        at = log.find("\n" + std::string(start), at);
        ASSERT_NE(std::string::npos, at) << "missing in order: " << start << "\n" << log;
        ++at;
    }
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, 3, "C: ") == 0 || line.compare(0, 3, "S: ") == 0) {
            EXPECT_LE(line.size(), 99u) << line;
        }
    }

    client->SetLogFile(W(path).c_str(), true);
    ASSERT_EQ(1, client->Send());
    const std::string both = folder.Read(path);
    ASSERT_GT(both.size(), first.size());
    EXPECT_EQ(first, both.substr(0, first.size()));
    EXPECT_EQ(2u, MailTo("logged@example.test").size());
}

struct Fault {
    const char* listener;
    int rawOutcome;
    int resultCode;
};

class SendFault : public SendTest, public testing::WithParamInterface<Fault> {};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.listener; }

// A refused MAIL, RCPT or DATA command is a send error; a refused message
// after its final dot is a reply libcurl does not expect.
INSTANTIATE_TEST_SUITE_P(Listeners, SendFault, testing::Values(
    Fault{"reject_mail_4xx", CURLE_SEND_ERROR, -13},
    Fault{"reject_mail_5xx", CURLE_SEND_ERROR, -13},
    Fault{"reject_rcpt_4xx", CURLE_SEND_ERROR, -13},
    Fault{"reject_rcpt_5xx", CURLE_SEND_ERROR, -13},
    Fault{"reject_data_4xx", CURLE_WEIRD_SERVER_REPLY, -1},
    Fault{"reject_data_5xx", CURLE_WEIRD_SERVER_REPLY, -1},
    Fault{"stall_greeting", CURLE_OPERATION_TIMEDOUT, -11}),
    [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.listener); });

TEST_P(SendFault, EndsInItsMappedCode)
{
    Compose(std::string(GetParam().listener) + "@example.test");
    UseListener(GetParam().listener, false);
    client->SetConnectTimeout(1);
    EXPECT_EQ(GetParam().resultCode, client->Send());
    EXPECT_EQ(GetParam().rawOutcome, client->GetLastResultCode());
}

TEST_F(SendTest, ConnectionDroppedInData)
{
    Compose("dropped@example.test");
    UseListener("drop_in_data", false);
    const int result = client->Send();
    EXPECT_TRUE(result == -13 || result == -14 || result == -1) << result;
    EXPECT_NE(0, client->GetLastResultCode());
}

} // namespace
