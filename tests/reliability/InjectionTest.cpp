// Hostile text in the setters of the message: line breaks that try to start
// a header or an SMTP command of their own, and very long values. Each send
// ends in its row's result; what reaches the server, parsed by Python's email
// package, holds only the headers and the envelope that the host asked for
// and no line over 998 octets, and the client then delivers an ordinary mail.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>

#include "ReliabilityTest.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

class Injection;

struct Value {
    const char* name;
    const char* lineBreak; // null: a 100 KB value
    int column;
};

struct Setter {
    const char* name;
    // Send's result for each value: refused input is left out or cleaned and
    // the mail goes out; a charset with a control character is unsupported.
    int results[3];
    void (*apply)(Injection& test, const std::string& value);
};

void PrintTo(const Setter& setter, std::ostream* out)
{
    *out << setter.name;
}
void PrintTo(const Value& value, std::ostream* out)
{
    *out << value.name;
}

typedef std::tuple<Setter, Value> Case;

class Injection : public ReliabilityTest, public testing::WithParamInterface<Case> {
public:
    void AddInlineImage(const std::string& contentId)
    {
        message->SetHtmlBody(W("<p><img src=\"cid:image\"></p>").c_str());
        message->AddInlineImage(W(folder.Write("image.png", "\x89PNG\r\n\x1a\n")).c_str(),
                                W(contentId).c_str());
    }

    std::string recipient;
};

typedef Injection& T;
typedef const std::string& V;
const Setter kSetters[] = {
    {"subject", {1, 1, 1}, [](T t, V v) { t.message->SetSubject(W(v).c_str()); }},
    {"subject_non_ascii",
     {1, 1, 1},
     [](T t, V v) { t.message->SetSubject(W("Grüße " + v).c_str()); }},
    {"from_name",
     {1, 1, 1},
     [](T t, V v) { t.message->SetFrom(W("sender@example.test").c_str(), W(v).c_str()); }},
    {"from_address",
     {1, 1, 1},
     [](T t, V v) { t.message->SetFrom(W("sender@example.test" + v).c_str(), W("").c_str()); }},
    {"to_name",
     {1, 1, 1},
     [](T t, V v) { t.message->AddTo(W("to-" + t.recipient).c_str(), W(v).c_str()); }},
    {"to_address",
     {1, 1, 1},
     [](T t, V v) { t.message->AddTo(W(t.recipient + v).c_str(), W("").c_str()); }},
    {"charset", {-21, -21, -21}, [](T t, V v) { t.message->SetCharset(W(v).c_str()); }},
    {"text_body", {1, 1, 1}, [](T t, V v) { t.message->SetTextBody(W(v).c_str()); }},
    {"inline_image_content_id", {1, 1, 1}, [](T t, V v) { t.AddInlineImage(v); }},
    {"attachment_file_name",
     {1, 1, 1},
     [](T t, V v) {
         t.message->AddAttachment(W(t.folder.Write(v.substr(0, 200), "attached\r\n")).c_str());
     }},
};

const Value kValues[] = {{"cr", "\r", 0}, {"lf", "\n", 1}, {"long", nullptr, 2}};

// The length of the longest line of a mail, without its CR LF.
size_t LongestLine(const std::string& raw)
{
    std::istringstream lines(raw);
    size_t longest = 0;
    for (std::string line; std::getline(lines, line);)
        longest = std::max(longest, line.size() - (!line.empty() && line.back() == '\r'));
    return longest;
}

// With a line break: a header line, a further recipient, and a whole second
// transaction after an end-of-data line, all to an address of the case's own.
std::string HostileText(const Value& value, const std::string& tag)
{
    if (value.lineBreak == nullptr)
        return std::string(100 * 1024, 'x') + "\r\nX-Injected: yes";
    const std::string injected = "injected-" + tag + "@evil.test";
    const std::string br = value.lineBreak;
    return "Hello" + br + "Bcc: " + injected + br + "X-Injected: yes" + br + "RCPT TO:<" + injected
           + ">" + br + "." + br + "MAIL FROM:<sender@example.test>" + br + "RCPT TO:<" + injected
           + ">" + br + "DATA" + br + "X-Injected: yes" + br + br + "smuggled" + br + "." + br;
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Setters, Injection,
                         testing::Combine(testing::ValuesIn(kSetters), testing::ValuesIn(kValues)),
                         CaseName);

TEST_P(Injection, AddsNoHeaderAndNoCommandAndTheClientDeliversNext)
{
    const auto& [setter, value] = GetParam();
    const std::string tag = std::string(setter.name) + "-" + value.name;
    recipient = "victim-" + tag + "@example.test";
    Compose(recipient);
    setter.apply(*this, HostileText(value, tag));
    const int result = setter.results[value.column];
    ASSERT_EQ(result, client->Send());
    if (result == 1) {
        EXPECT_FALSE(WaitForMailTo(recipient).rawPath.empty());
    }
    EXPECT_TRUE(MailTo("injected-" + tag + "@evil.test").empty()) << "a command was injected";
    const std::regex madeHeader(R"(^\s*(header )?(X-Injected:|[A-Za-z-]+: injected-))");
    for (const ReceivedMail& mail : MailTo(recipient)) {
        EXPECT_EQ("sender@example.test", mail.mailFrom);
        for (const std::string& rcptTo : mail.rcptTos)
            EXPECT_EQ(std::string::npos, rcptTo.find("evil")) << rcptTo;
        EXPECT_LE(LongestLine(mail.raw), 998u);
        std::istringstream outline(DescribeMail(mail.rawPath));
        for (std::string line; std::getline(outline, line);)
            EXPECT_FALSE(std::regex_search(line, madeHeader)) << "injected: " << line;
    }
    ExpectRecovery(SendMode::Sync, "recovered-" + tag + "@example.test");
}
