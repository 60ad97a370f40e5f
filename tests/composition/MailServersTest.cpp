// Mail sent through Debian's Postfix and Exim (tests/servers/
// mail_transfer_agents.py), delivered to their Maildirs or relayed one hop
// further to a listener without 8BITMIME, and read back with Python's email
// package: what a recipient behind real mail servers gets.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// Where a route's mail is sent, and where what it delivers shows up.
struct Route {
    const char* name;
    const char* server;    // the mail server the library talks to
    const char* domain;    // the recipients' domain
    const char* deliverer; // "postfix", "exim" or "relayed"
};

const Route kRoutes[] = {
    {"postfix", "postfix", "example.org", "postfix"},
    {"exim", "exim", "example.org", "exim"},
    {"postfix_relay", "postfix", "relay.example.org", "relayed"},
    {"exim_relay", "exim", "relay.example.org", "relayed"},
};

// A delivered message is written once the server has taken it; a second,
// forged message would follow within the same moment.
const std::chrono::milliseconds kSettle(1500);

std::string Recipient(const Route& route, const std::string& what)
{
    return what + "-" + route.name + "-" + std::to_string(getpid()) + "@" + route.domain;
}

// As describe_mail.py prints a text: JSON, non-ASCII as it is.
std::string Json(const std::string& text)
{
    std::string json = "\"";
    for (char c : text) {
        const size_t escaped = std::string("\"\\\n\r\t").find(c);
        json += escaped == std::string::npos ? std::string(1, c)
                                             : std::string("\\") + "\"\\nrt"[escaped];
    }
    return json + "\"";
}

// The outline with every line end as LF: a Maildir keeps its mail with LF
// line ends, while the relay keeps CR LF as it came over SMTP.
std::string Outline(const std::string& rawPath)
{
    return std::regex_replace(DescribeMail(rawPath), std::regex("\\\\r\\\\n"), "\\n");
}

// The single message delivered to recipient, as outlined; "" when none or
// more than one arrived.
std::string DeliveredOnce(const Route& route, const std::string& recipient)
{
    if (WaitForDeliveryTo(route.deliverer, recipient).empty())
        return "";
    std::this_thread::sleep_for(kSettle);
    const std::vector<std::string> paths = DeliveredTo(route.deliverer, recipient);
    EXPECT_EQ(1u, paths.size()) << recipient;
    return paths.size() == 1 ? Outline(paths[0]) : "";
}

// A message sent on a route: the lines its outline must hold, and the blind
// copy that must arrive or the forged message that must not.
struct Sent {
    std::string recipient;
    std::vector<std::string> outlineLines;
    std::string blindCopy = "";
    std::string forged = "";
};

// A body with Unix line ends whose "." line would end the DATA at a server
// that takes a bare LF for a line end; the lines after it are SMTP commands
// for a second, forged message.
Sent SendSmugglingBody(const Route& route)
{
    const std::string recipient = Recipient(route, "smuggling");
    const std::string forged = Recipient(route, "forged");
    const std::string body = "Dear Bob,\n.\nMAIL FROM:<mallory@example.com>\nRCPT TO:<" + forged
                             + ">\nDATA\nFrom: Your Bank <bank@example.com>\nSubject: Urgent\n\n"
                               "Send money.\n.\nQUIT\n";
    CMimeMessage m;
    m.SetFrom(W("sender@example.com").c_str(), nullptr);
    m.AddTo(W(recipient).c_str(), nullptr);
    m.SetSubject(W("Smuggling").c_str());
    m.SetTextBody(W(body).c_str());
    EXPECT_EQ(1, SendToListener(m, ServerPort(route.server)));
    return {recipient, {"text: " + Json(body) + "\n"}, "", forged};
}

// Text with every kind of line end and a line far over 998 octets; HTML of
// one 5,000-character line; a subject and a sender's name too long for one
// header line; an attachment with a non-ASCII name; a blind copy.
Sent SendLongLines(const Route& route, TempFolder& folder)
{
    const std::string text =
        "Line one\nline two\r\nline three\rline four\n" + Repeated("0123456789", 300) + "\nGrüße\n";
    const std::string html =
        "<html><body><p>" + Repeated("Ünïcödé <b>markup</b> ", 230) + "</p></body></html>";
    const std::string subject = "Report: " + Repeated("四半期の報告", 50);
    const std::string sender = Repeated("Ångström ", 120);
    const std::string fileName = "Grüße 報告 (1)%.txt";
    const std::string recipient = Recipient(route, "long");
    const std::string blind = Recipient(route, "blind");
    CMimeMessage m;
    m.SetFrom(W("sender@example.com").c_str(), W(sender).c_str());
    m.AddTo(W(recipient).c_str(), nullptr);
    m.AddBcc(W(blind).c_str(), W("Blind Copy").c_str());
    m.SetSubject(W(subject).c_str());
    m.SetTextBody(W(text).c_str());
    m.SetHtmlBody(W(html).c_str());
    m.AddAttachment(W(folder.Write(fileName, "attached\n")).c_str());
    EXPECT_EQ(1, SendToListener(m, ServerPort(route.server)));
    return {recipient,
            {"  From: " + sender + " <sender@example.com>\n", "  Subject: " + subject + "\n",
             "text: " + Json(std::regex_replace(text, std::regex("\r\n?"), "\n")) + "\n",
             "text: " + Json(html) + "\n", "        filename: " + fileName + "\n"},
            blind};
}

