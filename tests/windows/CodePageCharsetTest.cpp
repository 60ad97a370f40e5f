// Charset conversion through the Windows code pages (the backend built when
// no iconv library is found).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ConverterHelpers.h"
#include "smtpclient/encoding/CharsetConverter.h"

namespace {

struct Case {
    UINT codePage; // one not every system has (Wine lacks both): without it the name is unknown
    const char* charset;
    std::wstring text;
    int result;
    std::string bytes;
};

const Case kCases[] = {
    {0, "utf-8", L"Grüße \U0001F600", 0,
     "Gr\xC3\xBC\xC3\x9F"
     "e \xF0\x9F\x98\x80"},
    {0, "LATIN1", L"Café", 0, "Caf\xE9"},
    {0, "iso-8859-2", L"łódź", 0, "\xB3\xF3\x64\xBC"},
    {0, "ISO-8859-15", L"€", 0, "\xA4"},
    {0, "windows-1251", L"Жук", 0, "\xC6\xF3\xEA"},
    {0, "KOI8-R", L"Жук", 0, "\xF6\xD5\xCB"},
    {0, "Shift_JIS", L"日本", 0, "\x93\xFA\x96\x7B"},
    {0, "EUC-JP", L"日本", 0, "\xC6\xFC\xCB\xDC"},
    {0, "GB2312", L"中文", 0, "\xD6\xD0\xCE\xC4"},
    {0, "Big5", L"中文", 0, "\xA4\xA4\xA4\xE5"},
    {0, "EUC-KR", L"한국", 0, "\xC7\xD1\xB1\xB9"},
    {50220, "ISO-2022-JP", L"日本", 0, "\x1B$BF|K\\\x1B(B"},
    {54936, "GB18030", L"\U0001F600", 0, "\x94\x39\xFC\x36"},
    // Characters the target lacks are dropped, not replaced by '?' or a look-alike.
    {0, "windows-1252", L"x\U0001F600ŁĀy?", 0, "xy?"},
    {50220, "ISO-2022-JP", L"日ł", 0, "\x1B$BF|\x1B(B"},
    {0, "ISO-8859-12", L"x", -21, ""},
    {0, "UTF-8", L"ab\xD800", -22, ""},
};

class CodePageCharset : public testing::TestWithParam<Case> {};

INSTANTIATE_TEST_SUITE_P(Rows, CodePageCharset, testing::ValuesIn(kCases));

// A row whose code page the system lacks cannot check its bytes: it is listed
// as not run, after its charset has failed as unsupported.
TEST_P(CodePageCharset, ConvertsIntoItsBytes)
{
    const Case& c = GetParam();
    SCOPED_TRACE(c.charset);
    SMTPClientNS::CharsetConverter converter;
    const Conversion converted = Convert(converter, c.charset, c.text);
    if (c.codePage != 0 && !IsValidCodePage(c.codePage)) {
        EXPECT_EQ(-21, converted.result);
        GTEST_SKIP() << "not run: this system lacks code page " << c.codePage << " (" << c.charset
                     << "), so the charset is unsupported here";
    }
    EXPECT_EQ(c.result, converted.result);
    EXPECT_EQ(c.bytes, converted.result == 0 ? converted.bytes : "");
}

TEST(CodePageCharsets, SingleByteCharsetsKeepAscii)
{
    SMTPClientNS::CharsetConverter converter;
    for (const char* name : {"us-ascii", "ISO-8859-3", "ISO-8859-4", "ISO-8859-5", "ISO-8859-6",
                             "ISO-8859-7", "ISO-8859-8", "ISO-8859-9", "ISO-8859-11", "ISO-8859-13",
                             "windows-1250", "windows-1253", "windows-1254", "windows-1255",
                             "windows-1256", "windows-1257", "windows-1258", "KOI8-U", "GBK"})
        EXPECT_EQ("Az09", Convert(converter, name, L"Az09").bytes) << name;
}

} // namespace
