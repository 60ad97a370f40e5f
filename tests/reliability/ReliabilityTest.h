// A client and its message against the local test servers, sent either
// synchronously or through SendAsync, and the check that a client recovers:
// after whatever went wrong, plain settings give a successful send.
#ifndef SMTPCLIENT_TESTS_RELIABILITYTEST_H
#define SMTPCLIENT_TESTS_RELIABILITYTEST_H

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "TestServers.h"
#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/mime/MimeMessage.h"
#include "smtpclient/platform/MessageQueue.h"

namespace SMTPClientTest {

enum class SendMode { Sync, Async };

class CompletionRecorder : public SMTPClientNS::IAsyncCallback {
public:
    int OnSendComplete(int taskId, int resultCode, const SMTPClientNS::SmtpChar*) override
    {
        taskIds.push_back(taskId);
        resultCodes.push_back(resultCode);
        return 0;
    }

    std::vector<int> taskIds;
    std::vector<int> resultCodes;
};

class ReliabilityTest : public testing::Test {
protected:
    ReliabilityTest()
        : client(new SMTPClientNS::CSmtpClient(new SMTPClientNS::CSmtpClientWrapper())),
          message(new SMTPClientNS::CMimeMessage())
    {
        client->SetMimeMessage(message);
        client->SetAsyncCallback(&recorder);
        UsePlainListener();
    }

    ~ReliabilityTest() override
    {
        client->Release();
        message->Release();
    }

    void UsePlainListener()
    {
        client->SetHost(W("127.0.0.1").c_str());
        client->SetPort(ServerPort("plain"));
        client->SetUseTls(false);
        client->SetTlsVersion(0);
        client->SetUseProxy(false);
        client->SetConnectTimeout(5);
    }

    // A short text mail from sender@example.test to recipient.
    void Compose(const std::string& recipient)
    {
        message->Clear(0);
        message->SetCharset(W("UTF-8").c_str());
        ASSERT_EQ(1, message->SetFrom(W("sender@example.test").c_str(), W("Sender").c_str()));
        ASSERT_EQ(1, message->AddTo(W(recipient).c_str(), W("").c_str()));
        message->SetSubject(W("Test " + recipient).c_str());
        message->SetTextBody(W("Hello.\r\n").c_str());
    }

    // The result code of one send in the given mode; for SendAsync the code
    // its only completion carried (0 when none came within the time-out).
    int SendIn(SendMode mode)
    {
        if (mode == SendMode::Sync)
            return client->Send();
        const size_t before = recorder.resultCodes.size();
        const int taskId = client->SendAsync();
        EXPECT_GT(taskId, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (recorder.resultCodes.size() == before && std::chrono::steady_clock::now() < deadline)
            SMTPClientNS::Platform::DispatchWaitingMessages(100);
        if (recorder.resultCodes.size() != before + 1)
            return 0;
        EXPECT_EQ(taskId, recorder.taskIds.back());
        return recorder.resultCodes.back();
    }

    // Plain settings and a fresh message deliver again, in the given mode.
    void ExpectRecovery(SendMode mode, const std::string& recipient)
    {
        UsePlainListener();
        Compose(recipient);
        EXPECT_EQ(1, SendIn(mode)) << "the client did not recover";
        EXPECT_FALSE(WaitForMailTo(recipient).rawPath.empty());
    }

    std::string TempPath(const std::string& name)
    {
        const std::string path = testing::TempDir() + "reliability_" + name;
        std::remove(path.c_str());
        return path;
    }

    static void WriteFile(const std::string& path, const std::string& content)
    {
        std::ofstream(path, std::ios::binary) << content;
    }

    CompletionRecorder recorder;
    SMTPClientNS::ISmtpClient* client;
    SMTPClientNS::IMimeMessage* message;
};

} // namespace SMTPClientTest

#endif