// The stateful charset: encoded words and the body each end back in ASCII.
Sent SendIso2022Jp(const Route& route)
{
    const std::string subject = "会議の お知らせ ABC " + Repeated("日程の変更について", 30);
    const std::string text = "日本語の本文\n二行目 ABC\n";
    const std::string recipient = Recipient(route, "iso2022jp");
    CMimeMessage m;
    m.SetCharset(W("ISO-2022-JP").c_str());
    m.SetFrom(W("sender@example.com").c_str(), W("山田 太郎").c_str());
    m.AddTo(W(recipient).c_str(), nullptr);
    m.SetSubject(W(subject).c_str());
    m.SetTextBody(W(text).c_str());
    EXPECT_EQ(1, SendToListener(m, ServerPort(route.server)));
    return {recipient,
            {"  From: 山田 太郎 <sender@example.com>\n", "  Subject: " + subject + "\n",
             "text: " + Json(text) + "\n"}};
}

class MailServers : public testing::TestWithParam<Route> {};

INSTANTIATE_TEST_SUITE_P(Routes, MailServers, testing::ValuesIn(kRoutes),
                         [](const auto& info) { return std::string(info.param.name); });

// Each message arrives once, whole, without defects and without its blind
// copy's name; a blind copy arrives, a forged message does not.
TEST_P(MailServers, MessagesArriveWholeAndAlone)
{
    const Route& route = GetParam();
    TempFolder folder;
    const Sent messages[] = {SendSmugglingBody(route), SendLongLines(route, folder),
                             SendIso2022Jp(route)};
    for (const Sent& sent : messages) {
        SCOPED_TRACE(sent.recipient);
        const std::string outline = DeliveredOnce(route, sent.recipient);
        for (const std::string& expected : sent.outlineLines)
            EXPECT_NE(std::string::npos, outline.find(expected)) << expected << "\n" << outline;
        EXPECT_EQ(std::string::npos, outline.find("defect")) << outline;
        EXPECT_EQ(std::string::npos, outline.find("Blind")) << outline;
        if (!sent.blindCopy.empty()) {
            EXPECT_EQ(1u, WaitForDeliveryTo(route.deliverer, sent.blindCopy).size());
        }
        if (!sent.forged.empty()) {
            EXPECT_TRUE(DeliveredTo(route.deliverer, sent.forged).empty());
        }
    }
}

