// Bulk sending: options, kept connections, several connections per client,
// partial delivery and the rate, counted at the listeners, which store each
// mail with the connection that carried it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

std::string MessageId(const std::string& raw)
{
    const size_t start = raw.find("Message-ID: ");
    return start == std::string::npos ? "" : raw.substr(start, raw.find('\r', start) - start);
}

// The mails for recipient, checked to be there once each by Message-ID.
std::vector<ReceivedMail> DeliveredOnce(const std::string& recipient, size_t count)
{
    EXPECT_TRUE(EventuallyTrue([&] { return MailTo(recipient).size() >= count; }));
    const std::vector<ReceivedMail> mails = MailTo(recipient);
    std::set<std::string> ids;
    for (const ReceivedMail& mail : mails)
        EXPECT_TRUE(ids.insert(MessageId(mail.raw)).second) << "twice: " << MessageId(mail.raw);
    EXPECT_EQ(mails.size(), count);
    return mails;
}

// How many of the mails each connection carried.
std::map<int, int> MailsPerConnection(const std::vector<ReceivedMail>& mails)
{
    std::map<int, int> counts;
    for (const ReceivedMail& mail : mails)
        ++counts[mail.connection];
    return counts;
}

std::string FirstCommand(const std::string& log)
{
    const size_t start = log.find("C: ");
    return start == std::string::npos ? "" : log.substr(start, log.find('\n', start) - start);
}

class BulkSend : public SendTest {
public:
    void Keep(int cap)
    {
        ASSERT_EQ(client->SetOption(kOptionKeepConnection, 1), 1);
        ASSERT_EQ(client->SetOption(kOptionMessagesPerConnection, cap), 1);
    }

    // Each send has a Message-ID of its own; all must succeed.
    void SendEach(int count)
    {
        for (int sent = 0; sent < count; ++sent)
            ASSERT_EQ(client->Send(), 1) << U8(client->GetLastLogEntry());
    }
};

struct OptionCase {
    int option;
    int byDefault;
    int taken;
    int refused;
};

TEST(BulkOptions, TakeValuesInRangeAndRefuseTheRest)
{
    const OptionCase cases[] = {
        {kOptionKeepConnection, 0, 1, 2},   {kOptionAsyncConnections, 1, 16, 17},
        {kOptionAsyncConnections, 1, 4, 0}, {kOptionMessagesPerConnection, 100, 0, -1},
        {kOptionPartialDelivery, 0, 1, -1}, {kOptionMessagesPerMinute, 0, 30, -5},
        {kOptionCompletionDetail, 0, 1, 2}, {kOptionTraceToStandardError, 1, 0, 3},
    };
    for (const OptionCase& each : cases) {
        ISmtpClient* client = NewClient();
        EXPECT_EQ(client->GetOption(each.option), each.byDefault) << each.option;
        EXPECT_EQ(client->SetOption(each.option, each.refused), -1) << each.option;
        EXPECT_EQ(client->GetOption(each.option), each.byDefault) << each.option;
        EXPECT_EQ(client->SetOption(each.option, each.taken), 1) << each.option;
        EXPECT_EQ(client->GetOption(each.option), each.taken) << each.option;
        client->Release();
    }
    ISmtpClient* client = NewClient();
    for (const int unknown : {0, 8, -1}) {
        EXPECT_EQ(client->SetOption(unknown, 0), -1);
        EXPECT_EQ(client->GetOption(unknown), -1);
    }
    client->Release();
}

TEST_F(BulkSend, EachMailHasItsOwnConnectionWithoutTheOption)
{
    UseListener("counted", false);
    Compose("unkept@example.test");
    SendEach(3);
    EXPECT_EQ(MailsPerConnection(DeliveredOnce("unkept@example.test", 3)).size(), 3u);
}

