// Asynchronous sends: delivered to the local test server with completions on
// the host thread, and withdrawn by CancelAsync.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <string>
#include <thread>

#include "AsyncTestSupport.h"
#include "LoopbackPort.h"
#include "TestServers.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// Completions come to the thread that called SendAsync, here not the main
// one. The second client is released right after its last SendAsync: its
// queued tasks still complete. The subjects tell the mails apart.
TEST(AsyncDelivery, QueuedSendsOfTwoClientsCompleteOnceInOrderOnTheHostThread)
{
    const int kSends = 25;
    const std::string recipient = "async-" + std::to_string(getpid()) + "@example.test";
    RecordingCallback callbacks[2];
    std::thread::id host;
    std::thread hostThread([&] {
        host = std::this_thread::get_id();
        ISmtpClient* clients[2] = {NewClient(), NewClient()};
        IMimeMessage* messages[2] = {new CMimeMessage(), new CMimeMessage()};
        for (int c = 0; c < 2; ++c) {
            clients[c]->SetAsyncCallback(&callbacks[c]);
            clients[c]->SetMimeMessage(messages[c]);
            UsePort(*clients[c], ServerPort("plain"));
            Compose(*messages[c], recipient, "");
            for (int send = 1; send <= kSends; ++send) {
                messages[c]->SetSubject(
                    W("Load " + std::to_string(c) + "-" + std::to_string(send)).c_str());
                EXPECT_EQ(send, clients[c]->SendAsync());
            }
        }
        clients[1]->Release();
        EXPECT_TRUE(PumpUntil(callbacks[0], kSends, 120000)
                    && PumpUntil(callbacks[1], kSends, 120000));
        clients[0]->Release();
        messages[0]->Release();
        messages[1]->Release();
    });
    hostThread.join();

    for (const RecordingCallback& callback : callbacks) {
        ASSERT_EQ(size_t(kSends), callback.completions.size());
        for (int index = 0; index < kSends; ++index) {
            const Completion& completion = callback.completions[index];
            EXPECT_EQ(index + 1, completion.taskId);
            EXPECT_EQ(1, completion.resultCode);
            EXPECT_EQ("", completion.message);
            EXPECT_EQ(host, completion.thread);
        }
    }
    std::vector<ReceivedMail> received;
    for (int round = 0; round < 100 && (received = MailTo(recipient)).size() < 2 * kSends; ++round)
        usleep(100000);
    std::set<std::string> subjects;
    for (const ReceivedMail& mail : received) {
        const size_t start = mail.raw.find("Subject: Load ");
        ASSERT_NE(std::string::npos, start);
        subjects.insert(mail.raw.substr(start, mail.raw.find('\r', start) - start));
    }
    EXPECT_EQ(size_t(2 * kSends), received.size());
    EXPECT_EQ(size_t(2 * kSends), subjects.size());
}

// Task 1 runs against a listener that never greets, so tasks 2 to 4 stay
// queued. Cancelled tasks are never reported; the references they give
// back are checked by the leak checker.
TEST(AsyncCancel, WithdrawsQueuedTasksOnce)
{
    RecordingCallback callback;
    ISmtpClient* client = NewClient();
    IMimeMessage* message = new CMimeMessage();
    LoopbackPort listener;
    client->SetAsyncCallback(&callback);
    client->SetMimeMessage(message);
    UsePort(*client, listener.Port());
    client->SetConnectTimeout(2);
    Compose(*message, "stalled@example.test", "Stalled");
    ASSERT_EQ(1, client->SendAsync());
    ASSERT_TRUE(listener.SomeoneConnected(10000));
    for (int expected = 2; expected <= 4; ++expected)
        ASSERT_EQ(expected, client->SendAsync());

    EXPECT_EQ(1, client->CancelAsync(2));
    EXPECT_EQ(-1, client->CancelAsync(2));
    EXPECT_EQ(-1, client->CancelAsync(1)) << "task 1 is already running";
    EXPECT_EQ(1, client->CancelAsync(0)) << "every queued task";
    EXPECT_EQ(-1, client->CancelAsync(3));

    ASSERT_TRUE(PumpUntil(callback, 1));
    EXPECT_FALSE(PumpUntil(callback, 2, 300)) << "a cancelled task was reported";
    EXPECT_EQ(1, callback.completions[0].taskId);
    EXPECT_EQ(-11, callback.completions[0].resultCode);
    EXPECT_EQ("Operation timeout.", callback.completions[0].message);
    client->Release();
    message->Release();
}

} // namespace
