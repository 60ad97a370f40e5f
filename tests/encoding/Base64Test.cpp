// The Base64 encoder: RFC 4648's examples, and line-broken text whose length
// is the one announced to libcurl before the file is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "smtpclient/encoding/Base64.h"

using namespace SMTPClientNS;

namespace {

std::string Plain(const std::string& bytes)
{
    std::string text = "kept:";
    AppendBase64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), text);
    return text;
}

TEST(Base64, EncodesTheStandardExamplesWithPadding)
{
    EXPECT_EQ("kept:", Plain(""));
    EXPECT_EQ("kept:Zg==", Plain("f"));
    EXPECT_EQ("kept:Zm8=", Plain("fo"));
    EXPECT_EQ("kept:Zm9v", Plain("foo"));
    EXPECT_EQ("kept:Zm9vYg==", Plain("foob"));
    EXPECT_EQ("kept:Zm9vYmE=", Plain("fooba"));
    EXPECT_EQ("kept:Zm9vYmFy", Plain("foobar"));
    EXPECT_EQ("kept:AP/+", Plain(std::string("\x00\xff\xfe", 3)));
}

// Blocks of whole lines, encoded one after the other, give one text whose
// lines are 76 characters, CR LF between them and none at the end.
TEST(Base64, LinesJoinAcrossBlocksAndMatchTheAnnouncedLength)
{
    for (size_t size = 0; size <= 4 * kBase64LineBytes + 2; ++size) {
        std::vector<unsigned char> bytes(size, 0xAB);
        std::string text(size * 2 + 8, '?');
        const size_t split = size / kBase64LineBytes / 2 * kBase64LineBytes;
        size_t length = EncodeBase64Lines(bytes.data(), split, false, &text[0]);
        length += EncodeBase64Lines(bytes.data() + split, size - split, split > 0, &text[length]);
        text.resize(length);
        ASSERT_EQ(Base64LinesLength(size), length) << size;
        std::string joined;
        AppendBase64(bytes.data(), size, joined);
        for (size_t at = kBase64LineChars; at < joined.size(); at += kBase64LineChars + 2)
            joined.insert(at, "\r\n");
        EXPECT_EQ(joined, text) << size;
    }
}

} // namespace