// A reused connection starts at MAIL FROM, and its log holds the dialogue
// from there on.
TEST_F(BulkSend, KeptConnectionCarriesMailsUpToTheCap)
{
    UseListener("counted", false);
    Keep(3);
    Compose("kept@example.test");
    ASSERT_EQ(client->Send(), 1);
    EXPECT_EQ(FirstCommand(U8(client->GetSessionLog())).substr(0, 7), "C: EHLO");
    ASSERT_EQ(client->Send(), 1);
    EXPECT_EQ(FirstCommand(U8(client->GetSessionLog())).substr(0, 35),
              "C: MAIL FROM:<sender@example.test> ");
    SendEach(5);
    std::vector<int> counts;
    for (const auto& connection : MailsPerConnection(DeliveredOnce("kept@example.test", 7)))
        counts.push_back(connection.second);
    EXPECT_EQ(counts, (std::vector<int>{3, 3, 1}));
}

// Never a mail over a connection authenticated as someone else.
TEST_F(BulkSend, ChangedLoginOpensANewConnection)
{
    UseListener("counted_auth", false);
    Keep(0);
    Compose("logins@example.test");
    const char* const users[][2] = {
        {"alice", "secret"}, {"alice", "secret"}, {"carol", "secret2"}, {"alice", "secret"}};
    for (const auto& user : users) {
        Login(user[0], user[1]);
        ASSERT_EQ(client->Send(), 1) << U8(client->GetLastLogEntry());
    }
    const std::vector<ReceivedMail> mails = DeliveredOnce("logins@example.test", 4);
    ASSERT_EQ(mails.size(), 4u);
    for (size_t at = 0; at < mails.size(); ++at)
        EXPECT_EQ(mails[at].authUser, users[at][0]);
    EXPECT_EQ(mails[0].connection, mails[1].connection);
    EXPECT_NE(mails[1].connection, mails[2].connection);
    EXPECT_NE(mails[2].connection, mails[3].connection);
}

// The server closes the kept connection: with 421 at the next MAIL FROM, or
// by hanging up after each mail. The next mail goes on a new connection, once.
class ClosedByServer : public BulkSend, public testing::WithParamInterface<const char*> {};

TEST_P(ClosedByServer, ConnectionIsReplaced)
{
    const std::string recipient = std::string("replaced.") + GetParam() + "@example.test";
    UseListener(GetParam(), false);
    Keep(0);
    Compose(recipient);
    SendEach(7);
    for (const auto& connection : MailsPerConnection(DeliveredOnce(recipient, 7)))
        EXPECT_LE(connection.second, 3);
}

INSTANTIATE_TEST_SUITE_P(BulkSend, ClosedByServer,
                         testing::Values("close_after_3", "drop_between_mails"));

// The kept connection closes as the client goes, without waiting long for a
// server that never answers QUIT.
TEST_F(BulkSend, ReleaseWaitsBrieflyForTheReplyToQuit)
{
    UseListener("silent_quit", false);
    Keep(0);
    Compose("silent.quit@example.test");
    SendEach(2);
    const auto start = std::chrono::steady_clock::now();
    client->Release();
    client = NewClient();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    DeliveredOnce("silent.quit@example.test", 2);
}

TEST_F(BulkSend, PartialDeliveryReachesTheAcceptedAndNamesTheRefused)
{
    UseListener("refuse_unknown_rcpt", false);
    Compose("partial.a@example.test");
    message->AddTo(W("unknown.partial@example.test").c_str(), W("").c_str());
    message->AddCc(W("partial.b@example.test").c_str(), W("").c_str());
    EXPECT_NE(client->Send(), 1);
    ASSERT_EQ(client->SetOption(kOptionPartialDelivery, 1), 1);
    ASSERT_EQ(client->Send(), 1) << U8(client->GetLastLogEntry());
    const std::string closing = U8(client->GetLastLogEntry());
    EXPECT_NE(closing.find("Accepted: 250"), std::string::npos) << closing;
    EXPECT_NE(closing.find("Refused at RCPT TO:<unknown.partial@example.test>: 550 5.1.1"),
              std::string::npos)
        << closing;
    const std::vector<ReceivedMail> mails = DeliveredOnce("partial.a@example.test", 1);
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].rcptTos,
              (std::vector<std::string>{"partial.a@example.test", "partial.b@example.test"}));
}

