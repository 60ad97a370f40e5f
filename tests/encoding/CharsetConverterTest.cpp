#include <gtest/gtest.h>

#include <iconv.h>

#include <string>

#include "ConverterHelpers.h"
#include "TestText.h"
#include "smtpclient/encoding/CharsetConverter.h"

using namespace SMTPClientNS;
using SMTPClientTest::W;

namespace {

const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

// There is one shared converter, open from the start. This test must see it
// before any other conversion.
TEST(SharedConverter, IsOneConverterOpenFromTheStart)
{
    CharsetConverter& shared = GetSharedConverter();
    EXPECT_EQ(&shared, &GetSharedConverter());
    ASSERT_NE(shared.handle, kNone);
    EXPECT_EQ(shared.charset, "utf-8");
    Conversion conversion = Convert(shared, "UTF-8", W("Grüße"));
    EXPECT_EQ(conversion.result, 0);
    EXPECT_EQ(conversion.bytes, "Gr\xC3\xBC\xC3\x9F" "e");
}

TEST(CharsetConverter, ConvertsIntoKnownByteSequences)
{
    struct Case {
        const char* charset;
        const char* utf8;
        std::string expected;
    } cases[] = {
        {"UTF-8", "é€😀", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {"ISO-8859-1", "Ünïcödé", "\xDCn\xEF" "c\xF6" "d\xE9"},
        {"ISO-2022-JP", "a日本b", "a\x1B$BF|K\\\x1B(Bb"},
        {"Shift_JIS", "日本語", "\x93\xFA\x96\x7B\x8C\xEA"},
        {"GB2312", "中文", "\xD6\xD0\xCE\xC4"},
        {"KOI8-R", "Привет", "\xF0\xD2\xC9\xD7\xC5\xD4"},
        // No return to ASCII at the end, but the reused handle starts afresh.
        {"ISO-2022-JP", "日", "\x1B$BF|"},
        {"ISO-2022-JP", "a", "a"},
    };
    CharsetConverter converter;
    for (const Case& c : cases) {
        Conversion conversion = Convert(converter, c.charset, W(c.utf8));
        EXPECT_EQ(conversion.result, 0) << c.charset;
        EXPECT_EQ(conversion.bytes, c.expected) << c.charset;
        EXPECT_EQ(converter.charset, c.charset);
    }
}

TEST(CharsetConverter, UnsupportedNamesKeepTheOpenHandle)
{
    CharsetConverter converter;
    ASSERT_EQ(Convert(converter, "KOI8-R", W("я")).result, 0);
    iconv_t handle = converter.handle;

    const std::string tooLong(504, 'A');
    for (const std::string& name : {std::string("NO-SUCH-CHARSET"), tooLong}) {
        Conversion conversion = Convert(converter, name, W("я"));
        EXPECT_EQ(conversion.result, -21);
        EXPECT_TRUE(conversion.bytes.empty());
        EXPECT_EQ(converter.handle, handle);
        EXPECT_EQ(converter.charset, "KOI8-R");
    }
    EXPECT_EQ(Convert(converter, "KOI8-R", W("я")).bytes, "\xD1");
}

TEST(CharsetConverter, DropsCharactersTheTargetLacks)
{
    CharsetConverter converter;
    Conversion conversion = Convert(converter, "ISO-8859-1", W("aαbβ"));
    EXPECT_EQ(conversion.result, 0);
    EXPECT_EQ(conversion.bytes, "ab");

    // Long enough that the library's iconv may stop after a dropped character
    // in an early chunk; every representable character must still come out.
    WString longText;
    std::string expected;
    for (int i = 0; i < 200000; ++i) {
        if (i % 7 == 3) {
            longText.push_back(static_cast<SmtpChar>(0x03B1));
        } else {
            longText.push_back(static_cast<SmtpChar>('a' + i % 26));
            expected.push_back(static_cast<char>('a' + i % 26));
        }
    }
    conversion = Convert(converter, "ISO-8859-1", longText);
    EXPECT_EQ(conversion.result, 0);
    EXPECT_TRUE(conversion.bytes == expected) << conversion.bytes.size() << " of " << expected.size();
    EXPECT_NE(converter.handle, kNone);
}

// A lone high surrogate at the end fails the whole conversion and closes the
// converter, unless nothing came before it.
TEST(CharsetConverter, UnpairedHighSurrogateAtTheEnd)
{
    CharsetConverter converter;
    Conversion conversion = Convert(converter, "UTF-8", W("ab") + SmtpChar(0xD800));
    EXPECT_EQ(-22, conversion.result);
    EXPECT_TRUE(conversion.bytes.empty());
    EXPECT_EQ(kNone, converter.handle);
    EXPECT_EQ("", converter.charset);

    conversion = Convert(converter, "UTF-8", WString(1, SmtpChar(0xD800)));
    EXPECT_EQ(0, conversion.result);
    EXPECT_EQ("", conversion.bytes);
    EXPECT_NE(kNone, converter.handle);
    EXPECT_EQ("UTF-8", converter.charset);
    EXPECT_EQ("ok", Convert(converter, "UTF-8", W("ok")).bytes);
}

// The output buffer holds 10 bytes per UTF-16 unit, zeros after the text.
TEST(CharsetConverter, OutputBufferHoldsTenBytesPerUnitAndZeros)
{
    CharsetConverter converter;
    const WString text = W("añ€");
    char* out = nullptr;
    size_t length = 0;
    ASSERT_EQ(ConvertUtf16ToCharset(converter, "UTF-8", text.c_str(), &out, &length), 0);
    EXPECT_EQ(std::string(out, length), "a\xC3\xB1\xE2\x82\xAC");
    // Reading the whole buffer also lets AddressSanitizer check its size.
    for (size_t i = length; i < text.size() * 10 + 1; ++i)
        EXPECT_EQ(out[i], '\0') << i;
    FreeConverted(out);
}

TEST(CharsetConverter, RefusesMissingArguments)
{
    CharsetConverter converter;
    const WString text = W("text");
    char* out = nullptr;
    size_t length = 0;
    EXPECT_EQ(-1, ConvertUtf16ToCharset(converter, "UTF-8", SMTPCLIENT_TEXT(""), &out, &length));
    EXPECT_EQ(-1, ConvertUtf16ToCharset(converter, "", text.c_str(), &out, &length));
    EXPECT_EQ(-1, ConvertUtf16ToCharset(converter, "UTF-8", nullptr, &out, &length));
    EXPECT_EQ(-1, ConvertUtf16ToCharset(converter, "UTF-8", text.c_str(), nullptr, &length));
    EXPECT_EQ(nullptr, out);

    const char bytes[] = {'a', '\0'};
    EXPECT_EQ(-1, ConvertBytesToCharset(converter, nullptr, 2, "UTF-8", &out, &length));
    EXPECT_EQ(-1, ConvertBytesToCharset(converter, bytes, 0, "UTF-8", &out, &length));
    EXPECT_EQ(-1, ConvertBytesToCharset(converter, bytes, 2, nullptr, &out, &length));
    ASSERT_EQ(1, ConvertBytesToCharset(converter, bytes, 2, "UTF-8", &out, &length));
    EXPECT_EQ("a", std::string(out, length));
    FreeConverted(out);
}

} // namespace
