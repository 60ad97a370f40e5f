// A client and its message for one send test, talking to 127.0.0.1. Public,
// so that tables of cases can reach them.
#ifndef SMTPCLIENT_TESTS_SENDTESTCLIENT_H
#define SMTPCLIENT_TESTS_SENDTESTCLIENT_H

#include <gtest/gtest.h>

#include <string>

#include "AsyncTestSupport.h"
#include "TempFolder.h"
#include "TestServers.h"

namespace SMTPClientTest {

class SendTest : public testing::Test {
public:
    SendTest() : client(NewClient()), message(new SMTPClientNS::CMimeMessage())
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
        SMTPClientTest::Compose(*message, recipient, "Test " + recipient);
    }

    void UseListener(const std::string& name, bool tls)
    {
        client->SetPort(ServerPort(name));
        client->SetUseTls(tls);
    }

    void Login(const std::string& user, const std::string& password)
    {
        client->SetUser(W(user).c_str());
        client->SetPassword(W(password).c_str());
    }

    TempFolder folder;
    SMTPClientNS::ISmtpClient* client;
    SMTPClientNS::IMimeMessage* message;
};

// Sends message to a listener on 127.0.0.1 without TLS, with a client of
// its own.
inline int SendToListener(SMTPClientNS::IMimeMessage& message, int port)
{
    SMTPClientNS::CSmtpClient client(new SMTPClientNS::CSmtpClientWrapper());
    client.SetMimeMessage(&message);
    UsePort(client, port);
    return client.Send();
}

} // namespace SMTPClientTest

#endif
