// Sender, subject, bodies, charset, priority and the Clear selectors.
#include <gtest/gtest.h>

#include <string>

#include "TestText.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using SMTPClientTest::U8;
using SMTPClientTest::W;

namespace {

// Puts something in every field that Clear(0) empties.
void FillEverything(CMimeMessage& message)
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

// Sender and name|To Cc Bcc counts|attachments images|priority|subject|text|html|charset
std::string State(CMimeMessage& m)
{
    return U8(m.GetFrom(0)) + " " + U8(m.GetFrom(1)) + "|" + std::to_string(m.GetToCount()) + " " +
           std::to_string(m.GetCcCount()) + " " + std::to_string(m.GetBccCount()) + "|" +
           std::to_string(m.GetAttachmentCount()) + " " + std::to_string(m.GetInlineImageCount()) +
           "|" + std::to_string(m.GetPriority()) + "|" + U8(m.GetSubject()) + "|" +
           U8(m.GetTextBody()) + "|" + U8(m.GetHtmlBody()) + "|" + U8(m.GetCharset());
}

// A sender without a name keeps the earlier name; a refused one changes
// nothing.
TEST(MessageFields, SetFromKeepsTheEarlierNameAndRefusesBadAddresses)
{
    CMimeMessage message;
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

TEST(MessageFields, NullTextStoresEmptyButCharsetIgnoresNullAndEmpty)
{
    CMimeMessage message;
    FillEverything(message);
    message.SetSubject(nullptr);
    message.SetTextBody(nullptr);
    message.SetHtmlBody(nullptr);
    message.SetCharset(nullptr);
    message.SetCharset(W("").c_str());
    EXPECT_EQ("from@example.org Sender|1 1 1|1 1|2||||ISO-8859-1", State(message));
}

// Clear(0) also gives back what a new message holds, but keeps the charset.
TEST(MessageFields, ClearEmptiesWhatItsSelectorNames)
{
    const std::string tail = "|Subject|text|<p>html</p>|ISO-8859-1";
    const std::string full = "from@example.org Sender|1 1 1|1 1|2" + tail;
    const struct {
        int what;
        int result;
        std::string state;
    } cases[] = {
        {0, 1, " |0 0 0|0 0|0||||ISO-8859-1"},
        {1, 1, "from@example.org Sender|0 1 1|1 1|2" + tail},
        {2, 1, "from@example.org Sender|1 0 1|1 1|2" + tail},
        {3, 1, "from@example.org Sender|1 1 0|1 1|2" + tail},
        {4, 1, "from@example.org Sender|1 1 1|0 1|2" + tail},
        {5, 1, "from@example.org Sender|1 1 1|1 0|2" + tail},
        {6, 1, " |1 1 1|1 1|2" + tail},
        {7, -1, full}, {-1, -1, full}, {100, -1, full},
    };
    for (const auto& c : cases) {
        CMimeMessage message;
        FillEverything(message);
        EXPECT_EQ(c.result, message.Clear(c.what)) << "selector " << c.what;
        EXPECT_EQ(c.state, State(message)) << "selector " << c.what;
    }
    CMimeMessage fresh;
    EXPECT_EQ(" |0 0 0|0 0|0||||UTF-8", State(fresh));
}

} // namespace
