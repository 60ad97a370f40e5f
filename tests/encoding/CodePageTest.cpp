#include <gtest/gtest.h>

#include <string>

#include "TestText.h"
#include "smtpclient/encoding/CodePage.h"

using namespace SMTPClientNS;
using SMTPClientTest::W;

namespace {

const uint32_t R = 0xFFFD;

WString Units(std::initializer_list<uint32_t> units)
{
    WString text;
    for (uint32_t unit : units)
        text.push_back(static_cast<SmtpChar>(unit));
    return text;
}

TEST(WideToAnsi, WritesUtf8WithReplacementForUnpairedSurrogates)
{
    const std::pair<WString, std::string> cases[] = {
        {W(""), ""},
        {W("Grüße €"), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"},
        {W("😀"), "\xF0\x9F\x98\x80"},
        {Units({'a', 0xD83D, 'b'}), "a\xEF\xBF\xBD" "b"},
        {Units({'a', 0xDE00, 'b'}), "a\xEF\xBF\xBD" "b"},
        {Units({0xDE00, 0xD83D}), "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        std::string out = "old";
        WideToAnsi(c.first.c_str(), out);
        EXPECT_EQ(c.second, out);
    }
    std::string out = "previous";
    WideToAnsi(nullptr, out);
    EXPECT_EQ("previous", out);
}

TEST(CodePageToWide, DecodesUtf8WithOneReplacementPerMaximalInvalidPart)
{
    const std::pair<const char*, WString> cases[] = {
        {"\xEF\xBB\xBF<p>Grüße 😀</p>", Units({0xFEFF}) + W("<p>Grüße 😀</p>")},
        {"a\x80" "b", Units({'a', R, 'b'})},
        {"\xFF\xFE", Units({R, R})},
        {"\xC0\xAF", Units({R, R})},                    // overlong lead
        {"\xE0\x80\xAF", Units({R, R, R})},             // overlong three-byte form
        {"\xED\xA0\x80", Units({R, R, R})},             // encoded surrogate
        {"\xF4\x90\x80\x80", Units({R, R, R, R})},      // above U+10FFFF
        {"\xE2\x82" "a", Units({R, 'a'})},              // truncated sequence
        {"\xF0\x9F\x98", Units({R})},                   // truncated at the end
        {"\xF4\x8F\xBF\xBF", Units({0xDBFF, 0xDFFF})},  // highest code point
    };
    for (uint32_t codePage : {kAnsiCodePage, kUtf8CodePage}) {
        for (const auto& c : cases) {
            WString out;
            CodePageToWide(c.first, out, codePage);
            EXPECT_EQ(c.second, out) << c.first;
        }
    }
}

TEST(CodePageToWide, NullOrEmptyTextLeavesTheOutputAloneAndFailureEmptiesIt)
{
    WString out = W("previous");
    CodePageToWide(nullptr, out, kUtf8CodePage);
    CodePageToWide("", out, kAnsiCodePage);
    EXPECT_EQ(W("previous"), out);
    CodePageToWide("text", out, 1252);
    EXPECT_TRUE(out.empty());
}

} // namespace