TEST_F(BulkSend, TraceToStandardErrorCanBeSwitchedOff)
{
    UseListener("counted", false);
    Compose("quiet@example.test");
    testing::internal::CaptureStderr();
    ASSERT_EQ(client->Send(), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(client->SetOption(kOptionTraceToStandardError, 0), 1);
    testing::internal::CaptureStderr();
    ASSERT_EQ(client->Send(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// The asynchronous side: several workers, each on its own kept connection.
class BulkAsync : public BulkSend {
public:
    BulkAsync() { client->SetAsyncCallback(&callback); }

    std::vector<int> Queue(int count)
    {
        std::vector<int> taskIds;
        for (int queued = 0; queued < count; ++queued)
            taskIds.push_back(client->SendAsync());
        return taskIds;
    }

    RecordingCallback callback;
};

TEST_F(BulkAsync, FourConnectionsServeTheQueue)
{
    UseListener("concurrency_library", false);
    Keep(10);
    ASSERT_EQ(client->SetOption(kOptionAsyncConnections, 4), 1);
    Compose("four@example.test");
    const std::vector<int> taskIds = Queue(60);
    ASSERT_TRUE(PumpUntil(callback, 60));
    std::set<int> completed;
    for (const Completion& completion : callback.completions) {
        EXPECT_EQ(completion.resultCode, 1) << completion.message;
        EXPECT_EQ(completion.thread, std::this_thread::get_id());
        completed.insert(completion.taskId);
    }
    EXPECT_EQ(completed, std::set<int>(taskIds.begin(), taskIds.end()));
    const std::vector<ReceivedMail> mails = DeliveredOnce("four@example.test", 60);
    const std::map<int, int> perConnection = MailsPerConnection(mails);
    EXPECT_GT(perConnection.size(), 4u);
    for (const auto& connection : perConnection)
        EXPECT_LE(connection.second, 10);
    for (const ReceivedMail& mail : mails)
        EXPECT_LE(mail.openConnections, 4);
}

// Many tasks on four workers, cancelled in part while they run: every task
// completes once or is withdrawn, and every completed one was delivered once.
TEST_F(BulkAsync, CancelsBetweenManyQueuedTasks)
{
    UseListener("counted", false);
    Keep(100);
    ASSERT_EQ(client->SetOption(kOptionAsyncConnections, 4), 1);
    Compose("many@example.test");
    const std::vector<int> taskIds = Queue(500);
    int withdrawn = 0;
    for (size_t at = 450; at < taskIds.size(); at += 7)
        withdrawn += client->CancelAsync(taskIds[at]) == 1 ? 1 : 0;
    ASSERT_TRUE(PumpUntil(callback, 500 - withdrawn, 120000));
    std::set<int> completed;
    for (const Completion& completion : callback.completions) {
        EXPECT_EQ(completion.resultCode, 1) << completion.message;
        EXPECT_TRUE(completed.insert(completion.taskId).second);
    }
    DeliveredOnce("many@example.test", completed.size());
}

// The rate holds over all connections: six mails at 120 a minute take at
// least five half-seconds, however many workers.
TEST_F(BulkAsync, RateHoldsAcrossConnections)
{
    UseListener("counted", false);
    ASSERT_EQ(client->SetOption(kOptionAsyncConnections, 3), 1);
    ASSERT_EQ(client->SetOption(kOptionMessagesPerMinute, 120), 1);
    Compose("rate@example.test");
    const auto start = std::chrono::steady_clock::now();
    Queue(6);
    ASSERT_TRUE(PumpUntil(callback, 6));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    DeliveredOnce("rate@example.test", 6);
}

TEST_F(BulkAsync, CompletionDetailIsTheServersOwnWords)
{
    UseListener("refuse_unknown_rcpt", false);
    ASSERT_EQ(client->SetOption(kOptionPartialDelivery, 1), 1);
    ASSERT_EQ(client->SetOption(kOptionCompletionDetail, 1), 1);
    Compose("detail@example.test");
    message->AddTo(W("unknown.detail@example.test").c_str(), W("").c_str());
    testing::internal::CaptureStderr();
    Queue(1);
    ASSERT_TRUE(PumpUntil(callback, 1));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(callback.completions[0].resultCode, 1);
    EXPECT_EQ(callback.completions[0].message,
              "Accepted: 250 Message accepted for delivery\nRefused at "
              "RCPT TO:<unknown.detail@example.test>: 550 5.1.1 "
              "<unknown.detail@example.test>: Recipient address rejected: User unknown\n");
}

} // namespace
