// What libcurl's trace reports become: one trace entry each, for the log file,
// of lines labelled "C: " and "S: " cut at 96 characters and at CR LF; and
// the session entries a host reads, the SMTP dialogue without message data,
// TLS records or login secrets, with a closing entry that says why a send
// ended. Real sends to the fault listeners are in the send tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "smtpclient/ResultTable.h"
#include "smtpclient/log/SessionDialogue.h"
#include "smtpclient/log/TraceLog.h"

using namespace SMTPClientNS;

namespace {

struct Report {
    curl_infotype type;
    std::string bytes;
};

struct DialogueCase {
    const char* name;
    std::vector<Report> reports;
    int rawOutcome;
    std::optional<LogEntries> trace; // checked where it differs from the dialogue
    std::string sessionLog;
};

const std::string kTwoLinesAndOne = std::string(96, 'a') + std::string(96, 'b') + "c";
const std::string kFullLine(96, 'x');

const Report kGreeting = {CURLINFO_HEADER_IN, "220 mail.example.test ESMTP\r\n"};

const DialogueCase kDialogues[] = {
    {"trace_layout_of_each_block",
     {
         {CURLINFO_DATA_OUT, kTwoLinesAndOne},
         {CURLINFO_HEADER_IN, "250-localhost\r\n250 OK\r\n"},
         {CURLINFO_DATA_OUT, kFullLine + "\r\ny"},
         {CURLINFO_DATA_OUT, "\r\n\n"},
         {CURLINFO_DATA_IN, std::string("a\rb\nc\x7f") + '\0' + "\x80\xff\x1f"},
         {CURLINFO_SSL_DATA_IN, "x"},
         {CURLINFO_SSL_DATA_OUT, "x"},
         {CURLINFO_DATA_OUT, ""},
         // libcurl's own text loses only its leading spaces.
         {CURLINFO_TEXT, "  Trying 127.0.0.1:25...\n"},
         {CURLINFO_TEXT, "\tkept  \n"},
         {CURLINFO_TEXT, "   "},
         {CURLINFO_END, "ignored"},
     },
     0,
     LogEntries{"C: " + kTwoLinesAndOne.substr(0, 96) + "\nC: " + kTwoLinesAndOne.substr(96, 96)
                    + "\nC: c\n",
                "S: 250-localhost\nS: 250 OK\n", "C: " + kFullLine + "\nC: y\n", "C: \nC: .\n",
                "S: a.b.c\x7f....\n", "S: x\n", "C: x\n", "", "Trying 127.0.0.1:25...\n",
                "\tkept  \n", ""},
     "S: 250-localhost\nS: 250 OK\nAccepted: 250-localhost\n250 OK\n"},
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
     std::nullopt,
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
     std::nullopt,
     "C: RCPT TO:<b@example.test>\nS: 550 5.1.1 <b@example.test>: User unknown\n"
     "Refused at RCPT TO:<b@example.test>: 550 5.1.1 <b@example.test>: User unknown\n"},
    {"auth_argument_masked_in_any_case",
     {
         {CURLINFO_HEADER_OUT, "AUTH PLAIN AGFsaWNlAHNlY3JldA==\r\n"},
         {CURLINFO_HEADER_IN, "535 5.7.8 Authentication failed\r\n"},
         {CURLINFO_HEADER_OUT, "auth xoauth2 dXNlcj1hbGljZQFhdXRoPUJlYXJlciB0b2tlbgEB\r\n"},
     },
     CURLE_LOGIN_DENIED,
     std::nullopt,
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
     std::nullopt,
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
     LogEntries{"Connected to 127.0.0.1\n", "C: .....secre\n", "S: ...\n", "C: DATA\n",
                "S: 354 End data with <CR><LF>.<CR><LF>\n", "C: Subject: private\nC: \nC: body\n",
                "S: 554 5.7.1 Spam\n"},
     "C: DATA\nS: 354 End data with <CR><LF>.<CR><LF>\nS: 554 5.7.1 Spam\n"
     "Refused after the message data: 554 5.7.1 Spam\n"},
    {"control_bytes_as_dots_others_kept",
     {
         {CURLINFO_HEADER_IN, std::string("421 a\tb\x01\x7F\xC3\xA9\0z\r\n", 15)},
     },
     CURLE_RECV_ERROR,
     LogEntries{"S: 421 a.b.\x7F...z\n"},
     "S: 421 a.b..\xC3\xA9.z\nRefused on connecting: 421 a.b..\xC3\xA9.z\n"},
    {"no_refusal_gives_libcurl_words",
     {kGreeting},
     CURLE_OPERATION_TIMEDOUT,
     std::nullopt,
     "S: 220 mail.example.test ESMTP\nSend failed: "
         + std::string(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT)) + "\n"},
    {"pipeline_outcome_gives_library_words",
     {},
     -3,
     LogEntries{},
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

TEST_P(Dialogue, BecomesTraceEntriesSessionEntriesAndAClosingEntry)
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
    if (GetParam().trace.has_value()) {
        EXPECT_EQ(*GetParam().trace, trace.traceEntries);
    }
    EXPECT_EQ(GetParam().sessionLog, log);
    // The trace, which the log file gets, masks the commands the session log
    // masks.
    EXPECT_EQ(MaskedCommandCount(trace.sessionEntries), MaskedCommandCount(trace.traceEntries));
}

// libcurl's text is not zero-terminated: exactly size bytes are echoed.
TEST(TraceEcho, LibcurlTextGoesToStandardErrorAsItCame)
{
    SendTrace trace;
    char text[] = "  Connected\nNOT PART OF IT";
    testing::internal::CaptureStderr();
    TraceCallback(nullptr, CURLINFO_TEXT, text, 12, &trace);
    EXPECT_EQ("  Connected\n", testing::internal::GetCapturedStderr());
}

} // namespace
