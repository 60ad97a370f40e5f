// Attachments and inline images: paths checked for existence when added.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "TestText.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;
using SMTPClientTest::W;

namespace {

class MessageFiles : public ::testing::Test {
protected:
    MessageFiles()
        : folder(std::filesystem::temp_directory_path() /
                 ("message-files-" + std::to_string(std::random_device()())))
    {
        std::filesystem::create_directories(folder);
        file = (folder / "report.pdf").string();
        accented = (folder / "b\xC3\xA4r \xE6\x97\xA5\xE6\x9C\xAC.png").string();
        std::ofstream(file) << "pdf";
        std::ofstream(accented) << "png";
    }
    ~MessageFiles() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    std::string file;
    std::string accented;
    CMimeMessage message;
};

TEST_F(MessageFiles, AttachmentsAcceptAnyExistingEntryAndKeepDuplicates)
{
    EXPECT_EQ(1, message.AddAttachment(W(file).c_str()));
    EXPECT_EQ(2, message.AddAttachment(W(file).c_str()));
    EXPECT_EQ(3, message.AddAttachment(W(folder.string()).c_str()));
    EXPECT_EQ(4, message.AddAttachment(W(accented).c_str()));
    EXPECT_EQ(4, message.GetAttachmentCount());
    EXPECT_EQ(file, U8(message.GetAttachment(2)));
    EXPECT_EQ(folder.string(), U8(message.GetAttachment(3)));
    EXPECT_EQ(accented, U8(message.GetAttachment(4)));
    EXPECT_EQ("", U8(message.GetAttachment(0)));
    EXPECT_EQ("", U8(message.GetAttachment(5)));
    EXPECT_EQ("", U8(message.GetAttachment(-1)));
}

TEST_F(MessageFiles, MissingOrNullAttachmentIsRefused)
{
    EXPECT_EQ(-1, message.AddAttachment(W((folder / "missing.txt").string()).c_str()));
    EXPECT_EQ(-1, message.AddAttachment(W("").c_str()));
    EXPECT_EQ(-1, message.AddAttachment(nullptr));
    EXPECT_EQ(0, message.GetAttachmentCount());
}

TEST_F(MessageFiles, InlineImagesKeepPathAndContentId)
{
    EXPECT_EQ(1, message.AddInlineImage(W(accented).c_str(), W("logo@local").c_str()));
    EXPECT_EQ(2, message.AddInlineImage(W(file).c_str(), nullptr));
    EXPECT_EQ(3, message.AddInlineImage(W(file).c_str(), W("logo@local").c_str()));
    EXPECT_EQ(-1, message.AddInlineImage(W((folder / "missing.png").string()).c_str(),
                                         W("x").c_str()));
    EXPECT_EQ(-1, message.AddInlineImage(nullptr, W("x").c_str()));

    EXPECT_EQ(3, message.GetInlineImageCount());
    EXPECT_EQ(accented, U8(message.GetInlineImagePath(1)));
    EXPECT_EQ("logo@local", U8(message.GetInlineImageContentId(1)));
    EXPECT_EQ(file, U8(message.GetInlineImagePath(2)));
    EXPECT_EQ("", U8(message.GetInlineImageContentId(2)));
    EXPECT_EQ("logo@local", U8(message.GetInlineImageContentId(3)));
    EXPECT_EQ("", U8(message.GetInlineImagePath(4)));
    EXPECT_EQ("", U8(message.GetInlineImageContentId(0)));
}

} // namespace
