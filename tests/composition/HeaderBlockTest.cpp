// Whole header blocks built from filled messages, with the Date and
// Message - ID values masked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "ComposedMessage.h"
#include "TestText.h"
#include "smtpclient/mime/HeaderBuilder.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

struct HeaderCase {
    const char* name;
    std::function<void(CMimeMessage&)> fill;
    int result;
    std::string block;  // masked
};

void From(CMimeMessage& m, const char* address, const char* name = "")
{
    m.SetFrom(W(address).c_str(), W(name).c_str());
}

void To(CMimeMessage& m, const char* address, const char* name = "")
{
    m.AddTo(W(address).c_str(), W(name).c_str());
}

void Subject(CMimeMessage& m, const char* subject)
{
    m.SetSubject(W(subject).c_str());
}

const std::string kTail = "Date: <date>\r\nSubject: \r\nMessage - ID: <id>\r\n";

std::vector<HeaderCase> HeaderCases()
{
    return {
        {"BareAddressesAndEmptySubject",
         [](CMimeMessage& m) {
             From(m, "a@example.com");
             To(m, "b@example.org");
         },
         0,
         "From: a@example.com\r\nTo: b@example.org\r\nX-Priority: 3 \r\n" + kTail},
        {"OneWordSubjectEndsTheHeaderSection",
         [](CMimeMessage& m) {
             From(m, "a@example.com");
             To(m, "b@example.org");
             Subject(m, "Hello");
         },
         0,
         "From: a@example.com\r\nTo: b@example.org\r\nX-Priority: 3 \r\n"
         "Date: <date>\r\nSubject: Hello\r\n\r\nMessage - ID: <id>\r\n"},
        {"DisplayNamesListsAndQuoting",
         [](CMimeMessage& m) {
             From(m, "alice@example.com", "Alice Example");
             To(m, "bob@example.org");
             To(m, "carol@example.org", "Carol");
             To(m, "dave@example.org");
             m.AddCc(W("js@example.org").c_str(), W("J. Smith").c_str());
             m.AddBcc(W("bs@example.org").c_str(), W("Smith, \"Bob\" \\ Jr").c_str());
             m.SetPriority(1);
             Subject(m, "Status report");
         },
         0,
         "From: Alice Example <alice@example.com>\r\n"
         "To: bob@example.org,\r\n Carol <carol@example.org>,\r\n dave@example.org\r\n"
         "Cc: \"J. Smith\" <js@example.org>\r\n"
         "Bcc: \"Smith, \\\"Bob\\\" \\\\ Jr\" <bs@example.org>\r\n"
         "X-Priority: 4 \r\n"
         "Date: <date>\r\nSubject: Status report\r\n\r\nMessage - ID: <id>\r\n"},
        {"OneEncodedWordPerNonAsciiName",
         [](CMimeMessage& m) {
             From(m, "j@example.com", "Jürgen Groß");
             To(m, "z@example.org", "Zoë \"Z\" Ångström");
             To(m, "x@example.org", "Plain");
             m.SetPriority(2);
         },
         0,
         "From: =?UTF-8?b?SsO8cmdlbiBHcm/Dnw==?= <j@example.com>\r\n"
         "To: =?UTF-8?b?Wm/DqyAiWiIgw4VuZ3N0csO2bQ==?= <z@example.org>,\r\n Plain <x@example.org>\r\n"
         "X-Priority: 2 \r\n" + kTail},
        {"CharsetNameWithSpecialIsQuoted",
         [](CMimeMessage& m) {
             m.SetCharset(W("ISO_8859-1:1987").c_str());
             From(m, "r@example.com", "Renée");
             Subject(m, "Café");
         },
         0,
         "From: \"=?ISO_8859-1:1987?b?UmVu6WU=?=\" <r@example.com>\r\n"
         "X-Priority: 3 \r\n"
         "Date: <date>\r\nSubject: =?ISO_8859-1:1987?b?Q2Fm6Q==?=\r\n\r\nMessage - ID: <id>\r\n"},
        {"PriorityOutOfRangeWritesNoLine",
         [](CMimeMessage& m) {
             From(m, "a@example.com");
             m.SetPriority(5);
         },
         0, "From: a@example.com\r\n" + kTail},
        {"LineBreaksInPlainTextBecomeSpaces",
         [](CMimeMessage& m) {
             From(m, "eve@example.com", "Eve\r\nBcc: victim@example.net");
             To(m, "m@example.org", "Mallory\nX");
             Subject(m, "Hi\r\nBcc: victim@example.net");
         },
         0,
         "From: \"Eve  Bcc: victim@example.net\" <eve@example.com>\r\n"
         "To: Mallory X <m@example.org>\r\n"
         "X-Priority: 3 \r\n"
         "Date: <date>\r\nSubject: Hi  Bcc: victim@example.net\r\n\r\nMessage - ID: <id>\r\n"},
        {"UnknownCharsetStopsAtTheFirstNonAsciiName",
         [](CMimeMessage& m) {
             m.SetCharset(W("X-NO-SUCH-CHARSET").c_str());
             From(m, "a@example.com", "Alice");
             To(m, "b@example.org", "Bob");
             To(m, "j@example.org", "Jürgen");
         },
         -21, "From: Alice <a@example.com>\r\n"},
        {"UnknownCharsetCutsTheSubjectSilently",
         [](CMimeMessage& m) {
             m.SetCharset(W("X-NO-SUCH-CHARSET").c_str());
             From(m, "a@example.com", "Alice");
             Subject(m, "Hello Wörld again");
         },
         0,
         "From: Alice <a@example.com>\r\nX-Priority: 3 \r\n"
         "Date: <date>\r\nSubject: Hello \r\n\r\nMessage - ID: <id>\r\n"},
        {"UnknownCharsetWithNonAsciiFirstWordLeavesSubjectEmpty",
         [](CMimeMessage& m) {
             m.SetCharset(W("X-NO-SUCH-CHARSET").c_str());
             From(m, "a@example.com");
             Subject(m, "Wörld hello");
         },
         0, "From: a@example.com\r\nX-Priority: 3 \r\n" + kTail},
    };
}

