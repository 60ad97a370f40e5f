#include <gtest/gtest.h>

#include <string>

#include "TestText.h"
#include "smtpclient/encoding/CodePage.h"
#include "smtpclient/platform/CodePage.h"

using namespace SMTPClientNS;
using SMTPClientTest::W;

namespace {

WString Units(std::initializer_list<uint32_t> units)
{
    WString text;
    for (uint32_t unit : units)
        text.push_back(static_cast<SmtpChar>(unit));
    return text;
}

TEST(WideToAnsi, NullTextLeavesTheOutputAloneAndEmptyTextEmptiesIt)
{
    std::string out = "previous";
    WideToAnsi(nullptr, out);
    EXPECT_EQ(out, "previous");
    WideToAnsi(SMTPCLIENT_TEXT(""), out);
    EXPECT_EQ(out, "");
}

TEST(WideToAnsi, WritesUtf8WithReplacementForUnpairedSurrogates)
{
    struct Case {
        WString text;
        std::string expected;
    } cases[] = {
        {W("plain ascii"), "plain ascii"},
        {W("Grüße €"), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"},
        {W("😀"), "\xF0\x9F\x98\x80"},
        {Units({'a', 0xD83D, 'b'}), "a\xEF\xBF\xBD" "b"},
        {Units({'a', 0xDE00, 'b'}), "a\xEF\xBF\xBD" "b"},
        {Units({0xDE00, 0xD83D}), "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {Units({'z', 0xD83D}), "z\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        std::string out = "old";
        WideToAnsi(c.text.c_str(), out);
        EXPECT_EQ(out, c.expected);
    }
}

TEST(PlatformCodePage, CountsIncludeTheTerminatorAndShortBuffersFail)
{
    WString text = W("é😀");
    EXPECT_EQ(Platform::WideToMultiByte(kUtf8CodePage, text.c_str(), nullptr, 0), 7);
    char narrow[7];
    EXPECT_EQ(Platform::WideToMultiByte(kAnsiCodePage, text.c_str(), narrow, 7), 7);
    EXPECT_EQ(std::string(narrow), "\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(Platform::WideToMultiByte(kUtf8CodePage, text.c_str(), narrow, 6), 0);

    EXPECT_EQ(Platform::MultiByteToWide(kUtf8CodePage, narrow, nullptr, 0), 4);
    SmtpChar wide[4];
    EXPECT_EQ(Platform::MultiByteToWide(kUtf8CodePage, narrow, wide, 4), 4);
    EXPECT_EQ(WString(wide), text);
    EXPECT_EQ(Platform::MultiByteToWide(kUtf8CodePage, narrow, wide, 3), 0);

    EXPECT_EQ(Platform::WideToMultiByte(1252, text.c_str(), nullptr, 0), 0);
    EXPECT_EQ(Platform::MultiByteToWide(1252, narrow, nullptr, 0), 0);
}

TEST(CodePageToWide, NullOrEmptyTextLeavesTheOutputAloneAndFailureEmptiesIt)
{
    WString out = W("previous");
    CodePageToWide(nullptr, out, kUtf8CodePage);
    CodePageToWide("", out, kAnsiCodePage);
    EXPECT_EQ(out, W("previous"));
    CodePageToWide("text", out, 1252);
    EXPECT_TRUE(out.empty());
}

TEST(CodePageToWide, DecodesUtf8KeepingTheByteOrderMark)
{
    for (uint32_t codePage : {kAnsiCodePage, kUtf8CodePage}) {
        WString out;
        CodePageToWide("\xEF\xBB\xBF<p>Grüße 😀</p>", out, codePage);
        EXPECT_EQ(out, Units({0xFEFF}) + W("<p>Grüße 😀</p>"));
    }
}

TEST(CodePageToWide, InvalidBytesBecomeOneReplacementPerMaximalPart)
{
    const uint32_t R = 0xFFFD;
    struct Case {
        const char* bytes;
        WString expected;
    } cases[] = {
        {"a\x80" "b", Units({'a', R, 'b'})},
        {"\xFF\xFE", Units({R, R})},
        {"\xC0\xAF", Units({R, R})},                     // overlong lead
        {"\xE0\x80\xAF", Units({R, R, R})},              // overlong three-byte form
        {"\xED\xA0\x80", Units({R, R, R})},              // encoded surrogate
        {"\xF4\x90\x80\x80", Units({R, R, R, R})},       // above U+10FFFF
        {"\xE2\x82" "a", Units({R, 'a'})},               // truncated sequence
        {"\xF0\x9F\x98", Units({R})},                    // truncated at the end
        {"\xC3\xA9\xC3", Units({0xE9, R})},
        {"\xF4\x8F\xBF\xBF", Units({0xDBFF, 0xDFFF})},   // highest code point
    };
    for (const Case& c : cases) {
        WString out;
        CodePageToWide(c.bytes, out, kUtf8CodePage);
        EXPECT_EQ(out, c.expected) << c.bytes;
    }
}

TEST(FindNonAscii, FindsTheFirstUnitAbove127)
{
    EXPECT_EQ(FindNonAscii(WString()), -1);
    EXPECT_EQ(FindNonAscii(W("Plain letters\x7F")), -1);
    EXPECT_EQ(FindNonAscii(W("aé")), 1);
    EXPECT_EQ(FindNonAscii(W("ab\xC2\x80")), 2);
    EXPECT_EQ(FindNonAscii(W("ab😀é")), 2);
}

} // namespace
