// A host that sees only the public headers and SMTPClient_Dll.dll, sending
// to the test servers.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TestServers.h"
#include "TestText.h"
#include "smtpclient/ISmtpClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

class Host : public testing::Test {
protected:
    Host() : client(CreateSmtpClient()), message(CreateMimeMessage())
    {
        client->SetMimeMessage(message);
        client->SetHost(L"127.0.0.1");
        client->SetConnectTimeout(10);
    }

    ~Host() override
    {
        client->Release();
        message->Release();
    }

    void Compose(const std::string& recipient, const std::string& listener, bool tls)
    {
        ASSERT_EQ(1, message->SetFrom(L"sender@example.test", L"Sender"));
        ASSERT_EQ(1, message->AddTo(W(recipient).c_str(), L""));
        message->SetSubject(W("Test " + recipient).c_str());
        message->SetTextBody(L"Hello from Windows.\r\n");
        client->SetPort(ServerPort(listener));
        client->SetUseTls(tls);
    }

    std::string Log() { return U8(client->GetSessionLog()); }

    ISmtpClient* client;
    IMimeMessage* message;
};

TEST_F(Host, StartTlsAndLoginThroughSchannel)
{
    Compose("schannel@example.test", "starttls_required", true);
    client->SetVerifyCertificate(0);
    client->SetUser(L"alice");
    client->SetPassword(L"secret");
    ASSERT_EQ(1, client->Send()) << Log();
    const ReceivedMail mail = WaitForMailTo("schannel@example.test");
    EXPECT_TRUE(mail.tls);
    EXPECT_EQ("alice", mail.authUser);
}

TEST_F(Host, ThroughASocks5Proxy)
{
    Compose("socks5@example.test", "plain", false);
    ASSERT_EQ(1, client->SetProxy(L"127.0.0.1", ServerPort("socks5"), 2, L"", L""));
    ASSERT_EQ(1, client->Send()) << Log();
    EXPECT_FALSE(WaitForMailTo("socks5@example.test").via.empty());
}

TEST_F(Host, BodyAttachmentAndSessionLogAtWidePaths)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path()
        / (L"smtpclient Grüße 日本 " + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / L"body ü.txt", std::ios::binary) << U8(L"Grüße aus Tōkyō\r\n");
    // A name outside the ANSI code page: the path stays UTF-16 up to the open.
    const std::filesystem::path attachment = folder / L"東京.pdf";
    std::ofstream(attachment, std::ios::binary) << "attachment bytes";

    Compose("files@example.test", "plain", false);
    message->SetCharset(L"utf-8");
    message->LoadBodyFromFile((folder / L"body ü.txt").c_str(), 1);
    EXPECT_EQ(std::wstring(L"Grüße aus Tōkyō\r\n"), message->GetTextBody());
    ASSERT_EQ(1, message->AddAttachment(attachment.c_str()));
    client->SetLogFile((folder / L"session 日本.log").c_str(), false);
    ASSERT_EQ(1, client->Send()) << Log();

    const std::string raw = WaitForMailTo("files@example.test").raw;
    EXPECT_NE(std::string::npos, raw.find("YXR0YWNobWVudCBieXRlcw==")); // "attachment bytes"
    EXPECT_NE(std::string::npos, raw.find("filename*=UTF-8''%E6%9D%B1%E4%BA%AC.pdf")) << raw;
    std::ifstream in(folder / L"session 日本.log", std::ios::binary);
    const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(std::string::npos, log.find("EHLO")) << log;
    EXPECT_NE(std::string::npos, log.find("files@example.test"));
    in.close();
    std::filesystem::remove_all(folder);
}

} // namespace
