// Bodies loaded from files and the inline embedding of the images an HTML
// body names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "TestText.h"
#include "smtpclient/mime/BodyFromFile.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// The byte-order mark stays part of the body.
const std::string kBody = "\xEF\xBB\xBFGrüße\r\nzweite Zeile <b>";

struct Bodies {
    std::string text;
    std::string html;
};

Bodies Load(const std::string& path, int kind, const Bodies& before = {"old text", "old html"})
{
    CMimeMessage message;
    message.SetTextBody(W(before.text).c_str());
    message.SetHtmlBody(W(before.html).c_str());
    LoadBodyFromFile(message, W(path).c_str(), kind);
    return {U8(message.GetTextBody()), U8(message.GetHtmlBody())};
}

TEST(LoadBodyFromFile, EveryKindFillsItsOwnBody)
{
    TempFolder folder;
    const std::string file = folder.Write("body.txt", kBody);
    const struct {
        int kind;
        Bodies after;
    } cases[] = {
        {0, {kBody, "old html"}},  {1, {kBody, "old html"}},
        {2, {"old text", kBody}},  {3, {"old text", kBody}},
        {4, {"old text", kBody}},  {5, {"old text", kBody}},
        {6, {"old text", "old html"}}, {-1, {"old text", "old html"}},
    };
    for (const auto& c : cases) {
        const Bodies after = Load(file, c.kind);
        EXPECT_EQ(c.after.text, after.text) << "kind " << c.kind;
        EXPECT_EQ(c.after.html, after.html) << "kind " << c.kind;
    }
}

TEST(LoadBodyFromFile, EmptyMissingAndZeroLeadingFilesKeepTheBody)
{
    TempFolder folder;
    const std::string empty = folder.Write("empty.html", "");
    const std::string zeroFirst = folder.Write("zero.html", std::string("\0abc", 4));
    const std::string missing = folder.Path("missing.html");
    for (int kind = 0; kind <= 5; ++kind) {
        for (const std::string& file : {empty, zeroFirst, missing}) {
            const Bodies after = Load(file, kind);
            EXPECT_EQ("old text", after.text) << file << " kind " << kind;
            EXPECT_EQ("old html", after.html) << file << " kind " << kind;
        }
    }
    const std::string cut = folder.Write("cut.txt", std::string("abc\0def", 7));
    EXPECT_EQ("abc", Load(cut, 1).text);
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

    CMimeMessage blank;
    EmbedHtmlImages(blank);
    EXPECT_EQ("", U8(blank.GetHtmlBody()));
    EXPECT_EQ(0, blank.GetInlineImageCount());
}

} // namespace
