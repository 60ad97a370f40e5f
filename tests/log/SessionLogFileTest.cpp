// The session log file of real sends: skipped while unwritable, replaced or
// appended, holding the dialogue and ending in a summary of the outcome.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "SendTestClient.h"

using namespace SMTPClientTest;

namespace {

std::string MaskTimes(const std::string& text)
{
    static const std::regex kTime("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}");
    return std::regex_replace(text, kTime, "<time>");
}

void ExpectSummary(const std::string& outcome, const std::string& log)
{
    const std::string summary =
        outcome + "\nEnd Connnect: <time>\n\n" + std::string(82, '=') + "\n\n";
    const std::string masked = MaskTimes(log);
    ASSERT_GT(masked.size(), summary.size());
    EXPECT_EQ(summary, masked.substr(masked.size() - summary.size()));
}

void ExpectDialogue(const std::string& log)
{
    size_t at = 0;
    for (const char* start : {"S: 220 ", "C: EHLO ", "C: MAIL FROM:<sender@example.test>",
                              "C: RCPT TO:<logged@example.test>", "C: DATA", "S: 354 ",
                              "C: Subject: Test logged@example.test", "S: 250 "}) {
        at = log.find("\n" + std::string(start), at);
        ASSERT_NE(std::string::npos, at) << "missing in order: " << start << "\n" << log;
    }
}

TEST_F(SendTest, LogFileSkippedReplacedAndAppended)
{
    Compose("logged@example.test");
    UseListener("plain", false);
    client->SetLogFile(W(folder.Path()).c_str(), false);
    ASSERT_EQ(1, client->Send()) << "an unwritable log stops nothing";

    // Set after a send, the file gets that send's log at once.
    const std::string path = folder.Write("send.log", "older content\n");
    client->SetLogFile(W(path).c_str(), false);
    const std::string first = folder.Read(path);
    EXPECT_EQ(std::string::npos, first.find("older content"));
    ExpectDialogue(first);
    ExpectSummary("Email sent successfully!", first);

    client->SetLogFile(W(path).c_str(), true);
    UseListener("refuse_unknown_user", false);
    ASSERT_EQ(-13, client->Send());
    const std::string both = folder.Read(path);
    EXPECT_EQ(first, both.substr(0, first.size()));
    ExpectSummary("Error Info: " + std::string(curl_easy_strerror(CURLE_SEND_ERROR)), both);
}

} // namespace
