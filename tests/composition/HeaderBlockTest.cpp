// Whole header blocks built from filled messages, with the Date and
// Message - ID values masked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "ComposedMessage.h"
#include "TestText.h"
#include "smtpclient/mime/HeaderBuilder.h"
#include "smtpclient/platform/ComputerName.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

std::string RegexEscape(const std::string& text)
{
    static const std::regex special(R"([.^$|()\[\]{}*+?\\-])");
    return std::regex_replace(text, special, R"(\$&)");
}

// The block with the value of a well-formed Date line replaced by "<date>"
// and that of a well-formed Message - ID line (upper-case GUID, this
// computer's name) by "<id>". Malformed lines stay, so the comparison shows
// them.
std::string MaskHeaderBlock(const std::string& block)
{
    static const std::regex date(
        "Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), [0-3][0-9] "
        "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{4} "
        "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] [+-][0-9]{4}\r\n");
    const std::regex messageId(
        "Message - ID: <[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}@" +
        RegexEscape(Platform::ComputerName()) + ">\r\n");
    const std::string masked = std::regex_replace(block, date, "Date: <date>\r\n");
    return std::regex_replace(masked, messageId, "Message - ID: <id>\r\n");
}

typedef std::pair<const char*, const char*> Box;  // address, display name

struct HeaderCase {
    const char* name;
    const char* charset;  // empty: the default
    Box from;
    std::vector<Box> to, cc, bcc;
    int priority;
    const char* subject;
    int result;
    std::string block;  // masked
};

const std::string kTail = "Date: <date>\r\nSubject: \r\nMessage - ID: <id>\r\n";
const char* const kUnknown = "X-NO-SUCH-CHARSET";

const HeaderCase kCases[] = {
    {"BareAddressesAndEmptySubject", "", {"a@example.com", ""}, {{"b@example.org", ""}}, {}, {}, 0, "",
     0, "From: a@example.com\r\nTo: b@example.org\r\nX-Priority: 3 \r\n" + kTail},
    {"OneWordSubjectEndsTheHeaderSection", "", {"a@example.com", ""}, {{"b@example.org", ""}}, {}, {},
     0, "Hello", 0,
     "From: a@example.com\r\nTo: b@example.org\r\nX-Priority: 3 \r\n"
     "Date: <date>\r\nSubject: Hello\r\n\r\nMessage - ID: <id>\r\n"},
    {"DisplayNamesListsAndQuoting", "", {"alice@example.com", "Alice Example"},
     {{"bob@example.org", ""}, {"carol@example.org", "Carol"}, {"dave@example.org", ""}},
     {{"js@example.org", "J. Smith"}}, {{"bs@example.org", "Smith, \"Bob\" \\ Jr"}}, 1, "Status report", 0,
     "From: Alice Example <alice@example.com>\r\n"
     "To: bob@example.org,\r\n Carol <carol@example.org>,\r\n dave@example.org\r\n"
     "Cc: \"J. Smith\" <js@example.org>\r\n"
     "Bcc: \"Smith, \\\"Bob\\\" \\\\ Jr\" <bs@example.org>\r\n"
     "X-Priority: 4 \r\n"
     "Date: <date>\r\nSubject: Status report\r\n\r\nMessage - ID: <id>\r\n"},
    {"OneEncodedWordPerNonAsciiName", "", {"j@example.com", "Jürgen Groß"},
     {{"z@example.org", "Zoë \"Z\" Ångström"}, {"x@example.org", "Plain"}}, {}, {}, 2, "", 0,
     "From: =?UTF-8?b?SsO8cmdlbiBHcm/Dnw==?= <j@example.com>\r\n"
     "To: =?UTF-8?b?Wm/DqyAiWiIgw4VuZ3N0csO2bQ==?= <z@example.org>,\r\n Plain <x@example.org>\r\n"
     "X-Priority: 2 \r\n" + kTail},
    {"CharsetNameWithSpecialIsQuoted", "ISO_8859-1:1987", {"r@example.com", "Renée"}, {}, {}, {}, 0,
     "Café", 0,
     "From: \"=?ISO_8859-1:1987?b?UmVu6WU=?=\" <r@example.com>\r\nX-Priority: 3 \r\n"
     "Date: <date>\r\nSubject: =?ISO_8859-1:1987?b?Q2Fm6Q==?=\r\n\r\nMessage - ID: <id>\r\n"},
    {"PriorityOutOfRangeWritesNoLine", "", {"a@example.com", ""}, {}, {}, {}, 5, "", 0,
     "From: a@example.com\r\n" + kTail},
    {"LineBreaksInPlainTextBecomeSpaces", "", {"eve@example.com", "Eve\r\nBcc: victim@example.net"},
     {{"m@example.org", "Mallory\nX"}}, {}, {}, 0, "Hi\r\nBcc: victim@example.net", 0,
     "From: \"Eve  Bcc: victim@example.net\" <eve@example.com>\r\n"
     "To: Mallory X <m@example.org>\r\nX-Priority: 3 \r\n"
     "Date: <date>\r\nSubject: Hi  Bcc: victim@example.net\r\n\r\nMessage - ID: <id>\r\n"},
    {"UnknownCharsetStopsAtTheFirstNonAsciiName", kUnknown, {"a@example.com", "Alice"},
     {{"b@example.org", "Bob"}, {"j@example.org", "Jürgen"}}, {}, {}, 0, "", -21,
     "From: Alice <a@example.com>\r\n"},
    {"UnknownCharsetCutsTheSubjectSilently", kUnknown, {"a@example.com", "Alice"}, {}, {}, {}, 0,
     "Hello Wörld again", 0,
     "From: Alice <a@example.com>\r\nX-Priority: 3 \r\n"
     "Date: <date>\r\nSubject: Hello \r\n\r\nMessage - ID: <id>\r\n"},
};

void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }

class HeaderBlock : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderBlock, IsBuiltExactly)
{
    const HeaderCase& c = GetParam();
    ComposedMessage composed;
    CMimeMessage& m = *composed.message;
    if (*c.charset != 0)
        m.SetCharset(W(c.charset).c_str());
    m.SetFrom(W(c.from.first).c_str(), W(c.from.second).c_str());
    for (const Box& box : c.to)
        m.AddTo(W(box.first).c_str(), W(box.second).c_str());
    for (const Box& box : c.cc)
        m.AddCc(W(box.first).c_str(), W(box.second).c_str());
    for (const Box& box : c.bcc)
        m.AddBcc(W(box.first).c_str(), W(box.second).c_str());
    m.SetPriority(c.priority);
    m.SetSubject(W(c.subject).c_str());
    std::string block;
    EXPECT_EQ(c.result, BuildHeaderBlock(composed.client, block));
    EXPECT_EQ(c.block, MaskHeaderBlock(block));
}

INSTANTIATE_TEST_SUITE_P(Messages, HeaderBlock, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<HeaderCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(HeaderBlockWithoutMessage, IsEmpty)
{
    std::string block;
    EXPECT_EQ(0, BuildHeaderBlock(nullptr, block));
    EXPECT_EQ("", block);

    ComposedMessage composed;
    composed.client->SetMimeMessage(nullptr);
    EXPECT_EQ(0, BuildHeaderBlock(composed.client, block));
    EXPECT_EQ("", block);
}

TEST(HeaderBlockMessageId, IsNewForEveryBlock)
{
    ComposedMessage composed;
    std::string first;
    std::string second;
    AppendMessageIdHeader(composed.message, first);
    AppendMessageIdHeader(composed.message, second);
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
}

} // namespace
