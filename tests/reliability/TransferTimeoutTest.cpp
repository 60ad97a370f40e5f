// A server that stops moving ends the send with -11 on its own, after the
// bound that fits where it stopped: the data bound while message data is
// under way, the reply bound once the whole message went out. This program
// runs with bounds of 1 and 4 seconds (ShortTransferBounds.cpp).
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <tuple>

#include "ReliabilityTest.h"
#include "TestText.h"
#include "smtpclient/TransferTimeouts.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

typedef std::chrono::steady_clock Clock;

struct Stall {
    const char* name;         // the listener
    size_t attachmentBytes;   // 0: a short text mail
    long boundMs;             // the bound that must end the send
    const char* closingEntry; // what the session log says of it
};

void PrintTo(const Stall& stall, std::ostream* out)
{
    *out << stall.name;
}

typedef std::tuple<Stall, SendMode> Case;

class TransferTimeout : public ReliabilityTest, public testing::WithParamInterface<Case> {};

// The first attachment is far larger than the socket buffers, so the client
// still has data to send when the server stops reading.
const Stall kStalls[] = {
    {"stop_reading_in_data", 12 * 1024 * 1024, kTransferBounds.dataStallMs,
     "Send failed: The server took no message data for 1 seconds\n"},
    {"silent_after_data", 0, kTransferBounds.replyWaitMs,
     "Send failed: No reply came from the server for 4 seconds\n"},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Stalls, TransferTimeout,
                         testing::Combine(testing::ValuesIn(kStalls),
                                          testing::Values(SendMode::Sync, SendMode::Async)),
                         ModeCaseName<Stall>);

TEST_P(TransferTimeout, EndsInTimeOutAfterItsOwnBound)
{
    const auto& [stall, mode] = GetParam();
    const std::string tag = ModeCaseName(testing::TestParamInfo<Case>(GetParam(), 0));
    Compose("stall-" + tag + "@example.test");
    UseListener(stall.name, false);
    if (stall.attachmentBytes > 0) {
        const std::string path = folder.Write("large.bin", std::string(stall.attachmentBytes, 'x'));
        ASSERT_EQ(1, message->AddAttachment(W(path).c_str()));
    }
    const Clock::time_point started = Clock::now();
    EXPECT_EQ(-11, SendIn(mode));
    const long elapsedMs = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count());
    if (mode == SendMode::Sync) {
        EXPECT_EQ(CURLE_OPERATION_TIMEDOUT, client->GetLastResultCode());
        EXPECT_EQ(stall.closingEntry, U8(client->GetLastLogEntry()));
    }
    EXPECT_GE(elapsedMs, stall.boundMs);
    ExpectRecovery(mode, "recovered-" + tag + "@example.test");
}
