#include <gtest/gtest.h>

#include <string>

#include "LogTestSupport.h"
#include "smtpclient/log/TraceLog.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

unsigned char textLayout = 1;

void Trace(curl_infotype type, const std::string& bytes)
{
    TraceCallback(nullptr, type, const_cast<char*>(bytes.data()), bytes.size(), &textLayout);
}

struct DumpCase {
    curl_infotype type;
    std::string bytes;
    std::string entry;
};

std::string Alphabet(int length)
{
    std::string text;
    for (int i = 0; i < length; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

TEST(TraceLayout, EachBlockBecomesOneEntryOfLabelledLines)
{
    const std::string block = Alphabet(200);
    const std::string full(96, 'x');
    const DumpCase cases[] = {
        // Lines are cut every 96 characters and at CR LF, which never prints.
        {CURLINFO_DATA_OUT, block,
         "C: " + block.substr(0, 96) + "\nC: " + block.substr(96, 96) + "\nC: " + block.substr(192) + "\n"},
        {CURLINFO_HEADER_OUT, "EHLO host\r\n", "C: EHLO host\n"},
        {CURLINFO_HEADER_IN, "250-localhost\r\n250-AUTH PLAIN LOGIN\r\n250 OK\r\n",
         "S: 250-localhost\nS: 250-AUTH PLAIN LOGIN\nS: 250 OK\n"},
        {CURLINFO_DATA_OUT, full + "\r\ny", "C: " + full + "\nC: y\n"},
        {CURLINFO_DATA_OUT, "\r\n\n", "C: \nC: .\n"},
        {CURLINFO_DATA_IN, std::string("a\rb\nc\x7f") + '\0' + "\x80\xff\x1f", "S: a.b.c\x7f....\n"},
        {CURLINFO_DATA_IN, "x", "S: x\n"},
        {CURLINFO_SSL_DATA_IN, "x", "S: x\n"},
        {CURLINFO_SSL_DATA_OUT, "x", "C: x\n"},
        {CURLINFO_DATA_OUT, "", ""},
        // libcurl's own text loses only its leading spaces.
        {CURLINFO_TEXT, "  Trying 127.0.0.1:25...\n", "Trying 127.0.0.1:25...\n"},
        {CURLINFO_TEXT, "\tkept  \n", "\tkept  \n"},
        {CURLINFO_TEXT, "   ", ""},
    };
    for (const DumpCase& c : cases) {
        ClearTrace();
        Trace(c.type, c.bytes);
        EXPECT_EQ(LogQueue{c.entry}, TakeTraceEntries()) << c.bytes;
    }
}

// libcurl's text is not zero-terminated: exactly size bytes are echoed.
TEST(TraceLayout, EntriesQueueInCallbackOrderAndTextIsEchoedToStandardError)
{
    ClearTrace();
    char text[] = "  Connected\nNOT PART OF IT";
    testing::internal::CaptureStderr();
    TraceCallback(nullptr, CURLINFO_TEXT, text, 12, &textLayout);
    EXPECT_EQ("  Connected\n", testing::internal::GetCapturedStderr());
    Trace(CURLINFO_HEADER_OUT, "QUIT\r\n");
    char data[] = "x";
    EXPECT_EQ(0, TraceCallback(nullptr, CURLINFO_END, data, 1, &textLayout));
    Trace(CURLINFO_HEADER_IN, "221 Bye\r\n");
    EXPECT_EQ((LogQueue{"Connected\n", "C: QUIT\n", "S: 221 Bye\n"}), TakeTraceEntries());
    EXPECT_TRUE(TakeTraceEntries().empty());
}

} // namespace
