// The session entries a host reads: the SMTP dialogue without message data,
// TLS records or login secrets, and a closing entry that says why a send
// ended, from traced blocks and from real sends to the fault listeners.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "LoopbackPort.h"
#include "SendTestClient.h"
#include "smtpclient/ResultTable.h"
#include "smtpclient/log/SessionDialogue.h"
#include "smtpclient/log/TraceLog.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

struct Report {
    curl_infotype type;
    std::string bytes;
};

struct DialogueCase {
    const char* name;
    std::vector<Report> reports;
    int rawOutcome;
    std::string sessionLog;
};

const Report kGreeting = {CURLINFO_HEADER_IN, "220 mail.example.test ESMTP\r\n"};

const DialogueCase kDialogues[] = {
    {"reply_lines_one_per_block_or_all_in_one",
     {
         kGreeting,
         {CURLINFO_HEADER_OUT, "EHLO host\r\n"},
         {CURLINFO_HEADER_IN, "250-mail.example.test\r\n"},
         {CURLINFO_HEADER_IN, "250 SIZE 1000\r\n"},
         {CURLINFO_HEADER_OUT, "MAIL FROM:<a@example.test>\r\n"},
         {CURLINFO_HEADER_IN, "250-first\r\n250 second\r\n"},
     },
     0,
     "S: 220 mail.example.test ESMTP\nC: EHLO host\nS: 250-mail.example.test\nS: 250 SIZE 1000\n"
     "C: MAIL FROM:<a@example.test>\nS: 250-first\nS: 250 second\nAccepted: 250-first\n250 "
     "second\n"},
    {"a_command_in_two_blocks",
     {
         {CURLINFO_HEADER_OUT, "RCPT TO:<b@exa"},
         {CURLINFO_HEADER_OUT, "mple.test>\r\n"},
         {CURLINFO_HEADER_IN, "550 5.1.1 <b@example.test>: User unknown\r\n"},
     },
     CURLE_SEND_ERROR,
     "C: RCPT TO:<b@example.test>\nS: 550 5.1.1 <b@example.test>: User unknown\n"
     "Refused at RCPT TO:<b@example.test>: 550 5.1.1 <b@example.test>: User unknown\n"},
    {"auth_argument_masked_in_any_case",
     {
         {CURLINFO_HEADER_OUT, "AUTH PLAIN AGFsaWNlAHNlY3JldA==\r\n"},
         {CURLINFO_HEADER_IN, "535 5.7.8 Authentication failed\r\n"},
         {CURLINFO_HEADER_OUT, "auth xoauth2 dXNlcj1hbGljZQFhdXRoPUJlYXJlciB0b2tlbgEB\r\n"},
     },
     CURLE_LOGIN_DENIED,
     "C: AUTH PLAIN ****\nS: 535 5.7.8 Authentication failed\nC: auth xoauth2 ****\n"
     "Refused at AUTH PLAIN ****: 535 5.7.8 Authentication failed\n"},
    {"login_answers_masked_and_part_of_the_auth_step",
     {
         {CURLINFO_HEADER_OUT, "AUTH LOGIN\r\n"},
         {CURLINFO_HEADER_IN, "334 VXNlcm5hbWU6\r\n"},
         {CURLINFO_HEADER_OUT, "YWxpY2U=\r\n"},
         {CURLINFO_HEADER_IN, "334 UGFzc3dvcmQ6\r\n"},
         {CURLINFO_HEADER_OUT, "c2VjcmV0\r\n"},
         {CURLINFO_HEADER_IN, "535 5.7.8 Authentication failed\r\n"},
     },
     CURLE_LOGIN_DENIED,
     "C: AUTH LOGIN\nS: 334 VXNlcm5hbWU6\nC: ****\nS: 334 UGFzc3dvcmQ6\nC: ****\n"
     "S: 535 5.7.8 Authentication failed\nRefused at AUTH LOGIN: 535 5.7.8 Authentication "
     "failed\n"},
    {"data_tls_records_and_libcurl_text_left_out",
     {
         {CURLINFO_TEXT, "Connected to 127.0.0.1\n"},
         {CURLINFO_SSL_DATA_OUT, std::string("\x16\x03\x01\x00\x05secret", 10)},
         {CURLINFO_SSL_DATA_IN, "\x17\x03\x03\r\n"},
         {CURLINFO_HEADER_OUT, "DATA\r\n"},
         {CURLINFO_HEADER_IN, "354 End data with <CR><LF>.<CR><LF>\r\n"},
         {CURLINFO_DATA_OUT, "Subject: private\r\n\r\nbody\r\n"},
         {CURLINFO_HEADER_IN, "554 5.7.1 Spam\r\n"},
     },
     CURLE_WEIRD_SERVER_REPLY,
     "C: DATA\nS: 354 End data with <CR><LF>.<CR><LF>\nS: 554 5.7.1 Spam\n"
     "Refused after the message data: 554 5.7.1 Spam\n"},
    {"control_bytes_as_dots_others_kept",
     {
         {CURLINFO_HEADER_IN, std::string("421 a\tb\x01\x7F\xC3\xA9\0z\r\n", 15)},
     },
     CURLE_RECV_ERROR,
     "S: 421 a.b..\xC3\xA9.z\nRefused on connecting: 421 a.b..\xC3\xA9.z\n"},
    {"no_refusal_gives_libcurl_words",
     {kGreeting},
     CURLE_OPERATION_TIMEDOUT,
     "S: 220 mail.example.test ESMTP\nSend failed: "
         + std::string(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT)) + "\n"},
    {"pipeline_outcome_gives_library_words",
     {},
     -3,
     "Send failed: No recipients have been specified.\n"},
};

