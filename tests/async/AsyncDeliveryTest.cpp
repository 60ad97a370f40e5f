// Asynchronous sends delivered to the local test server.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <unistd.h>

#include "AsyncTestSupport.h"
#include "TestServers.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

class AsyncDeliveryTest : public testing::Test {
protected:
    AsyncDeliveryTest() : client(NewClient()), message(new CMimeMessage())
    {
        client->SetAsyncCallback(&callback);
        client->SetMimeMessage(message);
    }
    ~AsyncDeliveryTest() override
    {
        client->Release();
        message->Release();
    }

    // Recipients of their own per run, so earlier runs' mail is not counted.
    static std::string Recipient(const std::string& name)
    {
        return name + "-" + std::to_string(getpid()) + "@example.test";
    }

    RecordingCallback callback;
    ISmtpClient* client;
    IMimeMessage* message;
};

TEST_F(AsyncDeliveryTest, DeliveredMailIsReportedAsSuccess)
{
    const std::string recipient = Recipient("async-delivery");
    UsePort(*client, ServerPort("plain"));
    Compose(*message, recipient, "Asynchronous delivery");
    ASSERT_EQ(1, client->SendAsync());
    ASSERT_TRUE(PumpUntil(callback, 1));
    EXPECT_EQ(1, callback.completions[0].taskId);
    EXPECT_EQ(1, callback.completions[0].resultCode);
    EXPECT_EQ("", callback.completions[0].message);

    const ReceivedMail mail = WaitForMailTo(recipient);
    ASSERT_FALSE(mail.rawPath.empty());
    EXPECT_EQ("sender@example.test", mail.mailFrom);
    EXPECT_NE(std::string::npos, mail.raw.find("Asynchronous delivery"));
}

TEST_F(AsyncDeliveryTest, ThousandQueuedSendsAreAllDeliveredAndReportedOnce)
{
    const int kSends = 1000;
    const std::string recipient = Recipient("async-load");
    UsePort(*client, ServerPort("plain"));
    Compose(*message, recipient, "");
    for (int send = 1; send <= kSends; ++send) {
        message->SetSubject(W("Load " + std::to_string(send)).c_str());
        ASSERT_EQ(send, client->SendAsync());
    }
    ASSERT_TRUE(PumpUntil(callback, kSends, 600000));
    PumpFor(200);

    ASSERT_EQ(size_t(kSends), callback.completions.size());
    for (int index = 0; index < kSends; ++index) {
        EXPECT_EQ(index + 1, callback.completions[index].taskId);
        EXPECT_EQ(1, callback.completions[index].resultCode);
    }

    std::vector<ReceivedMail> received;
    for (int round = 0; round < 100 && received.size() < size_t(kSends); ++round) {
        received = MailTo(recipient);
        if (received.size() < size_t(kSends))
            usleep(100000);
    }
    std::set<std::string> subjects;
    for (const ReceivedMail& mail : received) {
        const size_t start = mail.raw.find("Subject: Load ");
        ASSERT_NE(std::string::npos, start);
        subjects.insert(mail.raw.substr(start, mail.raw.find('\r', start) - start));
    }
    EXPECT_EQ(size_t(kSends), received.size());
    EXPECT_EQ(size_t(kSends), subjects.size());
}

} // namespace
