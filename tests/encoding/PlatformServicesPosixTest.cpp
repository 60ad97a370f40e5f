#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "TestText.h"
#include "smtpclient/platform/ComputerName.h"
#include "smtpclient/platform/FileSystem.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

TEST(PlatformFileLock, WriteIsRefusedWhileAnotherWriterHoldsTheFile)
{
    TempFolder folder;
    const WString path = W(folder.Write("held.log", "kept"));
    int holder = open(folder.Path("held.log").c_str(), O_RDWR);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(0, flock(holder, LOCK_EX));

    EXPECT_FALSE(Platform::WriteFileExclusive(path.c_str(), false, "replaced"));
    EXPECT_FALSE(Platform::WriteFileExclusive(path.c_str(), true, "appended"));
    EXPECT_EQ("kept", folder.Read("held.log"));

    close(holder);
    EXPECT_TRUE(Platform::WriteFileExclusive(path.c_str(), true, "+more"));
    EXPECT_EQ("kept+more", folder.Read("held.log"));
}

TEST(PlatformFileLock, FifoIsNotReadAndDoesNotBlock)
{
    TempFolder folder;
    ASSERT_EQ(0, mkfifo(folder.Path("pipe").c_str(), 0600));
    std::vector<char> bytes;
    EXPECT_FALSE(Platform::ReadWholeFile(W(folder.Path("pipe")).c_str(), bytes));
}

TEST(PlatformComputerNameOfHost, IsTheHostNameUpToItsFirstDot)
{
    char host[256] = {};
    ASSERT_EQ(0, gethostname(host, sizeof host - 1));
    const std::string full(host);
    EXPECT_EQ(full.substr(0, full.find('.')), Platform::ComputerName());
}

} // namespace
