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

// The subjects tell the messages apart: each must arrive exactly once.
TEST(AsyncDeliveryTest, ThousandQueuedSendsAreAllDeliveredAndReportedOnce)
{
    const int kSends = 1000;
    // A recipient of this run alone, so earlier runs' mail is not counted.
    const std::string recipient = "async-load-" + std::to_string(getpid()) + "@example.test";
    RecordingCallback callback;
    ISmtpClient* client = NewClient();
    IMimeMessage* message = new CMimeMessage();
    client->SetAsyncCallback(&callback);
    client->SetMimeMessage(message);
    UsePort(*client, ServerPort("plain"));
    Compose(*message, recipient, "");
    for (int send = 1; send <= kSends; ++send) {
        message->SetSubject(W("Load " + std::to_string(send)).c_str());
        ASSERT_EQ(send, client->SendAsync());
    }
    ASSERT_TRUE(PumpUntil(callback, kSends, 600000));
    PumpFor(200);
    client->Release();
    message->Release();

    ASSERT_EQ(size_t(kSends), callback.completions.size());
    for (int index = 0; index < kSends; ++index) {
        EXPECT_EQ(index + 1, callback.completions[index].taskId);
        EXPECT_EQ(1, callback.completions[index].resultCode);
        EXPECT_EQ("", callback.completions[index].message);
    }
    std::vector<ReceivedMail> received;
    for (int round = 0; round < 100 && (received = MailTo(recipient)).size() < size_t(kSends); ++round)
        usleep(100000);
    std::set<std::string> subjects;
    for (const ReceivedMail& mail : received) {
        EXPECT_EQ("sender@example.test", mail.mailFrom);
        const size_t start = mail.raw.find("Subject: Load ");
        ASSERT_NE(std::string::npos, start);
        subjects.insert(mail.raw.substr(start, mail.raw.find('\r', start) - start));
    }
    EXPECT_EQ(size_t(kSends), received.size());
    EXPECT_EQ(size_t(kSends), subjects.size());
}

} // namespace
