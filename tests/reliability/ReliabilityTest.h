// A send test whose sends go through Send or SendAsync, and the check that a
// client recovers: after whatever went wrong, plain settings deliver.
#ifndef SMTPCLIENT_TESTS_RELIABILITYTEST_H
#define SMTPCLIENT_TESTS_RELIABILITYTEST_H

#include <string>
#include <tuple>

#include "AsyncTestSupport.h"
#include "SendTestClient.h"

namespace SMTPClientTest {

enum class SendMode { Sync, Async };

class ReliabilityTest : public SendTest {
public:
    ReliabilityTest() { client->SetAsyncCallback(&recorder); }

    // The recorder goes before the base class releases the client.
    ~ReliabilityTest() override { client->SetAsyncCallback(nullptr); }

    // A fresh message on plain settings: a hostile value must not outlive its case.
    void Compose(const std::string& recipient)
    {
        message->Clear(0);
        message->SetCharset(W("UTF-8").c_str());
        SendTest::Compose(recipient);
        client->SetHost(W("127.0.0.1").c_str());
        UseListener("plain", false);
        client->SetTlsVersion(0);
        client->SetUseProxy(false);
        client->SetConnectTimeout(5);
        client->SetUser(W("").c_str());
        client->SetPassword(W("").c_str());
        client->SetOAuth2Token(W("").c_str());
    }

    // For SendAsync the code of its completion; 0 when none came.
    int SendIn(SendMode mode)
    {
        if (mode == SendMode::Sync)
            return client->Send();
        const size_t before = recorder.completions.size();
        const int taskId = client->SendAsync();
        if (taskId <= 0 || !PumpUntil(recorder, before + 1))
            return 0;
        EXPECT_EQ(taskId, recorder.completions.back().taskId);
        return recorder.completions.back().resultCode;
    }

    void ExpectRecovery(SendMode mode, const std::string& recipient)
    {
        Compose(recipient);
        EXPECT_EQ(1, SendIn(mode)) << "the client did not recover";
        EXPECT_FALSE(WaitForMailTo(recipient).rawPath.empty());
    }

    RecordingCallback recorder;
};

// "<row>_sync" or "<row>_async": a case that sends a table's row one way.
template <typename Row>
std::string ModeCaseName(const testing::TestParamInfo<std::tuple<Row, SendMode>>& info)
{
    const auto& [row, mode] = info.param;
    return std::string(row.name) + (mode == SendMode::Sync ? "_sync" : "_async");
}

} // namespace SMTPClientTest

#endif