int MaskedCommandCount(const LogEntries& entries)
{
    return static_cast<int>(std::count_if(entries.begin(), entries.end(), [](const std::string& e) {
        return e.compare(0, 3, "C: ") == 0 && e.find("****") != std::string::npos;
    }));
}

class Dialogue : public testing::TestWithParam<DialogueCase> {};

INSTANTIATE_TEST_SUITE_P(Cases, Dialogue, testing::ValuesIn(kDialogues),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(Dialogue, BecomesSessionEntriesAndAClosingEntry)
{
    SendTrace trace;
    StartSessionDialogue(trace, nullptr);
    for (const Report& report : GetParam().reports)
        TraceCallback(nullptr, report.type, const_cast<char*>(report.bytes.data()),
                      report.bytes.size(), &trace);
    AppendClosingEntry(trace, static_cast<RawOutcome>(GetParam().rawOutcome), ToResultText);
    std::string log;
    for (const std::string& entry : trace.sessionEntries)
        log += entry;
    EXPECT_EQ(GetParam().sessionLog, log);
    // The trace, which the log file gets, masks the commands the session log
    // masks.
    EXPECT_EQ(MaskedCommandCount(trace.sessionEntries), MaskedCommandCount(trace.traceEntries));
}

const char kTo[] = "dialogue@example.test";
const char kPassword[] = "Wrong-Secret-1";
const char kToken[] = "Wrong-Token-7";

struct SendCase {
    const char* name;
    const char* listener; // none: a closed port
    bool tls;
    const char* closingEntry; // a pattern
    void (*setup)(SendTest& test) = nullptr;
    std::vector<std::string> secrets = {}; // as typed and in every base64 form
};

void WrongLogin(SendTest& t)
{
    t.Login("alice", kPassword);
}

const SendCase kSends[] = {
    {"refused_recipient", "refuse_unknown_user", false,
     "Refused at RCPT TO:<dialogue@example\\.test>: 550 5\\.1\\.1 <dialogue@example\\.test>: "
     "Recipient address rejected: User unknown\n"},
    {"refused_message_data", "refuse_data_policy", false,
     "Refused after the message data: 554-5\\.7\\.1 Message rejected by policy\n"
     "554 5\\.7\\.1 See the postmaster's page for details\n"},
    {"over_the_size_limit", "refuse_over_size", false,
     "Refused at MAIL FROM:<sender@example\\.test>( SIZE=[0-9]+)?: "
     "552 5\\.3\\.4 Message size exceeds fixed maximum message size\n"},
    {"login_plain_over_tls",
     "auth_plain_only",
     true,
     "Refused at AUTH PLAIN: 535 5\\.7\\.8 Authentication credentials invalid\n",
     WrongLogin,
     {kPassword, "AGFsaWNlAFdyb25nLVNlY3JldC0x", "YWxpY2UAYWxpY2UAV3JvbmctU2VjcmV0LTE="}},
    {"login_mechanism",
     "auth_login_only",
     false,
     "Refused at AUTH LOGIN: 535 5\\.7\\.8 Authentication credentials invalid\n",
     WrongLogin,
     {kPassword, "V3JvbmctU2VjcmV0LTE=", "YWxpY2U="}},
    {"xoauth2_over_tls",
     "starttls",
     true,
     "Refused at AUTH XOAUTH2: 535 5\\.7\\.8 Authentication credentials invalid\n",
     [](SendTest& t) {
         t.client->SetUser(W("alice").c_str());
         t.client->SetOAuth2Token(W(kToken).c_str());
     },
     {kToken, "dXNlcj1hbGljZQFhdXRoPUJlYXJlciBXcm9uZy1Ub2tlbi03AQE="}},
    {"accepted_with_queue_id", "queue_id", false,
     "Accepted: 250 2\\.0\\.0 Ok: queued as 4B7C2F3A1D\n"},
    {"tls_failure_after_starttls", "starttls_garbage", true, "Send failed: .+\n"},
    {"connection_refused", nullptr, false,
     "Send failed: Failed to connect to 127\\.0\\.0\\.1 port [0-9]+ .*\n"},
};

class DialogueOfASend : public SendTest, public testing::WithParamInterface<SendCase> {};

INSTANTIATE_TEST_SUITE_P(Cases, DialogueOfASend, testing::ValuesIn(kSends),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(DialogueOfASend, EndsInWhatHappenedAndRevealsNoSecret)
{
    const SendCase& c = GetParam();
    client->SetLogFile(W(folder.Path("send.log")).c_str(), false);
    const LoopbackPort closed(false);
    Compose(kTo);
    if (c.listener != nullptr) {
        UseListener(c.listener, c.tls);
    } else {
        client->SetPort(closed.Port());
        client->SetUseTls(false);
    }
    if (c.setup != nullptr)
        c.setup(*this);
    client->Send();

    const std::string last = U8(client->GetLastLogEntry());
    const std::string log = U8(client->GetSessionLog());
    EXPECT_TRUE(std::regex_match(last, std::regex(c.closingEntry))) << last << log;
    ASSERT_GE(log.size(), last.size());
    EXPECT_EQ(last, log.substr(log.size() - last.size()));
    if (c.listener != nullptr) {
        EXPECT_EQ(0u, log.find("S: 220 ")) << log;
    }
    if (c.tls) {
        EXPECT_NE(std::string::npos, log.find("C: STARTTLS\nS: 220 ")) << log;
    }
    for (const std::string& secret : c.secrets)
        EXPECT_EQ(std::string::npos, log.find(secret)) << secret << " in\n" << log;
    const std::string file = folder.Read("send.log");
    ASSERT_FALSE(file.empty());
    for (const std::string& secret : c.secrets)
        EXPECT_EQ(std::string::npos, file.find(secret)) << secret << " in the log file";
}

} // namespace
