// Settings of a client as a host sees them through the exported object.
#include <gtest/gtest.h>

#include <string>

#include "TestText.h"
#include "smtpclient/ServerUrl.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;
using SMTPClientTest::W;

namespace {

// The use flag, then GetProxyValue 0 to 4: host, port, type, user, password.
std::string Proxy(ISmtpClient* client)
{
    std::string state = client->GetUseProxy() ? "on" : "off";
    for (int index = 0; index < 5; ++index) {
        SmtpChar buffer[256] = {};
        client->GetProxyValue(buffer, index);
        state += " " + U8(buffer);
    }
    return state;
}

// Credentials change only when both are given; a refused proxy switches the
// proxy off and keeps the earlier settings.
TEST(ClientSettings, DefaultsAndProxyRules)
{
    ISmtpClient* client = new CSmtpClient(new CSmtpClientWrapper());
    EXPECT_EQ(-1, client->GetPort());
    EXPECT_TRUE(client->GetUseTls());
    EXPECT_EQ("off  -1 2  ", Proxy(client));
    const struct {
        const char* host;
        int port, type;
        const char* user;
        const char* password;
        int result;
        const char* state;
    } cases[] = {
        {"proxy.local", 1080, 7, "bob", "pw", 1, "on proxy.local 1080 7 bob pw"},
        {"second.local", 1081, 1, "carol", "", 1, "on second.local 1081 1 bob pw"},
        {"other.local", 0, 3, "", "", 0, "off second.local 1081 1 bob pw"},
        {"", 1082, 3, "", "", 0, "off second.local 1081 1 bob pw"},
    };
    for (const auto& c : cases) {
        client->SetUseProxy(true);
        EXPECT_EQ(c.result, client->SetProxy(W(c.host).c_str(), c.port, c.type, W(c.user).c_str(),
                                             W(c.password).c_str()));
        EXPECT_EQ(c.state, Proxy(client)) << c.state;
    }
    // A longer host is cut to the 256 units of the host's buffer.
    client->SetProxy(WString(300, SMTPCLIENT_TEXT('h')).c_str(), 1080, 2, nullptr, nullptr);
    SmtpChar buffer[257];
    buffer[256] = SMTPCLIENT_TEXT('#');
    client->GetProxyValue(buffer, 0);
    EXPECT_EQ(WString(255, SMTPCLIENT_TEXT('h')), WString(buffer));
    EXPECT_EQ(SMTPCLIENT_TEXT('#'), buffer[256]);
    client->Release();
}

// Only the implicit-TLS port starts with TLS; every other port, the
// submission port 587 included, starts in clear.
TEST(ClientSettings, Port465AloneConnectsWithTls)
{
    EXPECT_EQ("smtps://mail.example.test", ServerUrl("mail.example.test", 465));
    for (const int port : {25, 587, 2465, 4650, -1})
        EXPECT_EQ("smtp://mail.example.test", ServerUrl("mail.example.test", port)) << port;
}

} // namespace
