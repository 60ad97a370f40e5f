// Settings of a client as a host sees them through the exported object.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;
using SMTPClientTest::W;

namespace {

const size_t kBufferSize = 256;

class ClientSettings : public ::testing::Test {
protected:
    ClientSettings() : client(new CSmtpClient(new CSmtpClientWrapper())) {}
    ~ClientSettings() override { client->Release(); }

    std::string ProxyValue(int index)
    {
        SmtpChar buffer[kBufferSize] = {};
        client->GetProxyValue(buffer, index);
        return U8(buffer);
    }

    ISmtpClient* client;
};

TEST_F(ClientSettings, NewClientHasTheDocumentedDefaults)
{
    EXPECT_EQ(-1, client->GetPort());
    EXPECT_EQ(999, client->GetLastResultCode());
    EXPECT_TRUE(client->GetUseTls());
    EXPECT_FALSE(client->GetUseProxy());
    EXPECT_EQ(nullptr, client->GetMimeMessage());
    EXPECT_EQ("", U8(client->GetHost()));
    EXPECT_EQ("", ProxyValue(0));
    EXPECT_EQ("-1", ProxyValue(1));
    EXPECT_EQ("2", ProxyValue(2));
    EXPECT_EQ("", ProxyValue(3));
    EXPECT_EQ("", ProxyValue(4));
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

TEST_F(ClientSettings, AcceptedProxyStoresEverythingAndSwitchesOn)
{
    EXPECT_EQ(1, client->SetProxy(W("proxy.local").c_str(), 1080, 7,
                                  W("bob").c_str(), W("pw").c_str()));
    EXPECT_TRUE(client->GetUseProxy());
    EXPECT_EQ("proxy.local", ProxyValue(0));
    EXPECT_EQ("1080", ProxyValue(1));
    EXPECT_EQ("7", ProxyValue(2));
    EXPECT_EQ("bob", ProxyValue(3));
    EXPECT_EQ("pw", ProxyValue(4));
}

TEST_F(ClientSettings, RefusedProxySwitchesOffAndKeepsEarlierSettings)
{
    client->SetProxy(W("proxy.local").c_str(), 1080, 0, W("bob").c_str(), W("pw").c_str());

    EXPECT_EQ(0, client->SetProxy(W("other.local").c_str(), 0, 3, nullptr, nullptr));
    EXPECT_FALSE(client->GetUseProxy());
    client->SetUseProxy(true);
    EXPECT_EQ(0, client->SetProxy(W("").c_str(), 1081, 3, nullptr, nullptr));
    EXPECT_FALSE(client->GetUseProxy());
    client->SetUseProxy(true);
    EXPECT_EQ(0, client->SetProxy(nullptr, 1081, 3, nullptr, nullptr));
    EXPECT_FALSE(client->GetUseProxy());

    EXPECT_EQ("proxy.local", ProxyValue(0));
    EXPECT_EQ("1080", ProxyValue(1));
    EXPECT_EQ("0", ProxyValue(2));
}

TEST_F(ClientSettings, ProxyCredentialsChangeOnlyWhenBothAreGiven)
{
    client->SetProxy(W("proxy.local").c_str(), 1080, 2, W("bob").c_str(), W("pw").c_str());

    EXPECT_EQ(1, client->SetProxy(W("second.local").c_str(), 1081, 1,
                                  W("carol").c_str(), W("").c_str()));
    EXPECT_EQ(1, client->SetProxy(W("second.local").c_str(), 1081, 1, nullptr, W("new").c_str()));

    EXPECT_EQ("second.local", ProxyValue(0));
    EXPECT_EQ("1081", ProxyValue(1));
    EXPECT_EQ("1", ProxyValue(2));
    EXPECT_EQ("bob", ProxyValue(3));
    EXPECT_EQ("pw", ProxyValue(4));
}

TEST_F(ClientSettings, UnknownProxyIndexLeavesTheBufferUntouched)
{
    client->SetProxy(W("proxy.local").c_str(), 1080, 2, nullptr, nullptr);
    for (int index : {5, -1, 256}) {
        SmtpChar buffer[kBufferSize];
        std::fill(buffer, buffer + kBufferSize, SMTPCLIENT_TEXT('#'));
        client->GetProxyValue(buffer, index);
        EXPECT_TRUE(std::all_of(buffer, buffer + kBufferSize,
                                [](SmtpChar c) { return c == SMTPCLIENT_TEXT('#'); }))
            << "index " << index;
    }
}

TEST_F(ClientSettings, ProxyValueFitsTheBufferWithItsTerminator)
{
    const WString longest(255, SMTPCLIENT_TEXT('h'));
    client->SetProxy(longest.c_str(), 1080, 2, nullptr, nullptr);
    SmtpChar buffer[kBufferSize + 1];
    std::fill(buffer, buffer + kBufferSize + 1, SMTPCLIENT_TEXT('#'));
    client->GetProxyValue(buffer, 0);
    EXPECT_EQ(longest, WString(buffer));

    const WString tooLong(300, SMTPCLIENT_TEXT('h'));
    client->SetProxy(tooLong.c_str(), 1080, 2, nullptr, nullptr);
    client->GetProxyValue(buffer, 0);
    EXPECT_EQ(longest, WString(buffer));
    EXPECT_EQ(SMTPCLIENT_TEXT('#'), buffer[kBufferSize]);
}

TEST(TwoClients, KeepSeparateSettings)
{
    ISmtpClient* first = new CSmtpClient(new CSmtpClientWrapper());
    ISmtpClient* second = new CSmtpClient(new CSmtpClientWrapper());
    first->SetHost(W("one.example").c_str());
    first->SetPort(25);
    first->SetProxy(W("proxy.one").c_str(), 1080, 0, nullptr, nullptr);
    second->SetHost(W("two.example").c_str());

    EXPECT_EQ("two.example", U8(second->GetHost()));
    EXPECT_EQ(-1, second->GetPort());
    EXPECT_FALSE(second->GetUseProxy());
    EXPECT_EQ("one.example", U8(first->GetHost()));
    EXPECT_EQ(25, first->GetPort());
    first->Release();
    second->Release();
}

} // namespace
