// Sender, subject, bodies, charset, priority and the Clear selectors.
#include <gtest/gtest.h>

#include "TestText.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;
using SMTPClientTest::W;

namespace {

class MessageFields : public ::testing::Test {
protected:
    // Puts something in every field that Clear(0) empties.
    void FillEverything()
    {
        message.SetFrom(W("from@example.org").c_str(), W("Sender").c_str());
        message.AddTo(W("to@example.org").c_str(), nullptr);
        message.AddCc(W("cc@example.org").c_str(), nullptr);
        message.AddBcc(W("bcc@example.org").c_str(), nullptr);
        message.AddAttachment(W(".").c_str());
        message.AddInlineImage(W(".").c_str(), W("img").c_str());
        message.SetSubject(W("Subject").c_str());
        message.SetTextBody(W("text").c_str());
        message.SetHtmlBody(W("<p>html</p>").c_str());
        message.SetPriority(2);
        message.SetCharset(W("ISO-8859-1").c_str());
    }

    CMimeMessage message;
};

// A sender without a name keeps the earlier name; a refused one changes
// nothing.
TEST_F(MessageFields, SetFromKeepsTheEarlierNameAndRefusesBadAddresses)
{
    EXPECT_EQ(1, message.SetFrom(W("first@example.org").c_str(), W("J\xC3\xBCrgen").c_str()));
    EXPECT_EQ(1, message.SetFrom(W("second@example.org").c_str(), W("").c_str()));
    EXPECT_EQ(1, message.SetFrom(W("third@example.org").c_str(), nullptr));
    EXPECT_EQ(-1, message.SetFrom(W("@example.org").c_str(), W("Other").c_str()));
    EXPECT_EQ(-1, message.SetFrom(W("x@y\nRCPT TO:<z@w>").c_str(), nullptr));
    EXPECT_EQ(-1, message.SetFrom(nullptr, W("Other").c_str()));
    EXPECT_EQ("third@example.org", U8(message.GetFrom(0)));
    EXPECT_EQ("J\xC3\xBCrgen", U8(message.GetFrom(1)));
    EXPECT_EQ("", U8(message.GetFrom(2)));
    EXPECT_EQ("", U8(message.GetFrom(-1)));
}

TEST_F(MessageFields, NullTextStoresEmptyButCharsetIgnoresNullAndEmpty)
{
    FillEverything();
    message.SetSubject(nullptr);
    message.SetTextBody(nullptr);
    message.SetHtmlBody(nullptr);
    message.SetCharset(nullptr);
    message.SetCharset(W("").c_str());
    EXPECT_EQ("", U8(message.GetSubject()));
    EXPECT_EQ("", U8(message.GetTextBody()));
    EXPECT_EQ("", U8(message.GetHtmlBody()));
    EXPECT_EQ("ISO-8859-1", U8(message.GetCharset()));

    message.SetCharset(W("no-such-charset").c_str());
    EXPECT_EQ("no-such-charset", U8(message.GetCharset()));
}

// Clear(0) must also give back what a new message holds.
TEST_F(MessageFields, ClearEverythingKeepsOnlyTheCharset)
{
    EXPECT_EQ("UTF-8", U8(message.GetCharset()));
    FillEverything();
    EXPECT_EQ(1, message.Clear(0));
    EXPECT_EQ("ISO-8859-1", U8(message.GetCharset()));
    EXPECT_EQ(0, message.GetPriority());
    EXPECT_EQ("", U8(message.GetSubject()));
    EXPECT_EQ("", U8(message.GetTextBody()));
    EXPECT_EQ("", U8(message.GetHtmlBody()));
    EXPECT_EQ("", U8(message.GetFrom(0)));
    EXPECT_EQ("", U8(message.GetFrom(1)));
    EXPECT_EQ(0, message.GetToCount() + message.GetCcCount() + message.GetBccCount());
    EXPECT_EQ(0, message.GetAttachmentCount() + message.GetInlineImageCount());
}

TEST_F(MessageFields, ClearSelectorsEmptyOneFieldEachAndUnknownOnesNothing)
{
    FillEverything();
    for (int what : {7, -1, 100}) {
        EXPECT_EQ(-1, message.Clear(what)) << "selector " << what;
    }
    EXPECT_EQ(1, message.GetAttachmentCount());
    EXPECT_EQ(2, message.GetPriority());
    EXPECT_EQ(1, message.Clear(4));
    EXPECT_EQ(0, message.GetAttachmentCount());
    EXPECT_EQ(1, message.GetInlineImageCount());
    EXPECT_EQ(1, message.Clear(5));
    EXPECT_EQ(0, message.GetInlineImageCount());
    EXPECT_EQ("from@example.org", U8(message.GetFrom(0)));
    EXPECT_EQ(1, message.Clear(6));
    EXPECT_EQ("", U8(message.GetFrom(0)));
    EXPECT_EQ("", U8(message.GetFrom(1)));
    EXPECT_EQ(1, message.GetToCount());
    EXPECT_EQ("Subject", U8(message.GetSubject()));
}

} // namespace
