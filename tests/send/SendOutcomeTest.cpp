// Outcomes that need no server: failed builds, a refused connection and an
// unresolvable host.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "../log/LogTestSupport.h"
#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// A loopback port bound but not listening: connections to it are refused.
class RefusingPort {
public:
    RefusingPort() : fd(socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        socklen_t length = sizeof(address);
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    ~RefusingPort() { close(fd); }
    int port;

private:
    int fd;
};

class SendOutcome : public SendTest {
protected:
    void SetUp() override
    {
        client->SetPort(refusing.port);
        client->SetUseTls(false);
    }
    RefusingPort refusing;
};

} // namespace

TEST_F(SendOutcome, NoMessageIsABadState)
{
    client->SetMimeMessage(nullptr);
    EXPECT_EQ(-1, client->Send());
    EXPECT_EQ(-1, client->GetLastResultCode());
}

TEST_F(SendOutcome, SenderIsCheckedBeforeRecipients)
{
    EXPECT_EQ(-17, client->Send());
    EXPECT_EQ(-2, client->GetLastResultCode());
    ASSERT_EQ(1, message->AddCc(W("cc@example.test").c_str(), W("").c_str()));
    EXPECT_EQ(-17, client->Send());
}

TEST_F(SendOutcome, NoRecipients)
{
    ASSERT_EQ(1, message->SetFrom(W("sender@example.test").c_str(), W("").c_str()));
    EXPECT_EQ(-18, client->Send());
    EXPECT_EQ(-3, client->GetLastResultCode());
}

TEST_F(SendOutcome, EmptyHostWithAValidPort)
{
    Compose("nobody@example.test");
    client->SetHost(W("").c_str());
    EXPECT_EQ(-6, client->Send());
    EXPECT_EQ(CURLE_URL_MALFORMAT, client->GetLastResultCode());
}

// libcurl refuses the port while the request is built; its code is kept.
TEST_F(SendOutcome, DefaultPortIsRefusedByLibcurl)
{
    Compose("nobody@example.test");
    client->SetPort(-1);
    EXPECT_EQ(-1, client->Send());
    EXPECT_EQ(CURLE_BAD_FUNCTION_ARGUMENT, client->GetLastResultCode());
}

TEST_F(SendOutcome, RefusedConnectionKeepsTheRawCodeWithoutALogFile)
{
    Compose("nobody@example.test");
    EXPECT_EQ(-5, client->Send());
    EXPECT_EQ(CURLE_COULDNT_CONNECT, client->GetLastResultCode());
}

TEST_F(SendOutcome, RefusedConnectionWithALogFileMapsTheCode)
{
    Compose("nobody@example.test");
    const std::string path = TempPath("refused.log");
    client->SetLogFile(W(path).c_str(), false);
    EXPECT_EQ(-5, client->Send());
    EXPECT_EQ(-5, client->GetLastResultCode());
    const std::string log = MaskTimes(ReadFile(path));
    const std::string summary = MaskedSummary(
        "Error Info: " + std::string(curl_easy_strerror(CURLE_COULDNT_CONNECT)) + "\n");
    ASSERT_GT(log.size(), summary.size());
    EXPECT_EQ(summary, log.substr(log.size() - summary.size()));
    EXPECT_EQ(0u, log.find("Trying 127.0.0.1:" + std::to_string(refusing.port) + "...\n"));
    EXPECT_EQ(std::string::npos, log.find("C: "));
}

TEST_F(SendOutcome, UnresolvableHost)
{
    Compose("nobody@example.test");
    client->SetHost(W("no-such-host.invalid").c_str());
    client->SetPort(25);
    EXPECT_EQ(-4, client->Send());
    EXPECT_EQ(CURLE_COULDNT_RESOLVE_HOST, client->GetLastResultCode());
}

// The second send frees the first transfer; the sanitizer build shows leaks.
TEST_F(SendOutcome, SecondSendFreesTheFirstTransfer)
{
    Compose("nobody@example.test");
    EXPECT_EQ(-5, client->Send());
    client->SetPort(-1);
    EXPECT_EQ(-1, client->Send());
    client->SetPort(refusing.port);
    EXPECT_EQ(-5, client->Send());
}
