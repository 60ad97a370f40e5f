#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "ConverterHelpers.h"
#include "TestText.h"
#include "smtpclient/encoding/CodePage.h"

using namespace SMTPClientNS;
using SMTPClientTest::W;

namespace {

// UTF-8 of U+FEFF (a byte order mark) and of U+FFFD (the replacement character),
// which read as nothing or as a blank in a literal.
const std::string kBom = "\xEF\xBB\xBF";
const std::string kReplacement = "\xEF\xBF\xBD";

// ISO-2022-JP's form of JIS X 0208 bytes: a switch to that set, the bytes,
// and the switch back to ASCII.
std::string InJisX0208(const std::string& bytes)
{
    return "\x1B$B" + bytes + "\x1B(B";
}

// Long enough that iconv works in chunks and meets a dropped character in an
// early one; every representable character must still come out.
std::pair<WString, std::string> LongTextWithDroppedCharacters()
{
    std::pair<WString, std::string> text;
    for (int i = 0; i < 200000; ++i) {
        const char letter = static_cast<char>('a' + i % 26);
        text.first.push_back(i % 7 == 3 ? SmtpChar(0x03B1) : SmtpChar(letter));
        if (i % 7 != 3)
            text.second.push_back(letter);
    }
    return text;
}

// One converter for every row, so each row also reopens it after the last.
// The delivery tests show more charsets.
TEST(CharsetConverter, ConvertsOrFailsWithItsCode)
{
    const auto longText = LongTextWithDroppedCharacters();
    const struct {
        std::string charset;
        WString text;
        int result;
        std::string bytes;
    } cases[] = {
        {"UTF-8", W("é€😀"), 0, "é€😀"},
        {"ISO-2022-JP", W("a日本b"), 0, "a" + InJisX0208("F|K\\") + "b"},
        // Back to ASCII at the end, so the text stands on its own, and no
        // shift state left for the next.
        {"ISO-2022-JP", W("日"), 0, InJisX0208("F|")},
        {"ISO-2022-JP", W("a"), 0, "a"},
        {"Shift_JIS", W("日本語"), 0, "\x93\xFA\x96\x7B\x8C\xEA"},
        {"ISO-8859-1", longText.first, 0, longText.second},
        {"NO-SUCH-CHARSET", W("я"), -21, ""},
        // iconv skips control characters when it matches a name, so these
        // once converted, and a CR or LF split the header line they went into.
        {"iso\r8859-1", W("a"), -21, ""},
        {"utf-8//\r\nBcc: x@example.com", W("a"), -21, ""},
        {"utf\t-8", W("a"), -21, ""},
        {"utf-8\x7f", W("a"), -21, ""},
        // Spaces, 8-bit bytes and "?" as well: "UTF-8 x" converted as UTF-8,
        // and its space broke every encoded word.
        {"UTF-8 x", W("a"), -21, ""},
        {"UTF-8\xC3\x9B", W("a"), -21, ""},
        {"UTF-8?", W("a"), -21, ""},
        {std::string(504, 'A'), W("я"), -21, ""},
        // Charsets that do not keep ASCII text ASCII are refused as unknown;
        // ISO-2022-KR's announcer before the ASCII is fine.
        {"UTF-16", W("abc"), -21, ""},
        {"UCS-4LE", W("abc"), -21, ""},
        {"IBM037", W("abc"), -21, ""},
        {"ISO-2022-KR", W("abc"), 0, "\x1B$)Cabc"},
        {"UTF-8", W("ab") + SmtpChar(0xD800), -22, ""},
        // A lone surrogate with nothing before it is an empty success.
        {"UTF-8", WString(1, SmtpChar(0xD800)), 0, ""},
    };
    CharsetConverter converter;
    for (const auto& c : cases) {
        const Conversion conversion = Convert(converter, c.charset, c.text);
        EXPECT_EQ(c.result, conversion.result) << c.charset.substr(0, 20);
        EXPECT_TRUE(c.bytes == conversion.bytes) << c.charset.substr(0, 20);
    }
}

// Two threads alternate charsets on the one shared converter, so that each
// conversion reopens it; every result must still be exact.
TEST(SharedConverterConcurrency, ParallelConversionsWithDifferentCharsetsStayExact)
{
    std::atomic<int> wrong(0);
    auto run = [&wrong](const char* charset, WString text, std::string expected) {
        for (int i = 0; i < 400; ++i) {
            const Conversion conversion = Convert(GetSharedConverter(), charset, text);
            if (conversion.result != 0 || conversion.bytes != expected)
                ++wrong;
        }
    };
    std::thread latin(run, "ISO-8859-1", W("Grüße"), std::string("Gr\xFC\xDF") + "e");
    std::thread japanese(run, "Shift_JIS", W("日本"), std::string("\x93\xFA\x96\x7B"));
    latin.join();
    japanese.join();
    EXPECT_EQ(0, wrong.load());
}

// UTF-16 to UTF-8 and back; an unpaired surrogate, and each maximal invalid
// part of the UTF-8, reads as one U+FFFD.
TEST(CodePage, RoundTripsAndReplacesWhatIsNoText)
{
    const std::string html = kBom + "<p>Grüße € 😀</p>";
    const WString text = W(html);
    std::string utf8;
    WideToAnsi(text.c_str(), utf8);
    EXPECT_EQ(html, utf8);
    WString back;
    CodePageToWide(utf8.c_str(), back, kUtf8CodePage);
    EXPECT_EQ(text, back);
    WideToAnsi(WString({'a', 0xD83D, 'b', 0xDE00}).c_str(), utf8);
    EXPECT_EQ("a" + kReplacement + "b" + kReplacement, utf8);

    const SmtpChar r = 0xFFFD;
    const std::pair<std::string, WString> invalid[] = {
        {std::string("a\x80") + "b", WString({'a', r, 'b'})},
        {"\xC0\xAF", WString({r, r})},
        {"\xED\xA0\x80", WString({r, r, r})},
        {std::string("\xE2\x82") + "a", WString({r, 'a'})},
        {"\xF0\x9F\x98", WString({r})},
    };
    for (const auto& c : invalid) {
        WString out;
        CodePageToWide(c.first.c_str(), out, kUtf8CodePage);
        EXPECT_EQ(c.second, out) << c.first;
    }
}

} // namespace
