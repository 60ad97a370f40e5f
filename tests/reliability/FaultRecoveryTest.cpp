// Faults on the way to the server: each send ends in its mapped result code,
// synchronously and through SendAsync, and the same client then delivers.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "ReliabilityTest.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

const size_t kLargeAttachmentBytes = 4 * 1024 * 1024;

// A loopback port that nothing listens on: bound once, then closed.
int ClosedPort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

class FaultRecovery;

struct Fault {
    const char* name;
    void (*arrange)(FaultRecovery& test);
    int resultCode;
};

struct FaultCase {
    Fault fault;
    SendMode mode;
};

class FaultRecovery : public ReliabilityTest, public testing::WithParamInterface<FaultCase> {
public:
    using ReliabilityTest::client;

    void UseListener(const char* name, bool tls)
    {
        client->SetPort(ServerPort(name));
        client->SetUseTls(tls);
    }

    void AttachFile(const std::string& name, const std::string& content)
    {
        const std::string path = TempPath(name);
        WriteFile(path, content);
        ASSERT_EQ(1, message->AddAttachment(W(path).c_str()));
    }

    void AttachThenDelete()
    {
        const std::string path = TempPath("vanishing.txt");
        WriteFile(path, "here when added, gone when sent\r\n");
        ASSERT_EQ(1, message->AddAttachment(W(path).c_str()));
        std::remove(path.c_str());
    }

    void UseProxy(int port, const char* user, const char* password)
    {
        ASSERT_EQ(1, client->SetProxy(W("127.0.0.1").c_str(), port, 2, W(user).c_str(),
                                      W(password).c_str()));
    }

    void LogTo(const std::string& path) { client->SetLogFile(W(path).c_str(), false); }
};

std::ostream& operator<<(std::ostream& out, const FaultCase& test)
{
    return out << test.fault.name << (test.mode == SendMode::Sync ? " sync" : " async");
}

std::string CaseName(const testing::TestParamInfo<FaultCase>& info)
{
    return std::string(info.param.fault.name) + (info.param.mode == SendMode::Sync ? "_sync" : "_async");
}

// The server hangs up once 256 KB of the message arrived: libcurl is still
// writing the attachment and its next write fails.
const Fault kDroppedInAttachment = {"dropped_in_large_attachment", [](FaultRecovery& test) {
    test.UseListener("drop_in_large_data", false);
    test.AttachFile("large.bin", std::string(kLargeAttachmentBytes, 'x'));
}, -13};

// The server offers TLS 1.2 and later only.
const Fault kTlsVersionRefused = {"tls_1_0_refused", [](FaultRecovery& test) {
    test.UseListener("starttls", true);
    test.client->SetTlsVersion(1);
}, -8};

// The server agrees to STARTTLS and answers the hello with garbage.
const Fault kTlsGarbage = {"tls_handshake_garbage", [](FaultRecovery& test) {
    test.UseListener("starttls_garbage", true);
}, -8};

// libcurl's proxy failure (CURLE_PROXY) has no row of its own.
const Fault kProxyWrongLogin = {"proxy_wrong_login", [](FaultRecovery& test) {
    test.UseProxy(ServerPort("socks5_auth"), "proxyuser", "wrong");
}, -1};

const Fault kProxyNotListening = {"proxy_not_listening", [](FaultRecovery& test) {
    test.UseProxy(ClosedPort(), "", "");
}, -5};

// The connect time-out covers the greeting and the EHLO reply.
const Fault kStallAfterGreeting = {"stall_after_greeting", [](FaultRecovery& test) {
    test.UseListener("stall_after_greeting", false);
    test.client->SetConnectTimeout(1);
}, -11};

// libcurl opens the file only when it reads the part: a read error.
const Fault kAttachmentDeleted = {"attachment_deleted_before_send", [](FaultRecovery& test) {
    test.AttachThenDelete();
}, -16};

// The mail goes out; the log file is not written and nobody is told.
const Fault kLogIsFolder = {"log_file_is_a_folder", [](FaultRecovery& test) {
    test.LogTo(testing::TempDir());
}, 1};

const Fault kLogInMissingFolder = {"log_file_in_missing_folder", [](FaultRecovery& test) {
    test.LogTo(testing::TempDir() + "no_such_folder/send.log");
}, 1};

} // namespace

INSTANTIATE_TEST_SUITE_P(Sync, FaultRecovery, testing::Values(
    FaultCase{kDroppedInAttachment, SendMode::Sync},
    FaultCase{kTlsVersionRefused, SendMode::Sync},
    FaultCase{kTlsGarbage, SendMode::Sync},
    FaultCase{kProxyWrongLogin, SendMode::Sync},
    FaultCase{kProxyNotListening, SendMode::Sync},
    FaultCase{kStallAfterGreeting, SendMode::Sync},
    FaultCase{kAttachmentDeleted, SendMode::Sync},
    FaultCase{kLogIsFolder, SendMode::Sync},
    FaultCase{kLogInMissingFolder, SendMode::Sync}), CaseName);

// An asynchronous send writes no log, so the log faults do not apply.
INSTANTIATE_TEST_SUITE_P(Async, FaultRecovery, testing::Values(
    FaultCase{kDroppedInAttachment, SendMode::Async},
    FaultCase{kTlsVersionRefused, SendMode::Async},
    FaultCase{kTlsGarbage, SendMode::Async},
    FaultCase{kProxyWrongLogin, SendMode::Async},
    FaultCase{kProxyNotListening, SendMode::Async},
    FaultCase{kStallAfterGreeting, SendMode::Async},
    FaultCase{kAttachmentDeleted, SendMode::Async}), CaseName);

TEST_P(FaultRecovery, EndsInItsCodeAndTheClientDeliversNext)
{
    const FaultCase& test = GetParam();
    const std::string tag = CaseName(testing::TestParamInfo<FaultCase>(test, 0));
    Compose("fault-" + tag + "@example.test");
    test.fault.arrange(*this);
    EXPECT_EQ(test.fault.resultCode, SendIn(test.mode));
    if (test.fault.resultCode != 1) {
        EXPECT_TRUE(MailTo("fault-" + tag + "@example.test").empty());
    }
    ExpectRecovery(test.mode, "recovered-" + tag + "@example.test");
}

// After a log file that could not be written, a writable one gets the trace.
TEST_F(FaultRecovery, WritableLogFileAfterAnUnwritableOne)
{
    Compose("log-recovery@example.test");
    LogTo(testing::TempDir());
    ASSERT_EQ(1, client->Send());
    const std::string path = TempPath("recovered.log");
    LogTo(path);
    std::ifstream log(path);
    std::string firstLine;
    EXPECT_TRUE(std::getline(log, firstLine)) << "no log written to " << path;
}
