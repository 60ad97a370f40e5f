// Charset conversion through the Windows code pages (the backend built when
// no iconv library is found).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestText.h"
#include "smtpclient/encoding/CharsetConverter.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

struct Converted {
    int result;
    std::string bytes;
};

Converted Convert(CharsetConverter& converter, const std::string& charset, const std::wstring& text)
{
    char* out = nullptr;
    size_t length = 0;
    Converted converted{ConvertUtf16ToCharset(converter, charset, text.c_str(), &out, &length), ""};
    if (converted.result == 0) {
        converted.bytes.assign(out, length);
        FreeConverted(out);
    }
    return converted;
}

// Code pages that not every system has: Wine, for one, lacks them.
const UINT kIso2022Jp = 50220;
const UINT kGb18030 = 54936;

bool SystemLacks(UINT codePage)
{
    return !IsValidCodePage(codePage);
}

// A charset whose code page the system lacks is an unknown name (-21).
void ExpectUnsupported(CharsetConverter& converter, const char* charset)
{
    EXPECT_EQ(-21, Convert(converter, charset, L"x").result) << charset;
}

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
        Converted converted = Convert(converter, name, L"Az09");
        EXPECT_EQ(0, converted.result) << name;
        EXPECT_EQ("Az09", converted.bytes) << name;
    }
}

TEST(CodePageCharsets, Iso2022JpSwitchesBetweenAsciiAndJis)
{
    CharsetConverter converter;
    if (SystemLacks(kIso2022Jp)) {
        ExpectUnsupported(converter, "ISO-2022-JP");
        GTEST_SKIP() << "the system has no code page " << kIso2022Jp;
    }
    EXPECT_EQ("\x1B$BF|K\\\x1B(B", Convert(converter, "ISO-2022-JP", W("日本")).bytes);
    // A character outside JIS X 0208 is dropped between the shifts.
    EXPECT_EQ("\x1B$BF|\x1B(B", Convert(converter, "ISO-2022-JP", W("日ł")).bytes);

    // Every switch costs an escape sequence: 9 bytes per "a日" pair.
    std::wstring mixed;
    for (int i = 0; i < 500; ++i)
        mixed += L"a\u65E5";
    Converted converted = Convert(converter, "ISO-2022-JP", mixed);
    EXPECT_EQ(0, converted.result);
    EXPECT_EQ(500u * 9, converted.bytes.size());
}

TEST(CodePageCharsets, Gb18030CarriesAllOfUnicode)
{
    CharsetConverter converter;
    if (SystemLacks(kGb18030)) {
        ExpectUnsupported(converter, "GB18030");
        GTEST_SKIP() << "the system has no code page " << kGb18030;
    }
    EXPECT_EQ("\xA8\xA6", Convert(converter, "GB18030", W("é")).bytes);
    EXPECT_EQ("\x94\x39\xFC\x36", Convert(converter, "GB18030", W("😀")).bytes);
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
    };
    CharsetConverter converter;
    for (const auto& c : cases) {
        Converted converted = Convert(converter, c.charset, W(c.utf8));
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

// Names match whatever their case, but the cached conversion is reused only
// for the same spelling.
TEST(CodePageCharsets, NamesIgnoreCaseAndTheCacheKeepsTheSpelling)
{
    CharsetConverter converter;
    ASSERT_EQ("\xE9", Convert(converter, "latin1", L"\u00E9").bytes);
    CharsetBackend::Handle handle = converter.handle;
    ASSERT_EQ("\xE9", Convert(converter, "latin1", L"\u00E9").bytes);
    EXPECT_EQ(handle, converter.handle);
    ASSERT_EQ("\xE9", Convert(converter, "LATIN1", L"\u00E9").bytes);
    EXPECT_EQ("LATIN1", converter.charset);
}

TEST(CodePageCharsets, UnpairedSurrogates)
{
    CharsetConverter converter;
    // After some output the conversion fails and the converter is emptied.
    EXPECT_EQ(-22, Convert(converter, "UTF-8", std::wstring(L"ab") + wchar_t(0xD800)).result);
    EXPECT_EQ(CharsetBackend::NoHandle(), converter.handle);
    EXPECT_EQ("", converter.charset);
    // Before any output it is an empty success.
    Converted leading = Convert(converter, "UTF-8", std::wstring(1, wchar_t(0xDC00)) + L"ab");
    EXPECT_EQ(0, leading.result);
    EXPECT_EQ("", leading.bytes);
    EXPECT_EQ("UTF-8", converter.charset);
}

} // namespace
