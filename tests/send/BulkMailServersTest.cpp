// Bulk sending against Postfix: a kept connection that the server times out,
// partial delivery with an unknown mailbox, and the server's own limits on
// connections and mails per client. Mail is counted where Postfix delivered
// it, by Message-ID.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

std::string MessageIdOf(const std::string& path)
{
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    const std::string raw = content.str();
    const size_t start = raw.find("Message-ID: ");
    return start == std::string::npos ? "" : raw.substr(start, raw.find('\n', start) - start);
}

// Waits until count mails for recipient were delivered, then checks that
// no Message-ID came twice and that no more came.
void ExpectDeliveredOnce(const std::string& recipient, size_t count)
{
    if (count > 0) {
        EXPECT_TRUE(EventuallyTrue(
            [&] { return DeliveredTo("postfix", recipient).size() >= count; }, 20000));
    }
    std::set<std::string> ids;
    const std::vector<std::string> paths = DeliveredTo("postfix", recipient);
    for (const std::string& path : paths)
        EXPECT_TRUE(ids.insert(MessageIdOf(path)).second) << "twice: " << MessageIdOf(path);
    EXPECT_EQ(paths.size(), count);
}

class BulkPostfix : public SendTest {
public:
    BulkPostfix()
    {
        client->SetUseTls(false);
        client->SetOption(kOptionKeepConnection, 1);
    }
};

// Postfix says 421 and hangs up on a connection idle for 2 s; the next mail
// goes on a new connection, without the host seeing anything of it.
TEST_F(BulkPostfix, ConnectionTimedOutByTheServerIsReplaced)
{
    client->SetPort(ServerPort("postfix_bulk"));
    Compose("idle@example.org");
    ASSERT_EQ(client->Send(), 1) << U8(client->GetLastLogEntry());
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    ASSERT_EQ(client->Send(), 1) << U8(client->GetLastLogEntry());
    ASSERT_EQ(client->Send(), 1) << U8(client->GetLastLogEntry());
    ExpectDeliveredOnce("idle@example.org", 3);
}

TEST_F(BulkPostfix, PartialDeliverySkipsTheUnknownMailbox)
{
    client->SetPort(ServerPort("postfix_bulk"));
    client->SetOption(kOptionPartialDelivery, 1);
    Compose("partial.known@example.org");
    message->AddTo(W("unknown.mailbox@example.org").c_str(), W("").c_str());
    message->AddCc(W("partial.other@example.org").c_str(), W("").c_str());
    ASSERT_EQ(client->Send(), 1) << U8(client->GetLastLogEntry());
    const std::string closing = U8(client->GetLastLogEntry());
    EXPECT_NE(closing.find("Refused at RCPT TO:<unknown.mailbox@example.org>: 550 5.1.1"),
              std::string::npos)
        << closing;
    ExpectDeliveredOnce("partial.known@example.org", 1);
    ExpectDeliveredOnce("partial.other@example.org", 1);
    ExpectDeliveredOnce("unknown.mailbox@example.org", 0);
}

// Postfix allows 2 connections at once and 20 mails a minute: 4 workers
// meet its 421 and 450. Every task ends, in 1 or a failure; what succeeded
// was delivered once, and nothing else was.
TEST_F(BulkPostfix, ServerLimitsEndTasksButNeverDuplicate)
{
    RecordingCallback callback;
    client->SetAsyncCallback(&callback);
    client->SetPort(ServerPort("postfix_limits"));
    client->SetOption(kOptionAsyncConnections, 4);
    Compose("limits@example.org");
    const int tasks = 30;
    for (int queued = 0; queued < tasks; ++queued)
        ASSERT_GT(client->SendAsync(), 0);
    ASSERT_TRUE(PumpUntil(callback, tasks, 60000));
    size_t delivered = 0;
    for (const Completion& completion : callback.completions) {
        EXPECT_TRUE(completion.resultCode == 1 || completion.resultCode < 0);
        delivered += completion.resultCode == 1 ? 1 : 0;
    }
    EXPECT_LE(delivered, 20u);
    EXPECT_GT(delivered, 0u);
    ExpectDeliveredOnce("limits@example.org", delivered);
}

} // namespace
