#include <gtest/gtest.h>

#include <string>

#include "LogTestSupport.h"
#include "smtpclient/log/TraceLog.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

unsigned char textLayout = 1;

std::string Dump(curl_infotype type, const std::string& bytes)
{
    ClearTrace();
    TraceCallback(nullptr, type, const_cast<char*>(bytes.data()), bytes.size(), &textLayout);
    const LogQueue entries = TakeTraceEntries();
    EXPECT_EQ(1u, entries.size());
    return entries.empty() ? std::string() : entries.front();
}

} // namespace

TEST(TraceLayout, LongBlockIsCutEvery96Characters)
{
    std::string block;
    for (int i = 0; i < 200; ++i)
        block += static_cast<char>('a' + i % 26);
    const std::string expected = "C: " + block.substr(0, 96) + "\nC: " + block.substr(96, 96)
                                 + "\nC: " + block.substr(192) + "\n";
    EXPECT_EQ(expected, Dump(CURLINFO_DATA_OUT, block));
}

TEST(TraceLayout, CrLfEndsLinesAndIsNeverPrinted)
{
    EXPECT_EQ("C: EHLO host\n", Dump(CURLINFO_HEADER_OUT, "EHLO host\r\n"));
    EXPECT_EQ("S: 250-localhost\nS: 250-AUTH PLAIN LOGIN\nS: 250 OK\n",
              Dump(CURLINFO_HEADER_IN, "250-localhost\r\n250-AUTH PLAIN LOGIN\r\n250 OK\r\n"));
    // A break right at the end of a full line ends it there.
    const std::string full(96, 'x');
    EXPECT_EQ("C: " + full + "\nC: y\n", Dump(CURLINFO_DATA_OUT, full + "\r\ny"));
    EXPECT_EQ("C: \nC: .\n", Dump(CURLINFO_DATA_OUT, "\r\n\n"));
}

TEST(TraceLayout, BytesOutside32To127PrintAsDots)
{
    const std::string bytes = std::string("a\rb\nc\x7f") + '\0' + "\x80\xff\x1f";
    EXPECT_EQ("S: a.b.c\x7f....\n", Dump(CURLINFO_DATA_IN, bytes));
}

TEST(TraceLayout, EveryKindOfDataGetsItsLabel)
{
    EXPECT_EQ("S: x\n", Dump(CURLINFO_HEADER_IN, "x"));
    EXPECT_EQ("S: x\n", Dump(CURLINFO_DATA_IN, "x"));
    EXPECT_EQ("S: x\n", Dump(CURLINFO_SSL_DATA_IN, "x"));
    EXPECT_EQ("C: x\n", Dump(CURLINFO_HEADER_OUT, "x"));
    EXPECT_EQ("C: x\n", Dump(CURLINFO_DATA_OUT, "x"));
    EXPECT_EQ("C: x\n", Dump(CURLINFO_SSL_DATA_OUT, "x"));
}

TEST(TraceLayout, EmptyBlockGivesAnEmptyEntry)
{
    EXPECT_EQ("", Dump(CURLINFO_DATA_OUT, ""));
}

TEST(TraceLayout, UnknownKindQueuesNothing)
{
    ClearTrace();
    char data[] = "x";
    EXPECT_EQ(0, TraceCallback(nullptr, CURLINFO_END, data, 1, &textLayout));
    EXPECT_TRUE(TakeTraceEntries().empty());
}

TEST(TraceLayout, InformationalTextLosesOnlyItsLeadingSpaces)
{
    EXPECT_EQ("Trying 127.0.0.1:25...\n", Dump(CURLINFO_TEXT, "  Trying 127.0.0.1:25...\n"));
    EXPECT_EQ("\tkept  \n", Dump(CURLINFO_TEXT, "\tkept  \n"));
    EXPECT_EQ("", Dump(CURLINFO_TEXT, "   "));
}

// libcurl's text is not zero-terminated: exactly size bytes are echoed.
TEST(TraceLayout, InformationalTextIsEchoedToStandardError)
{
    ClearTrace();
    char data[] = "  Connected\nNOT PART OF IT";
    testing::internal::CaptureStderr();
    TraceCallback(nullptr, CURLINFO_TEXT, data, 12, &textLayout);
    EXPECT_EQ("  Connected\n", testing::internal::GetCapturedStderr());
    EXPECT_EQ(LogQueue{"Connected\n"}, TakeTraceEntries());
}

TEST(TraceLayout, EntriesQueueInCallbackOrderUntilCollected)
{
    ClearTrace();
    char text[] = "Connected\n";
    char out[] = "QUIT\r\n";
    char in[] = "221 Bye\r\n";
    TraceCallback(nullptr, CURLINFO_TEXT, text, sizeof(text) - 1, &textLayout);
    TraceCallback(nullptr, CURLINFO_HEADER_OUT, out, sizeof(out) - 1, &textLayout);
    TraceCallback(nullptr, CURLINFO_HEADER_IN, in, sizeof(in) - 1, &textLayout);
    EXPECT_EQ((LogQueue{"Connected\n", "C: QUIT\n", "S: 221 Bye\n"}), TakeTraceEntries());
    EXPECT_TRUE(TakeTraceEntries().empty());
}
