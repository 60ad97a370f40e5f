#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "TestText.h"
#include "smtpclient/platform/FileSystem.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// Existence, writing and Base64 are seen through the message, log and
// header tests; a whole read has cases of its own.
TEST(PlatformFileSystem, ReadsWholeFilesWithATrailingZero)
{
    TempFolder folder;
    const std::string content("body\0with zero\r\nÿ", 18);
    std::vector<char> bytes;
    ASSERT_TRUE(Platform::ReadWholeFile(W(folder.Write("body ü.txt", content)).c_str(), bytes));
    EXPECT_EQ(content + '\0', std::string(bytes.begin(), bytes.end()));
    ASSERT_TRUE(Platform::ReadWholeFile(W(folder.Write("empty.txt", "")).c_str(), bytes));
    EXPECT_EQ(std::vector<char>(1, '\0'), bytes);

    for (const std::string& path : {folder.Path("missing.txt"), folder.Path()}) {
        bytes.assign(3, 'x');
        EXPECT_FALSE(Platform::ReadWholeFile(W(path).c_str(), bytes)) << path;
        EXPECT_TRUE(bytes.empty());
    }
}

} // namespace
