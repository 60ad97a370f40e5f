#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "TempFolder.h"
#include "smtpclient/platform/ComputerName.h"
#include "smtpclient/platform/FileSystem.h"
#include "smtpclient/platform/LocalTime.h"

using namespace SMTPClientNS;

namespace {

using PlatformFileLock = TempFolder;

TEST_F(PlatformFileLock, WriteIsRefusedWhileAnotherWriterHoldsTheFile)
{
    WriteBytes("held.log", "kept");
    int holder = open(FsPath("held.log").c_str(), O_RDWR);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);

    WString path = PathOf("held.log");
    EXPECT_FALSE(Platform::WriteFileExclusive(path.c_str(), false, "replaced"));
    EXPECT_FALSE(Platform::WriteFileExclusive(path.c_str(), true, "appended"));
    EXPECT_EQ(ReadBytes("held.log"), "kept");

    close(holder);
    EXPECT_TRUE(Platform::WriteFileExclusive(path.c_str(), true, "+more"));
    EXPECT_EQ(ReadBytes("held.log"), "kept+more");
}

TEST_F(PlatformFileLock, FifoIsNotReadAndDoesNotBlock)
{
    ASSERT_EQ(mkfifo(FsPath("pipe").c_str(), 0600), 0);
    std::vector<char> bytes;
    EXPECT_FALSE(Platform::ReadWholeFile(PathOf("pipe").c_str(), bytes));
}

TEST(PlatformLocalTimeZone, OffsetFollowsTheZone)
{
    struct Case {
        const char* zone;
        long offset;
    } cases[] = {{"UTC0", 0}, {"IST-5:30", 19800}, {"NST3:30", -12600}, {"XXX-14", 50400}};
    for (const Case& c : cases) {
        setenv("TZ", c.zone, 1);
        tzset();
        Platform::LocalTime now = Platform::LocalTimeNow();
        EXPECT_EQ(now.utcOffsetSeconds, c.offset) << c.zone;

        std::time_t seconds = std::time(nullptr);
        std::tm utc;
        gmtime_r(&seconds, &utc);
        long fieldsMinusUtc = static_cast<long>(timegm(&now.fields) - timegm(&utc));
        EXPECT_NEAR(fieldsMinusUtc, c.offset, 5) << c.zone;
    }
}

TEST(PlatformComputerNameOfHost, IsTheHostNameUpToItsFirstDot)
{
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    std::string full(host);
    EXPECT_EQ(Platform::ComputerName(), full.substr(0, full.find('.')));
}

} // namespace
