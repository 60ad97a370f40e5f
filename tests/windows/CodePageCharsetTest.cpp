// Charset conversion through the Windows code pages (the backend built when
// no iconv library is found).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestText.h"
#include "tests/encoding/ConverterHelpers.h"
#include "smtpclient/encoding/CharsetConverter.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

TEST(CodePageCharsets, EveryListedCharsetIsAvailable)
{
    const char* names[] = {
        "UTF-8", "ISO-8859-1", "ISO-8859-2", "ISO-8859-3", "ISO-8859-4", "ISO-8859-5",
        "ISO-8859-6", "ISO-8859-7", "ISO-8859-8", "ISO-8859-9", "ISO-8859-11", "ISO-8859-13",
        "ISO-8859-15", "windows-1250", "windows-1251", "windows-1252", "windows-1253",
        "windows-1254", "windows-1255", "windows-1256", "windows-1257", "windows-1258",
        "KOI8-R", "KOI8-U", "Shift_JIS", "EUC-JP", "GB2312", "GBK", "Big5", "EUC-KR",
        "us-ascii"};
    CharsetConverter converter;
    for (const char* name : names) {
        Conversion converted = Convert(converter, name, L"Az09");
        EXPECT_EQ(0, converted.result) << name;
        EXPECT_EQ("Az09", converted.bytes) << name;
    }
}

std::string Repeated(const std::string& text, int count)
{
    std::string repeated;
    for (int i = 0; i < count; ++i)
        repeated += text;
    return repeated;
}

// Code pages that not every system has (Wine lacks both): without them the
// charset is an unknown name.
TEST(CodePageCharsets, OptionalCodePagesConvertOrAreUnknown)
{
    const struct {
        UINT codePage;
        const char* charset;
        std::string utf8;
        std::string expected;
    } cases[] = {
        {50220, "ISO-2022-JP", "日本", "\x1B$BF|K\\\x1B(B"},
        // A character outside JIS X 0208 is dropped between the shifts.
        {50220, "ISO-2022-JP", "日ł", "\x1B$BF|\x1B(B"},
        // Every switch costs an escape sequence.
        {50220, "ISO-2022-JP", Repeated("a日", 500), Repeated("a\x1B$BF|\x1B(B", 500)},
        {54936, "GB18030", "é", "\xA8\xA6"},
        {54936, "GB18030", "😀", "\x94\x39\xFC\x36"},
    };
    CharsetConverter converter;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.charset);
        Conversion conversion = Convert(converter, c.charset, W(c.utf8));
        if (IsValidCodePage(c.codePage)) {
            EXPECT_EQ(0, conversion.result);
            EXPECT_EQ(c.expected, conversion.bytes);
        } else {
            EXPECT_EQ(-21, conversion.result);
        }
    }
}

TEST(CodePageCharsets, ConvertsIntoKnownByteSequences)
{
    const struct {
        const char* charset;
        const char* utf8;
        std::string expected;
    } cases[] = {
        {"utf-8", "Grüße", "Gr\xC3\xBC\xC3\x9F" "e"},
        {"ISO-8859-1", "Café", "Caf\xE9"},
        {"iso-8859-2", "łódź", "\xB3\xF3\x64\xBC"},
        {"ISO-8859-15", "€", "\xA4"},
        {"windows-1251", "Жук", "\xC6\xF3\xEA"},
        {"KOI8-R", "Жук", "\xF6\xD5\xCB"},
        {"Shift_JIS", "日本", "\x93\xFA\x96\x7B"},
        {"EUC-JP", "日本", "\xC6\xFC\xCB\xDC"},
        {"GB2312", "中文", "\xD6\xD0\xCE\xC4"},
        {"Big5", "中文", "\xA4\xA4\xA4\xE5"},
        {"EUC-KR", "한국", "\xC7\xD1\xB1\xB9"},
        {"utf-8", "😀", "\xF0\x9F\x98\x80"},
        // Names match whatever their case; the converter keeps the spelling.
        {"latin1", "é", "\xE9"},
        {"LATIN1", "é", "\xE9"},
    };
    CharsetConverter converter;
    for (const auto& c : cases) {
        Conversion converted = Convert(converter, c.charset, W(c.utf8));
        EXPECT_EQ(0, converted.result) << c.charset;
        EXPECT_EQ(c.expected, converted.bytes) << c.charset;
        EXPECT_EQ(c.charset, converter.charset);
    }
}

// Windows would put '?' or a look-alike ("best fit") in their place.
TEST(CodePageCharsets, DropsCharactersTheTargetLacks)
{
    CharsetConverter converter;
    EXPECT_EQ("ab?", Convert(converter, "ISO-8859-1", W("aĀ€b?")).bytes);
    EXPECT_EQ("xy", Convert(converter, "windows-1252", W("x😀ŁĀy")).bytes);
    EXPECT_EQ("\x93\xFA", Convert(converter, "Shift_JIS", W("日ł")).bytes);
}

TEST(CodePageCharsets, UnknownNamesAreUnsupportedAndKeepTheOpenConversion)
{
    CharsetConverter converter;
    ASSERT_EQ(0, Convert(converter, "KOI8-U", L"x").result);
    CharsetBackend::Handle handle = converter.handle;
    for (const char* name : {"x-no-such-charset", "ISO-8859-12", "utf-16", ""}) {
        EXPECT_EQ(name[0] ? -21 : -1, Convert(converter, name, L"x").result) << name;
        EXPECT_EQ(handle, converter.handle);
        EXPECT_EQ("KOI8-U", converter.charset);
    }
}

TEST(CodePageCharsets, UnpairedSurrogates)
{
    CharsetConverter converter;
    // After some output the conversion fails and the converter is emptied.
    EXPECT_EQ(-22, Convert(converter, "UTF-8", std::wstring(L"ab") + wchar_t(0xD800)).result);
    EXPECT_EQ(CharsetBackend::NoHandle(), converter.handle);
    EXPECT_EQ("", converter.charset);
    // Before any output it is an empty success.
    Conversion leading = Convert(converter, "UTF-8", std::wstring(1, wchar_t(0xDC00)) + L"ab");
    EXPECT_EQ(0, leading.result);
    EXPECT_EQ("", leading.bytes);
    EXPECT_EQ("UTF-8", converter.charset);
}

} // namespace
