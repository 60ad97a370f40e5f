// Mail delivered to the plain listener: the envelope and the session log of
// successful sends.
#include <gtest/gtest.h>

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
    const std::string log = MaskTimes(folder.Read(path));
    const std::string summary = MaskedSummary("Email sent successfully!\n");
    ASSERT_GT(log.size(), summary.size());
    EXPECT_EQ(summary, log.substr(log.size() - summary.size()));

    const Lines dialogue = {"S: 220 ", "C: EHLO ", "S: 250", "C: MAIL FROM:<sender@example.test>",
                            "S: 250 ", "C: RCPT TO:<logged@example.test>", "S: 250 ",
                            "C: DATA", "S: 354 ", "C: Subject: Test logged@example.test",
                            "S: 250 "};
    size_t at = 0;
    for (const std::string& start : dialogue) {
        at = log.find("\n" + start, at);
        ASSERT_NE(std::string::npos, at) << "missing in order: " << start << "\n" << log;
        ++at;
    }
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, 3, "C: ") == 0 || line.compare(0, 3, "S: ") == 0) {
            EXPECT_LE(line.size(), 99u) << line;
        }
    }

    const std::string first = folder.Read(path);
    client->SetLogFile(W(path).c_str(), true);
    ASSERT_EQ(1, client->Send());
    const std::string both = folder.Read(path);
    ASSERT_GT(both.size(), first.size());
    EXPECT_EQ(first, both.substr(0, first.size()));
    EXPECT_EQ(2u, MailTo("logged@example.test").size());
}

} // namespace
