#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "smtpclient/platform/Base64.h"
#include "smtpclient/platform/FileSystem.h"
#include "smtpclient/platform/Guid.h"

using namespace SMTPClientNS;

namespace {

std::string Base64(const std::string& bytes)
{
    std::string out;
    EXPECT_TRUE(Platform::AppendBase64(reinterpret_cast<const unsigned char*>(bytes.data()),
                                       static_cast<uint32_t>(bytes.size()), out));
    return out;
}

TEST(PlatformBase64, MatchesTheStandardVectors)
{
    EXPECT_EQ(Base64(""), "");
    EXPECT_EQ(Base64("f"), "Zg==");
    EXPECT_EQ(Base64("fo"), "Zm8=");
    EXPECT_EQ(Base64("foo"), "Zm9v");
    EXPECT_EQ(Base64("foob"), "Zm9vYg==");
    EXPECT_EQ(Base64("fooba"), "Zm9vYmE=");
    EXPECT_EQ(Base64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(Base64(std::string("\x00\xFB\xFF\xBF", 4)), "APv/vw==");
}

TEST(PlatformBase64, AppendsWithoutLineBreaksAndRefusesNull)
{
    std::string out = "=?utf-8?b?";
    std::string bytes(300, 'x');
    ASSERT_TRUE(Platform::AppendBase64(reinterpret_cast<const unsigned char*>(bytes.data()),
                                       300, out));
    EXPECT_EQ(out.size(), 10u + 400u);
    EXPECT_EQ(out.compare(0, 14, "=?utf-8?b?eHh4"), 0);
    EXPECT_EQ(out.find_first_of("\r\n"), std::string::npos);

    EXPECT_FALSE(Platform::AppendBase64(nullptr, 3, out));
    EXPECT_EQ(out.size(), 410u);
}

using PlatformFileSystem = TempFolder;

TEST_F(PlatformFileSystem, ExistsForFilesAndFoldersWithAnyName)
{
    WriteBytes("Grüße 日本.txt", "x");
    std::filesystem::create_directory(FsPath("folder"));

    EXPECT_TRUE(Platform::FileExists(PathOf("Grüße 日本.txt").c_str()));
    EXPECT_TRUE(Platform::FileExists(PathOf("folder").c_str()));
    EXPECT_FALSE(Platform::FileExists(PathOf("missing.txt").c_str()));
    EXPECT_FALSE(Platform::FileExists(PathOf("Grüsse 日本.txt").c_str()));
    EXPECT_FALSE(Platform::FileExists(SMTPCLIENT_TEXT("")));
    EXPECT_FALSE(Platform::FileExists(nullptr));
}

TEST_F(PlatformFileSystem, ReadsWholeFilesWithATrailingZero)
{
    const std::string content("body\0with zero\r\nÿ", 18);
    WriteBytes("body ü.txt", content);
    WriteBytes("empty.txt", "");

    std::vector<char> bytes;
    ASSERT_TRUE(Platform::ReadWholeFile(PathOf("body ü.txt").c_str(), bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content + '\0');

    ASSERT_TRUE(Platform::ReadWholeFile(PathOf("empty.txt").c_str(), bytes));
    EXPECT_EQ(bytes, std::vector<char>(1, '\0'));

    std::filesystem::create_directory(FsPath("folder"));
    for (const char* name : {"missing.txt", "folder"}) {
        bytes.assign(3, 'x');
        EXPECT_FALSE(Platform::ReadWholeFile(PathOf(name).c_str(), bytes)) << name;
        EXPECT_TRUE(bytes.empty());
    }
}

TEST_F(PlatformFileSystem, WritesCreateReplaceOrAppend)
{
    WString path = PathOf("session ö.log");
    EXPECT_TRUE(Platform::WriteFileExclusive(path.c_str(), true, "first\n"));
    EXPECT_EQ(ReadBytes("session ö.log"), "first\n");

    EXPECT_TRUE(Platform::WriteFileExclusive(path.c_str(), true, "second\n"));
    EXPECT_EQ(ReadBytes("session ö.log"), "first\nsecond\n");

    EXPECT_TRUE(Platform::WriteFileExclusive(path.c_str(), false, "new"));
    EXPECT_EQ(ReadBytes("session ö.log"), "new");

    EXPECT_TRUE(Platform::WriteFileExclusive(path.c_str(), false, ""));
    EXPECT_EQ(ReadBytes("session ö.log"), "");

    EXPECT_TRUE(Platform::WriteFileExclusive(PathOf("replaced.log").c_str(), false, "made"));
    EXPECT_EQ(ReadBytes("replaced.log"), "made");

    EXPECT_FALSE(Platform::WriteFileExclusive(PathOf("no/such/folder.log").c_str(), false, "x"));
    EXPECT_FALSE(Platform::WriteFileExclusive(SMTPCLIENT_TEXT(""), false, "x"));
}

TEST(PlatformGuid, EachGuidIsNew)
{
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        Platform::Guid guid;
        ASSERT_TRUE(Platform::CreateGuid(guid));
        seen.insert(std::string(reinterpret_cast<const char*>(&guid), sizeof guid));
    }
    EXPECT_EQ(seen.size(), 100u);
}

} // namespace
