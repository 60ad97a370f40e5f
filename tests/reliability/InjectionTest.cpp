// Hostile text in every setter of the message and the client: line breaks
// that try to start a header or an SMTP command of their own, and very long
// values. What reaches the server, parsed by Python's email package, holds
// only the headers and the envelope that the host asked for.
#include <gtest/gtest.h>

#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "ReliabilityTest.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

const size_t kLongValueChars = 100 * 1024;

class Injection;

struct Setter {
    const char* name;
    // Puts value into one setting of a composed message or its client.
    void (*apply)(Injection& test, const std::string& value);
    // Whether the mail still goes out: refused input is left out or
    // cleaned; a broken charset, host, login or proxy ends the send.
    bool delivers;
};

struct LineBreak {
    const char* name;
    const char* text;
};

class Injection : public ReliabilityTest {
public:
    using ReliabilityTest::client;
    using ReliabilityTest::message;

    std::string recipient;
    std::vector<std::string> envelope;  // the recipients the host asked for

    void AddRecipient(int (IMimeMessage::*add)(const SmtpChar*, const SmtpChar*),
                      const std::string& address, const std::string& name)
    {
        if ((message->*add)(W(address).c_str(), W(name).c_str()) > 0)
            envelope.push_back(address);
    }

    void AddInlineImage(const std::string& fileName, const std::string& contentId)
    {
        const std::string path = TempPath(fileName.substr(0, 200) + ".png");
        WriteFile(path, "\x89PNG\r\n\x1a\n");
        message->SetHtmlBody(W("<p><img src=\"cid:image\"></p>").c_str());
        message->AddInlineImage(W(path).c_str(), W(contentId).c_str());
    }

    void AddAttachmentNamed(const std::string& fileName)
    {
        const std::string path = TempPath(fileName.substr(0, 200));
        WriteFile(path, "attached\r\n");
        message->AddAttachment(W(path).c_str());
    }

    void Login(const char* listener, const std::string& user, const std::string& password)
    {
        client->SetPort(ServerPort(listener));
        client->SetUser(W(user).c_str());
        client->SetPassword(W(password).c_str());
    }

    void UseProxy(const std::string& host, const std::string& user, const std::string& password)
    {
        client->SetProxy(W(host).c_str(), ServerPort("socks5_auth"), 2, W(user).c_str(),
                         W(password).c_str());
    }

    void Start(const std::string& tag)
    {
        recipient = "victim-" + tag + "@example.test";
        Compose(recipient);
        envelope = {recipient};
    }

    // Every mail that arrived for this case came from the host's sender to
    // the host's recipients, and none of its headers was made by the text.
    void ExpectNothingInjected(const std::string& tag)
    {
        EXPECT_TRUE(MailTo("injected-" + tag + "@evil.test").empty()) << "a command was injected";
        const std::regex madeHeader(R"(^\s*(header )?(X-Injected:|[A-Za-z-]+: injected-))");
        for (const ReceivedMail& mail : MailTo(recipient)) {
            EXPECT_EQ("sender@example.test", mail.mailFrom);
            EXPECT_EQ(envelope, mail.rcptTos);
            std::istringstream outline(DescribeMail(mail.rawPath));
            for (std::string line; std::getline(outline, line);)
                EXPECT_FALSE(std::regex_search(line, madeHeader)) << "injected: " << line;
        }
    }
};

