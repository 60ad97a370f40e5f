// A host that loads SMTPClient_Dll.dll and sends synchronously to the test
// servers: STARTTLS and login through Schannel, a SOCKS proxy (the DLL's own
// libcurl build), files and the session log at wide paths. The Windows values
// of the header block are checked against the system in PlatformWin32Test.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestServers.h"
#include "TestText.h"
#include "WindowsTestSupport.h"
#include "smtpclient/ISmtpClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

class HostSend : public testing::Test {
protected:
    HostSend() : client(CreateSmtpClient()), message(CreateMimeMessage())
    {
        client->SetMimeMessage(message);
        client->SetHost(L"127.0.0.1");
        client->SetConnectTimeout(10);
    }

    ~HostSend() override
    {
        client->Release();
        message->Release();
    }

    void Compose(const std::string& recipient)
    {
        ASSERT_EQ(1, message->SetFrom(L"sender@example.test", L"Sender"));
        ASSERT_EQ(1, message->AddTo(W(recipient).c_str(), L""));
        message->SetSubject(W("Test " + recipient).c_str());
        message->SetTextBody(L"Hello from Windows.\r\n");
    }

    void UseListener(const std::string& name, bool tls)
    {
        client->SetPort(ServerPort(name));
        client->SetUseTls(tls);
    }

    std::string Log()
    {
        return U8(client->GetSessionLog());
    }

    ISmtpClient* client;
    IMimeMessage* message;
    WideTempFolder folder;
};

TEST_F(HostSend, StartTlsAndLoginThroughSchannel)
{
    Compose("schannel@example.test");
    UseListener("starttls_required", true);
    client->SetVerifyCertificate(0);
    client->SetUser(L"alice");
    client->SetPassword(L"secret");
    ASSERT_EQ(1, client->Send()) << Log();
    ReceivedMail mail = WaitForMailTo("schannel@example.test");
    EXPECT_TRUE(mail.tls);
    EXPECT_EQ("alice", mail.authUser);
}

// Wine's certificate chain checks let the self-signed server through.
bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TEST_F(HostSend, SchannelRejectsTheSelfSignedServerWhenVerifying)
{
    if (RunningUnderWine())
        GTEST_SKIP() << "Wine's Schannel accepts the self-signed certificate";
    Compose("schannel-verify@example.test");
    UseListener("starttls", true);
    client->SetVerifyCertificate(1);
    EXPECT_EQ(-9, client->Send()) << Log();
    EXPECT_TRUE(MailTo("schannel-verify@example.test").empty());
}

TEST_F(HostSend, ThroughASocks5Proxy)
{
    Compose("socks5@example.test");
    UseListener("plain", false);
    ASSERT_EQ(1, client->SetProxy(L"127.0.0.1", ServerPort("socks5"), 2, L"", L""));
    ASSERT_EQ(1, client->Send()) << Log();
    EXPECT_FALSE(WaitForMailTo("socks5@example.test").via.empty());
}

TEST_F(HostSend, BodiesFromWidePathsAndAttachments)
{
    CreateDirectoryW(folder.Path(L"Gr\u00FC\u00DFe \u65E5\u672C").c_str(), nullptr);
    const std::wstring body = folder.Write(L"Gr\u00FC\u00DFe \u65E5\u672C\\body \u00FC.txt",
                                           U8(L"Gr\u00FC\u00DFe aus T\u014Dky\u014D\r\n"));
    // libcurl opens attachments by their ANSI path: this one has to fit it.
    const std::wstring attachment = folder.Write(L"data \u00E9.bin", "attachment bytes");
    Compose("files@example.test");
    message->SetCharset(L"utf-8");
    message->LoadBodyFromFile(body.c_str(), 1);
    EXPECT_EQ(std::wstring(L"Gr\u00FC\u00DFe aus T\u014Dky\u014D\r\n"), message->GetTextBody());
    ASSERT_EQ(1, message->AddAttachment(attachment.c_str()));

    UseListener("plain", false);
    ASSERT_EQ(1, client->Send()) << Log();
    const std::string raw = WaitForMailTo("files@example.test").raw;
    EXPECT_NE(std::string::npos, raw.find("YXR0YWNobWVudCBieXRlcw=="));  // "attachment bytes"
}

TEST_F(HostSend, SessionLogFileAtAWidePath)
{
    Compose("logfile@example.test");
    UseListener("plain", false);
    const std::wstring path = folder.Path(L"session \u65E5\u672C.log");
    client->SetLogFile(path.c_str(), false);
    ASSERT_EQ(1, client->Send()) << Log();
    const std::string log = folder.Read(path);
    EXPECT_NE(std::string::npos, log.find("EHLO")) << log;
    EXPECT_NE(std::string::npos, log.find("logfile@example.test"));
}

} // namespace
