// A client and its message for one send test, talking to 127.0.0.1.
#ifndef SMTPCLIENT_TESTS_SENDTESTCLIENT_H
#define SMTPCLIENT_TESTS_SENDTESTCLIENT_H

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "TestServers.h"
#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/mime/MimeMessage.h"

namespace SMTPClientTest {

class SendTest : public testing::Test {
protected:
    SendTest()
        : client(new SMTPClientNS::CSmtpClient(new SMTPClientNS::CSmtpClientWrapper())),
          message(new SMTPClientNS::CMimeMessage())
    {
        client->SetMimeMessage(message);
        client->SetHost(W("127.0.0.1").c_str());
        client->SetConnectTimeout(5);
    }

    ~SendTest() override
    {
        client->Release();
        message->Release();
    }

    // A short text mail from sender@example.test to recipient.
    void Compose(const std::string& recipient)
    {
        ASSERT_EQ(1, message->SetFrom(W("sender@example.test").c_str(), W("Sender").c_str()));
        ASSERT_EQ(1, message->AddTo(W(recipient).c_str(), W("").c_str()));
        message->SetSubject(W("Test " + recipient).c_str());
        message->SetTextBody(W("Hello.\r\n").c_str());
    }

    // Port of the named listener, and TLS as the listener needs it.
    void UseListener(const std::string& name, bool tls)
    {
        client->SetPort(ServerPort(name));
        client->SetUseTls(tls);
    }

    std::string TempPath(const std::string& name)
    {
        const std::string path = testing::TempDir() + "send_" + name;
        std::remove(path.c_str());
        return path;
    }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream content;
        content << file.rdbuf();
        return content.str();
    }

    SMTPClientNS::ISmtpClient* client;
    SMTPClientNS::IMimeMessage* message;
};

} // namespace SMTPClientTest

#endif
