// Faults on the way to the server: each send ends in its mapped result code,
// synchronously and through SendAsync, and the same client then delivers.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <tuple>

#include "LoopbackPort.h"
#include "ReliabilityTest.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

class FaultRecovery;

struct Fault {
    const char* name;
    int resultCode;
    int rawOutcome; // libcurl's, kept by a synchronous send
    void (*arrange)(FaultRecovery& test);
};

void PrintTo(const Fault& fault, std::ostream* out)
{
    *out << fault.name;
}

typedef std::tuple<Fault, SendMode> Case;

class FaultRecovery : public ReliabilityTest, public testing::WithParamInterface<Case> {
public:
    void Attach(const std::string& name, const std::string& content)
    {
        ASSERT_EQ(1, message->AddAttachment(W(folder.Write(name, content)).c_str()));
    }

    void UseProxy(int port, const char* password)
    {
        ASSERT_EQ(1, client->SetProxy(W("127.0.0.1").c_str(), port, 2, W("proxyuser").c_str(),
                                      W(password).c_str()));
    }

    LoopbackPort closedPort{false}; // connections to it are refused
};

typedef FaultRecovery& T;
const Fault kFaults[] = {
    // The server hangs up once 256 KB arrived, while libcurl still writes.
    {"dropped_in_large_attachment", -13, CURLE_SEND_ERROR,
     [](T t) {
         t.UseListener("drop_in_large_data", false);
         t.Attach("large.bin", std::string(4 * 1024 * 1024, 'x'));
     }},
    // The server offers TLS 1.2 and later only.
    {"tls_1_0_refused", -8, CURLE_SSL_CONNECT_ERROR,
     [](T t) {
         t.UseListener("starttls", true);
         t.client->SetTlsVersion(1);
     }},
    {"tls_handshake_garbage", -8, CURLE_SSL_CONNECT_ERROR,
     [](T t) { t.UseListener("starttls_garbage", true); }},
    {"proxy_wrong_login", -1, CURLE_PROXY,
     [](T t) { t.UseProxy(ServerPort("socks5_auth"), "wrong"); }},
    {"proxy_not_listening", -5, CURLE_COULDNT_CONNECT,
     [](T t) { t.UseProxy(t.closedPort.Port(), ""); }},
    // The connect time-out covers the greeting and the EHLO reply.
    {"stall_after_greeting", -11, CURLE_OPERATION_TIMEDOUT,
     [](T t) {
         t.UseListener("stall_after_greeting", false);
         t.client->SetConnectTimeout(1);
     }},
    // libcurl opens the file only when it reads the part.
    {"attachment_deleted_before_send", -16, CURLE_READ_ERROR,
     [](T t) {
         t.Attach("vanishing.txt", "gone when sent\r\n");
         std::remove(t.folder.Path("vanishing.txt").c_str());
     }},
    // A pipe put in the file's place opens without waiting for a writer, is
    // found no regular file and ends the send at once.
    {"attachment_replaced_by_a_fifo", -16, CURLE_READ_ERROR,
     [](T t) {
         t.Attach("swapped.txt", "a file when added\r\n");
         std::remove(t.folder.Path("swapped.txt").c_str());
         ASSERT_EQ(0, mkfifo(t.folder.Path("swapped.txt").c_str(), 0600));
     }},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Faults, FaultRecovery,
                         testing::Combine(testing::ValuesIn(kFaults),
                                          testing::Values(SendMode::Sync, SendMode::Async)),
                         ModeCaseName<Fault>);

TEST_P(FaultRecovery, EndsInItsCodeAndTheClientDeliversNext)
{
    const auto& [fault, mode] = GetParam();
    const std::string tag = ModeCaseName(testing::TestParamInfo<Case>(GetParam(), 0));
    Compose("fault-" + tag + "@example.test");
    fault.arrange(*this);
    EXPECT_EQ(fault.resultCode, SendIn(mode));
    if (mode == SendMode::Sync) {
        EXPECT_EQ(fault.rawOutcome, client->GetLastResultCode());
    }
    EXPECT_TRUE(MailTo("fault-" + tag + "@example.test").empty());
    ExpectRecovery(mode, "recovered-" + tag + "@example.test");
}
