// Mail sent through Debian's Postfix and Exim (tests/servers/
// mail_transfer_agents.py), delivered to their Maildirs or relayed one hop
// further to a listener without 8BITMIME, and read back with Python's email
// package: what a recipient behind real mail servers gets.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "TestServers.h"
#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// Where a route's mail is sent, and where what it delivers shows up.
struct Route {
    const char* name;
    const char* server;     // the mail server the library talks to
    const char* domain;     // the recipients' domain
    const char* deliverer;  // "postfix", "exim" or "relayed"
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

int SendThrough(const Route& route, CMimeMessage& message)
{
    CSmtpClient client(new CSmtpClientWrapper());
    client.SetMimeMessage(&message);
    client.SetHost(W("127.0.0.1").c_str());
    client.SetPort(ServerPort(route.server));
    client.SetUseTls(false);
    const int rc = client.Send();
    client.SetMimeMessage(nullptr);
    return rc;
}

// As describe_mail.py prints a text: JSON, non-ASCII as it is.
std::string Json(const std::string& text)
{
    std::string json = "\"";
    for (char c : text) {
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default: json += c;
        }
    }
    return json + "\"";
}

// Every line end as LF: a Maildir keeps its mail with LF line ends, while the
// relay keeps CR LF as it came over SMTP.
std::string WithLfLineEnds(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            result += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string Outline(const std::string& rawPath)
{
    std::string outline = DescribeMail(rawPath);
    for (size_t at; (at = outline.find("\\r\\n")) != std::string::npos;)
        outline.replace(at, 4, "\\n");
    return outline;
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

// A body with Unix line ends whose "." line would end the DATA at a server
// that takes a bare LF for a line end; the lines after it are SMTP commands
// for a second, forged message.
TEST(MailServers, SmugglingBodyArrivesWholeAndAlone)
{
    for (const Route& route : kRoutes) {
        SCOPED_TRACE(route.name);
        const std::string recipient = Recipient(route, "smuggling");
        const std::string forged = Recipient(route, "forged");
        const std::string body = "Dear Bob,\n.\nMAIL FROM:<mallory@example.com>\nRCPT TO:<" + forged +
                                 ">\nDATA\nFrom: Your Bank <bank@example.com>\nSubject: Urgent\n\n"
                                 "Send money.\n.\nQUIT\n";
        CMimeMessage m;
        m.SetFrom(W("sender@example.com").c_str(), nullptr);
        m.AddTo(W(recipient).c_str(), nullptr);
        m.SetSubject(W("Smuggling").c_str());
        m.SetTextBody(W(body).c_str());
        ASSERT_EQ(1, SendThrough(route, m));

        const std::string outline = DeliveredOnce(route, recipient);
        EXPECT_NE(std::string::npos, outline.find("text: " + Json(body) + "\n")) << outline;
        EXPECT_TRUE(DeliveredTo(route.deliverer, forged).empty());
    }
}

} // namespace