// Host text that header syntax or encoded words could hide in, and charsets
// that do not keep ASCII text: a reader shows the text as the host gave it
// (line breaks as spaces), no header of its own arrives, every mail carries
// its Message-ID header, and a charset that would lose the text sends
// nothing.
TEST(MailServers, HostTextShowsAsGiven)
{
    const struct {
        const char* name;
        const char* charset;
        const char* senderName;
        const char* recipientName;
        const char* subject;
        const char* fileName; // "": no attachment
        int result;
        std::vector<std::string> shown; // in the outline
        std::vector<std::string> names; // as DescribeNames gives them, "%" for the recipient
    } cases[] = {
        {"line_breaks",
         "UTF-8",
         "Jürgen\r\nBcc: evil@evil.test",
         "Zoë\nX-Evil: 1",
         "Grüße\r\nX-Evil: 1",
         "",
         1,
         {"  Subject: Grüße  X-Evil: 1\n"},
         {"From parsed: Jürgen Bcc: evil@evil.test <sender@example.com>",
          "From decoded: Jürgen Bcc: evil@evil.test <sender@example.com>",
          "To parsed: Zoë X-Evil: 1 <%>", "To decoded: Zoë X-Evil: 1 <%>"}},
        {"encoded_word_lookalikes",
         "ISO-8859-1",
         "=?UTF-8?Q?x?=",
         "Ann =?UTF-8?B?QQ==?=",
         "=?UTF-8?B?SGFja2Vk?= literal",
         "report =?UTF-8?B?QQ==?=.txt",
         1,
         {"  Subject: =?UTF-8?B?SGFja2Vk?= literal\n",
          "        filename: report =?UTF-8?B?QQ==?=.txt\n"},
         {"From parsed: =?UTF-8?Q?x?= <sender@example.com>",
          "From decoded: =?UTF-8?Q?x?= <sender@example.com>", "To parsed: Ann =?UTF-8?B?QQ==?= <%>",
          "To decoded: Ann =?UTF-8?B?QQ==?= <%>"}},
        {"empty_subject", "UTF-8", "Sender", "", "", "", 1, {"  Subject: \n"}, {}},
        {"utf16", "UTF-16", "Sender", "", "Text", "", -21, {}, {}},
    };
    const std::regex messageId(
        "\n  Message-ID: <[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}@[^>\n]+>\n");
    for (const Route& route : kRoutes) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(route.name) + " " + c.name);
            const std::string recipient = Recipient(route, c.name);
            const auto withRecipient = [&](const std::string& text) {
                return std::regex_replace(text, std::regex("%"), recipient);
            };
            TempFolder folder;
            CMimeMessage m;
            m.SetCharset(W(c.charset).c_str());
            m.SetFrom(W("sender@example.com").c_str(), W(c.senderName).c_str());
            m.AddTo(W(recipient).c_str(), W(c.recipientName).c_str());
            m.SetSubject(W(c.subject).c_str());
            m.SetTextBody(W("Body text\n").c_str());
            if (c.fileName[0] != 0)
                m.AddAttachment(W(folder.Write(c.fileName, "attached\n")).c_str());
            ASSERT_EQ(c.result, SendToListener(m, ServerPort(route.server)));
            if (c.result != 1)
                continue;

            const std::string outline = DeliveredOnce(route, recipient);
            for (const std::string& expected : c.shown)
                EXPECT_NE(std::string::npos, outline.find(expected)) << expected << "\n" << outline;
            EXPECT_TRUE(std::regex_search(outline, messageId)) << outline;
            EXPECT_NE(std::string::npos, outline.find("preamble: \"Message - ID: <")) << outline;
            for (const char* forged : {"\n  Bcc", "\n  X-Evil", "defect"})
                EXPECT_EQ(std::string::npos, outline.find(forged)) << forged << "\n" << outline;
            const std::vector<std::string> paths = DeliveredTo(route.deliverer, recipient);
            const std::string names = paths.empty() ? "" : DescribeNames(paths[0]);
            for (const std::string& expected : c.names)
                EXPECT_NE(std::string::npos, names.find(withRecipient(expected) + "\n"))
                    << withRecipient(expected) << "\n"
                    << names;
        }
    }
}

// Addresses that are not ASCII, through servers with and without SMTPUTF8.
// A domain arrives as its A-label, in the envelope and the To line alike. A
// local part arrives in UTF-8 where SMTPUTF8 is offered; where it is not,
// the send stops before MAIL FROM and nothing arrives.
TEST(MailServers, InternationalAddressesArriveOrStopBeforeTheMail)
{
    const struct {
        const char* server;
        bool smtputf8;
    } servers[] = {{"postfix", false}, {"postfix_smtputf8", true}, {"exim", true}};
    const struct {
        const char* localPart; // "%" for the server's name
        bool needsSmtputf8;
    } addresses[] = {{"idn-%", false}, {"jürgen-%", true}};
    for (const auto& server : servers) {
        const Route route = {server.server, server.server, "bücher.example",
                             std::string(server.server).find("postfix") == 0 ? "postfix" : "exim"};
        for (const auto& address : addresses) {
            SCOPED_TRACE(std::string(server.server) + " " + address.localPart);
            const std::string localPart =
                std::regex_replace(address.localPart, std::regex("%"), server.server) + "-"
                + std::to_string(getpid());
            const std::string wire = localPart + "@xn--bcher-kva.example";
            CMimeMessage m;
            m.SetFrom(W("sender@example.com").c_str(), W("Sender").c_str());
            m.AddTo(W(localPart + "@" + route.domain).c_str(), nullptr);
            m.SetSubject(W("International").c_str());
            m.SetTextBody(W("Body text\n").c_str());
            const bool arrives = server.smtputf8 || !address.needsSmtputf8;
            ASSERT_EQ(arrives ? 1 : -1, SendToListener(m, ServerPort(server.server)));
            if (!arrives)
                continue;

            const std::string outline = DeliveredOnce(route, wire);
            const std::string to = address.needsSmtputf8 ? "  To (8-bit): " : "  To: ";
            EXPECT_NE(std::string::npos, outline.find(to + wire + "\n")) << outline;
            EXPECT_EQ(std::string::npos, outline.find("defect")) << outline;
        }
    }
}

} // namespace
