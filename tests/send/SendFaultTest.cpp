// Servers that refuse, hang up or go quiet: each ends in its mapped code.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

struct Fault {
    const char* listener;
    int rawOutcome;
    int resultCode;
};

class SendFault : public SendTest, public testing::WithParamInterface<Fault> {};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.listener; }

} // namespace

// A refused MAIL, RCPT or DATA command is a send error; a refused message
// after its final dot is a reply libcurl does not expect.
INSTANTIATE_TEST_SUITE_P(Listeners, SendFault, testing::Values(
    Fault{"reject_mail_4xx", CURLE_SEND_ERROR, -13},
    Fault{"reject_mail_5xx", CURLE_SEND_ERROR, -13},
    Fault{"reject_rcpt_4xx", CURLE_SEND_ERROR, -13},
    Fault{"reject_rcpt_5xx", CURLE_SEND_ERROR, -13},
    Fault{"reject_data_4xx", CURLE_WEIRD_SERVER_REPLY, -1},
    Fault{"reject_data_5xx", CURLE_WEIRD_SERVER_REPLY, -1},
    Fault{"stall_greeting", CURLE_OPERATION_TIMEDOUT, -11},
    Fault{"stall_after_greeting", CURLE_OPERATION_TIMEDOUT, -11}),
    [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.listener); });

TEST_P(SendFault, EndsInItsMappedCode)
{
    Compose(std::string(GetParam().listener) + "@example.test");
    UseListener(GetParam().listener, false);
    client->SetConnectTimeout(1);
    EXPECT_EQ(GetParam().resultCode, client->Send());
    EXPECT_EQ(GetParam().rawOutcome, client->GetLastResultCode());
}

TEST_F(SendTest, ConnectionDroppedInData)
{
    Compose("dropped@example.test");
    UseListener("drop_in_data", false);
    const int result = client->Send();
    EXPECT_TRUE(result == -13 || result == -14 || result == -1) << result;
    EXPECT_NE(0, client->GetLastResultCode());
}
