// Hostile text in the setters of the message and the client: line breaks
// that try to start a header or an SMTP command of their own, and very long
// values. What reaches the server, parsed by Python's email package, holds
// only the headers and the envelope that the host asked for, and the client
// then delivers an ordinary mail.
#include <gtest/gtest.h>

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

struct Setter {
    const char* name;
    // Refused input is left out or cleaned; a broken charset, host, login or
    // proxy ends the send.
    bool delivers;
    void (*apply)(Injection& test, const std::string& value);
};

struct Value {
    const char* name;
    const char* lineBreak; // null: a 100 KB value
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

    void Login(const std::string& user, const std::string& password)
    {
        client->SetPort(ServerPort("auth_plain_no_tls"));
        client->SetUser(W(user).c_str());
        client->SetPassword(W(password).c_str());
    }

    std::string recipient;
};

typedef Injection& T;
typedef const std::string& V;
const Setter kSetters[] = {
    {"subject", true, [](T t, V v) { t.message->SetSubject(W(v).c_str()); }},
    {"subject_non_ascii", true, [](T t, V v) { t.message->SetSubject(W("Grüße " + v).c_str()); }},
    {"from_name", true,
     [](T t, V v) { t.message->SetFrom(W("sender@example.test").c_str(), W(v).c_str()); }},
    {"from_address", true,
     [](T t, V v) { t.message->SetFrom(W("sender@example.test" + v).c_str(), W("").c_str()); }},
    {"to_name", true,
     [](T t, V v) { t.message->AddTo(W("to-" + t.recipient).c_str(), W(v).c_str()); }},
    {"to_address", true,
     [](T t, V v) { t.message->AddTo(W(t.recipient + v).c_str(), W("").c_str()); }},
    {"charset", false, [](T t, V v) { t.message->SetCharset(W(v).c_str()); }},
    {"text_body", true, [](T t, V v) { t.message->SetTextBody(W(v).c_str()); }},
    {"inline_image_content_id", true, [](T t, V v) { t.AddInlineImage(v); }},
    {"attachment_file_name", true,
     [](T t, V v) {
         t.message->AddAttachment(W(t.folder.Write(v.substr(0, 200), "attached\r\n")).c_str());
     }},
    {"host", false, [](T t, V v) { t.client->SetHost(W("127.0.0.1" + v).c_str()); }},
    {"user", false, [](T t, V v) { t.Login("alice" + v, "secret"); }},
    {"oauth2_token", false,
     [](T t, V v) {
         t.Login("alice", "");
         t.client->SetOAuth2Token(W(v).c_str());
     }},
    {"proxy_host", false,
     [](T t, V v) {
         t.client->SetProxy(W("127.0.0.1" + v).c_str(), ServerPort("socks5"), 2, W("").c_str(),
                            W("").c_str());
     }},
};

const Value kValues[] = {{"cr", "\r"}, {"lf", "\n"}, {"long", nullptr}};

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

// A long value may end its send either way (the server may refuse its line
// length); it must still end.
TEST_P(Injection, AddsNoHeaderAndNoCommandAndTheClientDeliversNext)
{
    const auto& [setter, value] = GetParam();
    const std::string tag = std::string(setter.name) + "-" + value.name;
    recipient = "victim-" + tag + "@example.test";
    Compose(recipient);
    setter.apply(*this, HostileText(value, tag));
    const int result = client->Send();
    if (setter.delivers && value.lineBreak != nullptr) {
        EXPECT_EQ(1, result);
        EXPECT_FALSE(WaitForMailTo(recipient).rawPath.empty());
    }
    EXPECT_TRUE(MailTo("injected-" + tag + "@evil.test").empty()) << "a command was injected";
    const std::regex madeHeader(R"(^\s*(header )?(X-Injected:|[A-Za-z-]+: injected-))");
    for (const ReceivedMail& mail : MailTo(recipient)) {
        EXPECT_EQ("sender@example.test", mail.mailFrom);
        for (const std::string& rcptTo : mail.rcptTos)
            EXPECT_EQ(std::string::npos, rcptTo.find("evil")) << rcptTo;
        std::istringstream outline(DescribeMail(mail.rawPath));
        for (std::string line; std::getline(outline, line);)
            EXPECT_FALSE(std::regex_search(line, madeHeader)) << "injected: " << line;
    }
    ExpectRecovery(SendMode::Sync, "recovered-" + tag + "@example.test");
}