const Setter kSetters[] = {
    {"subject", [](Injection& t, const std::string& v) {
        t.message->SetSubject(W(v).c_str());
    }, true},
    {"subject_non_ascii", [](Injection& t, const std::string& v) {
        t.message->SetSubject(W("Gr\xC3\xBC\xC3\x9F" "e " + v).c_str());
    }, true},
    {"from_name", [](Injection& t, const std::string& v) {
        t.message->SetFrom(W("sender@example.test").c_str(), W(v).c_str());
    }, true},
    {"from_address", [](Injection& t, const std::string& v) {
        t.message->SetFrom(W("sender@example.test" + v).c_str(), W("").c_str());
    }, true},
    {"to_name", [](Injection& t, const std::string& v) {
        t.AddRecipient(&IMimeMessage::AddTo, "to-" + t.recipient, v);
    }, true},
    {"to_address", [](Injection& t, const std::string& v) {
        t.AddRecipient(&IMimeMessage::AddTo, t.recipient + v, "");
    }, true},
    {"cc_name", [](Injection& t, const std::string& v) {
        t.AddRecipient(&IMimeMessage::AddCc, "cc-" + t.recipient, v);
    }, true},
    {"cc_address", [](Injection& t, const std::string& v) {
        t.AddRecipient(&IMimeMessage::AddCc, t.recipient + v, "");
    }, true},
    {"bcc_name", [](Injection& t, const std::string& v) {
        t.AddRecipient(&IMimeMessage::AddBcc, "bcc-" + t.recipient, v);
    }, true},
    {"bcc_address", [](Injection& t, const std::string& v) {
        t.AddRecipient(&IMimeMessage::AddBcc, t.recipient + v, "");
    }, true},
    {"charset", [](Injection& t, const std::string& v) {
        t.message->SetCharset(W(v).c_str());
    }, false},
    {"text_body", [](Injection& t, const std::string& v) {
        t.message->SetTextBody(W(v).c_str());
    }, true},
    {"html_body", [](Injection& t, const std::string& v) {
        t.message->SetHtmlBody(W(v).c_str());
    }, true},
    {"inline_image_content_id", [](Injection& t, const std::string& v) {
        t.AddInlineImage("image", v);
    }, true},
    {"inline_image_file_name", [](Injection& t, const std::string& v) {
        t.AddInlineImage(v, "image");
    }, true},
    {"attachment_file_name", [](Injection& t, const std::string& v) {
        t.AddAttachmentNamed(v);
    }, true},
    {"host", [](Injection& t, const std::string& v) {
        t.client->SetHost(W("127.0.0.1" + v).c_str());
    }, false},
    {"user", [](Injection& t, const std::string& v) {
        t.Login("auth_plain_no_tls", "alice" + v, "secret");
    }, false},
    {"password", [](Injection& t, const std::string& v) {
        t.Login("auth_plain_no_tls", "alice", v);
    }, false},
    {"oauth2_token", [](Injection& t, const std::string& v) {
        t.Login("auth_plain_no_tls", "alice", "");
        t.client->SetOAuth2Token(W(v).c_str());
    }, false},
    {"proxy_host", [](Injection& t, const std::string& v) {
        t.UseProxy("127.0.0.1" + v, "proxyuser", "proxypass");
    }, false},
    {"proxy_user", [](Injection& t, const std::string& v) {
        t.UseProxy("127.0.0.1", v, "proxypass");
    }, false},
    {"proxy_password", [](Injection& t, const std::string& v) {
        t.UseProxy("127.0.0.1", "proxyuser", v);
    }, false},
};

const LineBreak kLineBreaks[] = {{"cr", "\r"}, {"lf", "\n"}, {"crlf", "\r\n"}};

// A header line, a further recipient, and a whole second transaction after
// an end-of-data line, all to an address of the case's own.
std::string HostileText(const char* lineBreak, const std::string& tag)
{
    const std::string injected = "injected-" + tag + "@evil.test";
    const std::string br = lineBreak;
    return "Hello" + br + "Bcc: " + injected + br + "X-Injected: yes" + br +
           "RCPT TO:<" + injected + ">" + br + "." + br +
           "MAIL FROM:<sender@example.test>" + br + "RCPT TO:<" + injected + ">" + br +
           "DATA" + br + "X-Injected: yes" + br + br + "smuggled" + br + "." + br;
}

class LineBreakInjection : public Injection,
                           public testing::WithParamInterface<std::tuple<Setter, LineBreak>> {};

class LongValue : public Injection, public testing::WithParamInterface<Setter> {};

std::ostream& operator<<(std::ostream& out, const Setter& setter)
{
    return out << setter.name;
}

std::ostream& operator<<(std::ostream& out, const LineBreak& lineBreak)
{
    return out << lineBreak.name;
}

std::string LineBreakCaseName(const testing::TestParamInfo<std::tuple<Setter, LineBreak>>& info)
{
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

std::string SetterName(const testing::TestParamInfo<Setter>& info)
{
    return info.param.name;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Setters, LineBreakInjection,
                         testing::Combine(testing::ValuesIn(kSetters), testing::ValuesIn(kLineBreaks)),
                         LineBreakCaseName);

TEST_P(LineBreakInjection, AddsNoHeaderAndNoCommand)
{
    const Setter& setter = std::get<0>(GetParam());
    const std::string tag = std::string(setter.name) + "-" + std::get<1>(GetParam()).name;
    Start(tag);
    setter.apply(*this, HostileText(std::get<1>(GetParam()).text, tag));
    const int result = client->Send();
    if (setter.delivers) {
        EXPECT_EQ(1, result);
        EXPECT_FALSE(WaitForMailTo(recipient).rawPath.empty());
    }
    ExpectNothingInjected(tag);
}

INSTANTIATE_TEST_SUITE_P(Setters, LongValue, testing::ValuesIn(kSetters), SetterName);

// Whatever a 100 KB value does to the send, it ends, and the client then
// delivers an ordinary mail.
TEST_P(LongValue, EndsAndTheClientDeliversNext)
{
    const std::string tag = std::string("long-") + GetParam().name;
    Start(tag);
    GetParam().apply(*this, std::string(kLongValueChars, 'x') + "\r\nX-Injected: yes");
    client->Send();
    ExpectNothingInjected(tag);
    client->SetUser(W("").c_str());
    client->SetPassword(W("").c_str());
    client->SetOAuth2Token(W("").c_str());
    ExpectRecovery(SendMode::Sync, "recovered-" + tag + "@example.test");
}
