// Bodies loaded from files and the inline embedding of the images an HTML
// body names.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "TempFolder.h"
#include "TestText.h"
#include "smtpclient/mime/BodyFromFile.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// The byte-order mark stays part of the body.
const std::string kBody = "\xEF\xBB\xBFGrüße\r\nzweite Zeile <b>";

typedef std::pair<std::string, std::string> Bodies;  // text, HTML
const Bodies kOld = {"old text", "old html"};

Bodies Load(const std::string& path, int kind)
{
    CMimeMessage message;
    message.SetTextBody(W(kOld.first).c_str());
    message.SetHtmlBody(W(kOld.second).c_str());
    LoadBodyFromFile(message, W(path).c_str(), kind);
    return {U8(message.GetTextBody()), U8(message.GetHtmlBody())};
}

// Empty, missing and zero-leading files keep the body whatever the kind.
TEST(LoadBodyFromFile, EveryKindFillsItsOwnBodyFromAReadableFile)
{
    TempFolder folder;
    const std::string file = folder.Write("body.txt", kBody);
    const std::string unreadable[] = {folder.Write("empty.html", ""),
                                      folder.Write("zero.html", std::string("\0abc", 4)),
                                      folder.Path("missing.html")};
    const struct {
        int kind;
        Bodies after;
    } cases[] = {
        {0, {kBody, "old html"}},  {1, {kBody, "old html"}},
        {2, {"old text", kBody}},  {3, {"old text", kBody}},
        {4, {"old text", kBody}},  {5, {"old text", kBody}},
        {6, kOld}, {-1, kOld},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind);
        EXPECT_EQ(c.after, Load(file, c.kind));
        for (const std::string& path : unreadable)
            EXPECT_EQ(kOld, Load(path, c.kind)) << path;
    }
    EXPECT_EQ("abc", Load(folder.Write("cut.txt", std::string("abc\0def", 7)), 1).first);
}

struct EmbedCase {
    const char* name;
    std::string html;  // "{a}" stands for the path of an existing image
    std::string rewritten;
    int images;  // inline images added, each with the path of "{a}"
};

std::string WithPath(std::string text, const std::string& path)
{
    for (size_t at = text.find("{a}"); at != std::string::npos; at = text.find("{a}", at)) {
        text.replace(at, 3, path);
        at += path.size();
    }
    return text;
}

TEST(EmbedHtmlImages, RewritesTheFirstQuotedValueOfEveryImgTag)
{
    TempFolder folder;
    const std::string image = folder.Write("a.png", "png bytes");
    const EmbedCase cases[] = {
        {"upper-case tag", "<P>Logo: <IMG SRC=\"{a}\"></P>",
         "<P>Logo: <IMG SRC=\"cid:{a}\"></P>", 1},
        {"alt before src", "<img alt=\"logo\" src=\"{a}\">",
         "<img alt=\"cid:logo\" src=\"{a}\">", 0},
        {"duplicate image", "<img src=\"{a}\"><br><img src=\"{a}\">",
         "<img src=\"cid:{a}\"><br><img src=\"cid:{a}\">", 2},
        {"no closing bracket", "<img src=\"{a}\"", "<img src=\"{a}\"", 0},
        {"quote before the tag", "He said \"hi\" <img src=\"{a}\"> bye",
         "He said \"hi\" <img src=\"cid:{a}\"> bye", 1},
        {"only the first opening bracket", "x < y <img src=\"{a}\">", "x < y <img src=\"{a}\">", 0},
        {"remote reference", "<img src=\"http://example.com/x.png\">",
         "<img src=\"cid:http://example.com/x.png\">", 0},
        {"empty value", "<img src=\"\">", "<img src=\"cid:\">", 0},
        {"single quotes", "<img src='{a}'>", "<img src='{a}'>", 0},
        {"quotes after the tag", "<img src={a}>\"x\"", "<img src={a}>\"x\"", 0},
        {"three letters decide", "<imgur title=\"{a}\">", "<imgur title=\"cid:{a}\">", 1},
        {"no body", "", "", 0},
    };
    for (const EmbedCase& c : cases) {
        CMimeMessage message;
        message.SetHtmlBody(W(WithPath(c.html, image)).c_str());
        EmbedHtmlImages(message);
        EXPECT_EQ(WithPath(c.rewritten, image), U8(message.GetHtmlBody())) << c.name;
        ASSERT_EQ(c.images, message.GetInlineImageCount()) << c.name;
        for (int i = 1; i <= c.images; ++i) {
            EXPECT_EQ(image, U8(message.GetInlineImagePath(i))) << c.name;
            EXPECT_EQ(image, U8(message.GetInlineImageContentId(i))) << c.name;
        }
    }
}

TEST(EmbedHtmlImages, RunsFromFileKindsFourAndFive)
{
    TempFolder folder;
    const std::string image = folder.Write("b.BMP", "bmp bytes");
    const std::string html = folder.Write("page.html", "<p>Grüße</p><Img src=\"" + image + "\">");
    for (int kind : {4, 5}) {
        CMimeMessage message;
        LoadBodyFromFile(message, W(html).c_str(), kind);
        EXPECT_EQ("<p>Grüße</p><Img src=\"cid:" + image + "\">", U8(message.GetHtmlBody()));
        EXPECT_EQ(1, message.GetInlineImageCount());
    }

    // An empty file leaves the body as it was, and its images are embedded.
    const std::string empty = folder.Write("empty.html", "");
    CMimeMessage message;
    message.SetHtmlBody(W("<img src=\"" + image + "\">").c_str());
    LoadBodyFromFile(message, W(empty).c_str(), 4);
    EXPECT_EQ("<img src=\"cid:" + image + "\">", U8(message.GetHtmlBody()));
    EXPECT_EQ(1, message.GetInlineImageCount());
}

} // namespace
