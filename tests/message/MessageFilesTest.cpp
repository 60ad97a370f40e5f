// Attachments and inline images: paths checked for existence when added.
#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"
#include "TestText.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

class MessageFiles : public ::testing::Test {
protected:
    TempFolder folder;
    const std::string file = folder.Write("report.pdf", "pdf");
    const std::string accented = folder.Write("b\xC3\xA4r \xE6\x97\xA5\xE6\x9C\xAC.png", "png");
    CMimeMessage message;
};

TEST_F(MessageFiles, AttachmentsAcceptAnyExistingEntryAndKeepDuplicates)
{
    EXPECT_EQ(1, message.AddAttachment(W(file).c_str()));
    EXPECT_EQ(2, message.AddAttachment(W(file).c_str()));
    EXPECT_EQ(3, message.AddAttachment(W(folder.Path()).c_str()));
    EXPECT_EQ(-1, message.AddAttachment(W(folder.Path("missing.txt")).c_str()));
    EXPECT_EQ(-1, message.AddAttachment(W("").c_str()));
    EXPECT_EQ(-1, message.AddAttachment(nullptr));
    EXPECT_EQ(4, message.AddAttachment(W(accented).c_str()));
    EXPECT_EQ(4, message.GetAttachmentCount());
    EXPECT_EQ(file, U8(message.GetAttachment(2)));
    EXPECT_EQ(folder.Path(), U8(message.GetAttachment(3)));
    EXPECT_EQ(accented, U8(message.GetAttachment(4)));
    for (int index : {0, 5, -1})
        EXPECT_EQ("", U8(message.GetAttachment(index))) << index;
}

TEST_F(MessageFiles, InlineImagesKeepPathAndContentId)
{
    EXPECT_EQ(1, message.AddInlineImage(W(accented).c_str(), W("logo@local").c_str()));
    EXPECT_EQ(2, message.AddInlineImage(W(file).c_str(), nullptr));
    EXPECT_EQ(3, message.AddInlineImage(W(file).c_str(), W("logo@local").c_str()));
    EXPECT_EQ(-1, message.AddInlineImage(W(folder.Path("missing.png")).c_str(),
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
