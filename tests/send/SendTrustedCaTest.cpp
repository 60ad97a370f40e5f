// A server certificate issued by the test CA is accepted once that CA is
// trusted. libcurl reads its compiled-in CA locations under /etc/ssl/certs,
// so the test process gets a private mount namespace in which that folder
// holds only the test CA; the machine's trust store is never touched.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "SendTestClient.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

const char kTrustFolder[] = "/etc/ssl/certs";

bool WriteProcFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path);
    file << text;
    file.flush();
    return file.good();
}

// Must run while the process has a single thread.
::testing::AssertionResult TrustOnly(const std::string& caFile, const std::string& folder)
{
    mkdir(folder.c_str(), 0700);
    std::ofstream(folder + "/ca-certificates.crt", std::ios::binary)
        << std::ifstream(caFile, std::ios::binary).rdbuf();
    const std::string uid = std::to_string(getuid());
    const std::string gid = std::to_string(getgid());
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return ::testing::AssertionFailure() << "unshare failed";
    if (!WriteProcFile("/proc/self/setgroups", "deny")
        || !WriteProcFile("/proc/self/uid_map", "0 " + uid + " 1")
        || !WriteProcFile("/proc/self/gid_map", "0 " + gid + " 1"))
        return ::testing::AssertionFailure() << "user mapping failed";
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || mount(folder.c_str(), kTrustFolder, nullptr, MS_BIND, nullptr) != 0)
        return ::testing::AssertionFailure() << "bind mount failed";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(SendTest, AcceptedWhenTheTestCaIsTrusted)
{
    ASSERT_TRUE(TrustOnly(TestCaFile(), folder.Path("trusted_ca")));
    Compose("ca-trusted@example.test");
    UseListener("tls_ca", true);
    client->SetVerifyCertificate(1);
    EXPECT_EQ(1, client->Send());
    EXPECT_TRUE(WaitForMailTo("ca-trusted@example.test").tls);
}
