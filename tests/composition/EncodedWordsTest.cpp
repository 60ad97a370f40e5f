// Display names, subject words, quoting and Base64 of the header block.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "TestText.h"
#include "smtpclient/mime/EncodedWords.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// Escaping inside the quotes shows in the header block tests.
TEST(QuoteIfSpecial, QuotesOnEverySpecialOnly)
{
    for (char special : std::string("\".,;:\\()<>[]@")) {
        std::string text = std::string("a") + special + "b";
        EXPECT_TRUE(QuoteIfSpecial(text)) << special;
    }
    std::string text = "Plain-Name_1 =?+/!#$%&'*^`{|}~";
    EXPECT_FALSE(QuoteIfSpecial(text));
    EXPECT_EQ("Plain-Name_1 =?+/!#$%&'*^`{|}~", text);
}

TEST(EncodeDisplayName, ReportsConversionFailuresAndStaysOneWord)
{
    std::string out = "kept";
    EXPECT_EQ(-21, EncodeDisplayName("X-NO-SUCH-CHARSET", W("Jürgen").c_str(), out));
    EXPECT_EQ("kept", out);
    EXPECT_EQ(-1, EncodeDisplayName("", W("Jürgen").c_str(), out));
    EXPECT_EQ("kept", out);

    // A long name stays one encoded word, however long.
    const std::string longName(200, 'x');
    EXPECT_EQ(0, EncodeDisplayName("UTF-8", W("ü" + longName).c_str(), out));
    EXPECT_TRUE(std::regex_match(out, std::regex(R"(=\?UTF-8\?b\?[A-Za-z0-9+/]+=*\?=)"))) << out;
}

TEST(EncodeSubjectText, WritesPlainAndEncodedPieces)
{
    const struct {
        const char* charset;
        const char* subject;
        const char* encoded;
    } cases[] = {
        {"UTF-8", "Hello World", "Hello World"},
        {"UTF-8", "Hello Wörld", "Hello =?UTF-8?b?V8O2cmxk?="},
        {"UTF-8", "Grüße aus Köln", "=?UTF-8?b?R3LDvMOfZSA=?=aus =?UTF-8?b?S8O2bG4=?="},
        {"UTF-8", "a  ü", "a  =?UTF-8?b?w7w=?="},
        {"UTF-8", " ü ", " =?UTF-8?b?w7wg?="},
        {"UTF-8", "Hi\r\nX: 1 Wörld", "Hi  X: 1 =?UTF-8?b?V8O2cmxk?="},
        {"X-NO-SUCH-CHARSET", "Hello Wörld again", "Hello "},
        {"X-NO-SUCH-CHARSET", "Wörld again", ""},
    };
    for (const auto& c : cases) {
        std::string out = "> ";
        EXPECT_EQ(1, EncodeSubjectText(c.charset, W(c.subject).c_str(), out)) << c.subject;
        EXPECT_EQ(std::string("> ") + c.encoded, out) << c.subject;
    }
}

// Each value decoded by Python's email.header.decode_header, one per line.
std::vector<std::string> DecodeWithPython(const std::vector<std::string>& values)
{
    std::string command = std::string(COMPOSITION_PYTHON) + " " + COMPOSITION_DECODE_SCRIPT;
    for (const std::string& value : values)
        command += " '" + value + "'";  // encoded words hold no single quote
    std::vector<std::string> decoded;
    FILE* pipe = popen(command.c_str(), "r");
    char line[8192];
    while (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr)
        decoded.emplace_back(line, std::strcspn(line, "\n"));
    if (pipe != nullptr)
        pclose(pipe);
    return decoded;
}

TEST(EncodedWords, DecodeBackToTheTextInEveryCharset)
{
    const struct {
        const char* charset;
        const char* name;
        const char* subject;
    } cases[] = {
        {"UTF-8", "Jürgen Groß 日本", "Grüße aus 東京 – heute"},
        {"ISO-8859-1", "Françoise Dupré", "Café crème à la carte"},
        {"ISO-2022-JP", "山田 太郎", "会議の お知らせ ABC 日程"},
        {"Shift_JIS", "日本語のテキスト", "ｶﾀｶﾅ and 漢字 テスト"},
        {"GB2312", "张伟", "中文 邮件 test 主题"},
        {"KOI8-R", "Иван Петров", "Привет, мир! hello Мир"},
    };
    std::vector<std::string> values;
    std::vector<std::string> originals;
    for (const auto& c : cases) {
        std::string name;
        ASSERT_EQ(0, EncodeDisplayName(c.charset, W(c.name).c_str(), name)) << c.charset;
        EXPECT_TRUE(std::regex_match(name, std::regex("=\\?" + std::string(c.charset) +
                                                      "\\?b\\?[A-Za-z0-9+/]+=*\\?=")))
            << name;
        std::string subject;
        EncodeSubjectText(c.charset, W(c.subject).c_str(), subject);
        values.push_back(name);
        values.push_back(subject);
        originals.push_back(c.name);
        originals.push_back(c.subject);
    }
    EXPECT_EQ(originals, DecodeWithPython(values));
}

} // namespace