class HeaderBlock : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderBlock, IsBuiltExactly)
{
    ComposedMessage composed;
    GetParam().fill(composed.message());
    std::string block;
    EXPECT_EQ(GetParam().result, BuildHeaderBlock(composed.client(), block));
    EXPECT_EQ(GetParam().block, MaskHeaderBlock(block));
}

INSTANTIATE_TEST_SUITE_P(Messages, HeaderBlock, testing::ValuesIn(HeaderCases()),
                         [](const testing::TestParamInfo<HeaderCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(HeaderBlockWithoutMessage, IsEmpty)
{
    std::string block;
    EXPECT_EQ(0, BuildHeaderBlock(nullptr, block));
    EXPECT_EQ("", block);

    ComposedMessage composed;
    composed.client()->SetMimeMessage(nullptr);
    EXPECT_EQ(0, BuildHeaderBlock(composed.client(), block));
    EXPECT_EQ("", block);
}

TEST(HeaderBlockMessageId, IsNewForEveryBlock)
{
    ComposedMessage composed;
    std::string first;
    std::string second;
    AppendMessageIdHeader(&composed.message(), first);
    AppendMessageIdHeader(&composed.message(), second);
    EXPECT_EQ("Message - ID: <id>\r\n", MaskHeaderBlock(first));
    EXPECT_EQ("Message - ID: <id>\r\n", MaskHeaderBlock(second));
    EXPECT_NE(first, second);
}

std::string ReferenceDate(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S %z", &local);
    return text;
}

// The date agrees with the C library's formatting of the local time in the
// classic locale, whatever the sign and minutes of the zone's offset.
TEST(HeaderDate, MatchesTheLocalTimeWithItsOffset)
{
    for (const char* zone : {"UTC0", "IST-5:30", "BRT+3", "NST+3:30"}) {
        setenv("TZ", zone, 1);
        tzset();
        const std::time_t before = std::time(nullptr);
        const std::string date = FormatHeaderDate();
        const std::time_t after = std::time(nullptr);
        bool matched = false;
        for (std::time_t t = before; t <= after; ++t) {
            matched = matched || date == ReferenceDate(t);
        }
        EXPECT_TRUE(matched) << zone << ": " << date << " vs " << ReferenceDate(before);
    }
    unsetenv("TZ");
    tzset();

    std::string line;
    AppendDateHeader(line);
    EXPECT_EQ("Date: <date>\r\n", MaskHeaderBlock(line));
}

} // namespace
