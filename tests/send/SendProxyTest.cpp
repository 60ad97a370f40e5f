// Sends through the SOCKS proxies, one per proxy kind.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

struct ProxyCase {
    const char* name;
    const char* proxy;
    int type;          // as SetProxy takes it
    const char* host;  // SMTP host as the proxy sees it
    bool login;
    const char* trace; // libcurl's words for the kind it used
};

class SendProxy : public SendTest, public testing::WithParamInterface<ProxyCase> {};

void PrintTo(const ProxyCase& kind, std::ostream* out) { *out << kind.name; }

} // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, SendProxy, testing::Values(
    ProxyCase{"socks4", "dante", 0, "127.0.0.1", false, "SOCKS4 request granted."},
    ProxyCase{"socks4a", "socks4a", 1, "localhost", false, "SOCKS4a request granted."},
    ProxyCase{"socks5", "socks5", 2, "127.0.0.1", false, "(locally resolved)"},
    ProxyCase{"socks5_login", "socks5_auth", 2, "127.0.0.1", true, "SOCKS5 request granted."},
    ProxyCase{"socks5_proxy_resolves", "socks5", 3, "localhost", false, "(remotely resolved)"},
    ProxyCase{"unknown_type_is_socks5", "dante", 9, "127.0.0.1", false, "SOCKS5 request granted."}),
    [](const testing::TestParamInfo<ProxyCase>& info) { return std::string(info.param.name); });

TEST_P(SendProxy, Delivers)
{
    const ProxyCase& kind = GetParam();
    const std::string recipient = std::string("proxy-") + kind.name + "@example.test";
    Compose(recipient);
    UseListener("plain", false);
    client->SetHost(W(kind.host).c_str());
    ASSERT_EQ(1, client->SetProxy(W("127.0.0.1").c_str(), ServerPort(kind.proxy), kind.type,
                                  W(kind.login ? "proxyuser" : "").c_str(),
                                  W(kind.login ? "proxypass" : "").c_str()));
    EXPECT_EQ(1, client->Send());
    EXPECT_FALSE(WaitForMailTo(recipient).rawPath.empty());
    EXPECT_NE(std::string::npos, Trace().find(kind.trace));
}

// An empty proxy host tells libcurl to use no proxy at all.
TEST_F(SendTest, ProxySwitchedOnWithoutAHostSendsDirectly)
{
    Compose("proxy-none@example.test");
    UseListener("plain", false);
    client->SetUseProxy(true);
    EXPECT_EQ(1, client->Send());
}
