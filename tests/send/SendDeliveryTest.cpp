// Mail delivered to the plain listener: envelope, headers, structure and the
// session log of a successful send.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
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

std::string MaskMovingHeaders(const std::string& outline)
{
    static const std::regex date("Date: [^\n]*");
    static const std::regex messageId("Message - ID: <[^>]*>");
    return std::regex_replace(std::regex_replace(outline, date, "Date: <date>"), messageId,
                              "Message - ID: <id>");
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

} // namespace

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

TEST_F(SendDelivery, HeadersAndStructureAsBuilt)
{
    const std::string attachment = TempPath("report.bin");
    std::ofstream(attachment, std::ios::binary) << "attached bytes\n";
    ASSERT_EQ(1, message->SetFrom(W("tree-sender@example.test").c_str(),
                                  W("Zoë Sender").c_str()));
    message->AddTo(W("tree-to@example.test").c_str(), W("J. Doe").c_str());
    message->AddCc(W("tree-cc@example.test").c_str(), W("").c_str());
    message->SetPriority(2);
    message->SetSubject(W("Grüße from the test").c_str());
    message->SetTextBody(W("Plain text ü.").c_str());
    message->SetHtmlBody(W("<p>HTML ü</p>").c_str());
    ASSERT_EQ(1, message->AddAttachment(W(attachment).c_str()));
    ASSERT_EQ(1, client->Send());
    const ReceivedMail mail = WaitForMailTo("tree-to@example.test");
    ASSERT_FALSE(mail.rawPath.empty());
    EXPECT_EQ(
        "headers:\n"
        "  Content-Type: multipart/mixed; boundary=<boundary>\n"
        "  Mime-Version: 1.0\n"
        "  From: Zoë Sender <tree-sender@example.test>\n"
        "  To: \"J. Doe\" <tree-to@example.test>\n"
        "  Cc: tree-cc@example.test\n"
        "  X-Priority: 2 \n"
        "  Date: <date>\n"
        "  Subject: Grüße from the test\n"
        "body:\n"
        "  multipart/mixed\n"
        "    preamble: \"Message - ID: <id>\\r\\n\\r\\n\"\n"
        "    multipart/alternative\n"
        "      disposition: inline\n"
        "      text/html; charset=\"UTF-8\"\n"
        "        transfer-encoding: 8bit\n"
        "        text: \"<p>HTML ü</p>\"\n"
        "      text/plain; charset=\"UTF-8\"\n"
        "        transfer-encoding: 8bit\n"
        "        text: \"Plain text ü.\"\n"
        "    multipart/mixed\n"
        "      application/octet-stream\n"
        "        transfer-encoding: base64\n"
        "        disposition: attachment\n"
        "        filename: send_report.bin\n"
        "        data: 15 bytes sha256 "
        "8c8013cafe226cd012a4fb8ee0eadb102930ad572aecb67d94e33d87561a8260\n",
        MaskMovingHeaders(DescribeMail(mail.rawPath)));
}

// The log holds the dialogue in order, lines of at most 96 characters, and
// ends with the summary. QUIT comes only when the connection is closed with
// the transfer, after the log was written.
TEST_F(SendDelivery, LogFileOfASuccessfulSend)
{
    Compose("logged@example.test");
    const std::string path = TempPath("success.log");
    client->SetLogFile(W(path).c_str(), false);
    ASSERT_EQ(1, client->Send());
    EXPECT_EQ(0, client->GetLastResultCode());
    const std::string log = MaskTimes(ReadFile(path));
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
        if (StartsWith(line, "C: ") || StartsWith(line, "S: ")) {
            EXPECT_LE(line.size(), 99u) << line;
        }
    }
}

TEST_F(SendDelivery, LogFileAppendsSendAfterSend)
{
    Compose("appended@example.test");
    const std::string path = TempPath("appended.log");
    client->SetLogFile(W(path).c_str(), true);
    ASSERT_EQ(1, client->Send());
    const std::string first = ReadFile(path);
    ASSERT_EQ(1, client->Send());
    const std::string both = ReadFile(path);
    ASSERT_GT(both.size(), first.size());
    EXPECT_EQ(first, both.substr(0, first.size()));
    EXPECT_EQ(2u, MailTo("appended@example.test").size());
}
