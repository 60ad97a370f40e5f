#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "TempFolder.h"
#include "TestText.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// Kinds 0 and 1 fill the text body, 2 to 5 the HTML body, 4 and 5 then embed
// the images the HTML names; a file that gives no text keeps the old body.
// The fuzz target checks that a kind touches no other body.
TEST(LoadBodyFromFile, FillsTheBodyOfItsKind)
{
    TempFolder folder;
    const std::string image = folder.Write("a.png", "png");
    const std::string page = "<p>Grüße</p><IMG SRC=\"" + image + "\"><img src=\"" + image + "\">";
    const std::string body = "\xEF\xBB\xBFGrüße\r\nzweite Zeile <b>"; // the BOM stays
    const struct {
        int kind;
        std::string file; // written unless "missing"
        std::string text, html;
        int images;
    } cases[] = {
        {1, body, body, "old", 0},
        {3, body, "old", body, 0},
        {5, page, "old",
         "<p>Grüße</p><IMG SRC=\"cid:" + image + "\"><img src=\"cid:" + image + "\">", 2},
        {1, std::string("abc\0def", 7), "abc", "old", 0},
        {3, std::string("\0abc", 4), "old", "old", 0},
        {4, "", "old", "old", 0},
        {3, "missing", "old", "old", 0},
    };
    for (const auto& c : cases) {
        const std::string path =
            c.file == "missing" ? folder.Path("missing") : folder.Write("body", c.file);
        CMimeMessage message;
        message.SetTextBody(W("old").c_str());
        message.SetHtmlBody(W("old").c_str());
        message.LoadBodyFromFile(W(path).c_str(), c.kind);
        SCOPED_TRACE(testing::Message()
                     << "kind " << c.kind << ", file " << testing::PrintToString(c.file));
        EXPECT_EQ(c.text, U8(message.GetTextBody()));
        EXPECT_EQ(c.html, U8(message.GetHtmlBody()));
        EXPECT_EQ(c.images, message.GetInlineImageCount());
    }
}

// Only a regular file gives a body: a FIFO has no end to read to (the load
// neither waits for a writer nor takes a body from it), a device none worth
// sending, a folder no content.
TEST(LoadBodyFromFile, TakesNoBodyFromAPipeADeviceOrAFolder)
{
    TempFolder folder;
    ASSERT_EQ(0, mkfifo(folder.Path("pipe").c_str(), 0600));
    for (const std::string& path : {folder.Path("pipe"), std::string("/dev/zero"), folder.Path()}) {
        CMimeMessage message;
        message.LoadBodyFromFile(W(path).c_str(), 1);
        EXPECT_EQ("", U8(message.GetTextBody())) << path;
    }
}

} // namespace
