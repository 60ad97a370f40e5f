// How each block libcurl traces becomes an entry of the session log.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "smtpclient/log/TraceLog.h"

using namespace SMTPClientNS;

namespace {

SendTrace sendTrace;

void Trace(curl_infotype type, const std::string& bytes)
{
    TraceCallback(nullptr, type, const_cast<char*>(bytes.data()), bytes.size(), &sendTrace);
}

// The trace entries appended since the last call, oldest first.
LogEntries TakeEntries()
{
    return std::exchange(sendTrace.traceEntries, {});
}

struct Block {
    curl_infotype type;
    std::string bytes;
    std::string entry;
};

TEST(TraceLayout, EachBlockBecomesOneEntryOfLabelledLinesInCallbackOrder)
{
    const std::string block = std::string(96, 'a') + std::string(96, 'b') + "c";
    const std::string full(96, 'x');
    const Block blocks[] = {
        // Lines are cut every 96 characters and at CR LF, which never prints.
        {CURLINFO_DATA_OUT, block,
         "C: " + block.substr(0, 96) + "\nC: " + block.substr(96, 96) + "\nC: c\n"},
        {CURLINFO_HEADER_IN, "250-localhost\r\n250 OK\r\n", "S: 250-localhost\nS: 250 OK\n"},
        {CURLINFO_DATA_OUT, full + "\r\ny", "C: " + full + "\nC: y\n"},
        {CURLINFO_DATA_OUT, "\r\n\n", "C: \nC: .\n"},
        {CURLINFO_DATA_IN, std::string("a\rb\nc\x7f") + '\0' + "\x80\xff\x1f",
         "S: a.b.c\x7f....\n"},
        {CURLINFO_SSL_DATA_IN, "x", "S: x\n"},
        {CURLINFO_SSL_DATA_OUT, "x", "C: x\n"},
        {CURLINFO_DATA_OUT, "", ""},
        // libcurl's own text loses only its leading spaces.
        {CURLINFO_TEXT, "  Trying 127.0.0.1:25...\n", "Trying 127.0.0.1:25...\n"},
        {CURLINFO_TEXT, "\tkept  \n", "\tkept  \n"},
        {CURLINFO_TEXT, "   ", ""},
    };
    for (const Block& b : blocks) {
        TakeEntries();
        Trace(b.type, b.bytes);
        EXPECT_EQ(LogEntries{b.entry}, TakeEntries()) << b.bytes;
    }

    // libcurl's text is not zero-terminated: exactly size bytes are echoed.
    char text[] = "  Connected\nNOT PART OF IT";
    testing::internal::CaptureStderr();
    TraceCallback(nullptr, CURLINFO_TEXT, text, 12, &sendTrace);
    EXPECT_EQ("  Connected\n", testing::internal::GetCapturedStderr());
    Trace(CURLINFO_HEADER_OUT, "QUIT\r\n");
    EXPECT_EQ(0, TraceCallback(nullptr, CURLINFO_END, text, 1, &sendTrace));
    Trace(CURLINFO_HEADER_IN, "221 Bye\r\n");
    EXPECT_EQ((LogEntries{"Connected\n", "C: QUIT\n", "S: 221 Bye\n"}), TakeEntries());
}

} // namespace
