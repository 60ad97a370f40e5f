// Settings of a client as a host sees them through the exported object.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;
using SMTPClientTest::W;

namespace {

const size_t kBufferSize = 256;

// The use flag, then GetProxyValue 0 to 4: host, port, type, user, password.
typedef std::vector<std::string> ProxyState;

class ClientSettings : public ::testing::Test {
protected:
    ClientSettings() : client(new CSmtpClient(new CSmtpClientWrapper())) {}
    ~ClientSettings() override { client->Release(); }

    ProxyState Proxy()
    {
        ProxyState state{client->GetUseProxy() ? "on" : "off"};
        for (int index = 0; index < 5; ++index) {
            SmtpChar buffer[kBufferSize] = {};
            client->GetProxyValue(buffer, index);
            state.push_back(U8(buffer));
        }
        return state;
    }

    ISmtpClient* client;
};

// Settings belong to each client: another one's settings leave them alone.
TEST_F(ClientSettings, NewClientHasTheDocumentedDefaults)
{
    ISmtpClient* other = new CSmtpClient(new CSmtpClientWrapper());
    other->SetHost(W("one.example").c_str());
    other->SetPort(25);
    other->SetProxy(W("proxy.one").c_str(), 1080, 0, nullptr, nullptr);
    EXPECT_EQ(-1, client->GetPort());
    EXPECT_EQ(999, client->GetLastResultCode());
    EXPECT_TRUE(client->GetUseTls());
    EXPECT_EQ(nullptr, client->GetMimeMessage());
    EXPECT_EQ("", U8(client->GetHost()));
    EXPECT_EQ((ProxyState{"off", "", "-1", "2", "", ""}), Proxy());
    other->Release();
}

TEST_F(ClientSettings, NullTextKeepsHostUserPasswordButClearsToken)
{
    client->SetHost(W("mail.example.org").c_str());
    client->SetUser(W("alice").c_str());
    client->SetPassword(W("secret").c_str());
    client->SetOAuth2Token(W("token").c_str());

    client->SetHost(nullptr);
    client->SetUser(nullptr);
    client->SetPassword(nullptr);
    client->SetOAuth2Token(nullptr);

    EXPECT_EQ("mail.example.org", U8(client->GetHost()));
    EXPECT_EQ("alice", U8(client->GetUser()));
    EXPECT_EQ("secret", U8(client->GetPassword()));
    EXPECT_EQ("", U8(client->GetOAuth2Token()));
}

// An accepted proxy switches the proxy on; credentials change only when both
// are given; a refused one switches it off and keeps the earlier settings.
TEST_F(ClientSettings, SetProxyAcceptsRefusesAndKeepsCredentials)
{
    EXPECT_EQ(1, client->SetProxy(W("proxy.local").c_str(), 1080, 7, W("bob").c_str(), W("pw").c_str()));
    EXPECT_EQ((ProxyState{"on", "proxy.local", "1080", "7", "bob", "pw"}), Proxy());

    EXPECT_EQ(1, client->SetProxy(W("second.local").c_str(), 1081, 1, W("carol").c_str(), W("").c_str()));
    EXPECT_EQ(1, client->SetProxy(W("second.local").c_str(), 1081, 1, nullptr, W("new").c_str()));
    EXPECT_EQ((ProxyState{"on", "second.local", "1081", "1", "bob", "pw"}), Proxy());

    EXPECT_EQ(0, client->SetProxy(W("other.local").c_str(), 0, 3, nullptr, nullptr));
    EXPECT_EQ((ProxyState{"off", "second.local", "1081", "1", "bob", "pw"}), Proxy());
    client->SetUseProxy(true);
    EXPECT_EQ(0, client->SetProxy(W("").c_str(), 1082, 3, nullptr, nullptr));
    EXPECT_FALSE(client->GetUseProxy());
    client->SetUseProxy(true);
    EXPECT_EQ(0, client->SetProxy(nullptr, 1082, 3, nullptr, nullptr));
    EXPECT_EQ((ProxyState{"off", "second.local", "1081", "1", "bob", "pw"}), Proxy());
}

TEST_F(ClientSettings, ProxyValueFitsTheBufferAndUnknownIndexesLeaveItAlone)
{
    const WString longest(255, SMTPCLIENT_TEXT('h'));
    SmtpChar buffer[kBufferSize + 1];
    std::fill(buffer, buffer + kBufferSize + 1, SMTPCLIENT_TEXT('#'));
    client->SetProxy(WString(300, SMTPCLIENT_TEXT('h')).c_str(), 1080, 2, nullptr, nullptr);
    client->GetProxyValue(buffer, 0);
    EXPECT_EQ(longest, WString(buffer));
    EXPECT_EQ(SMTPCLIENT_TEXT('#'), buffer[kBufferSize]);

    for (int index : {5, -1, 256}) {
        std::fill(buffer, buffer + kBufferSize, SMTPCLIENT_TEXT('#'));
        client->GetProxyValue(buffer, index);
        EXPECT_TRUE(std::all_of(buffer, buffer + kBufferSize,
                                [](SmtpChar c) { return c == SMTPCLIENT_TEXT('#'); }))
            << "index " << index;
    }
}

} // namespace
