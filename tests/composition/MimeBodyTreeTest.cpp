// The parts of the MIME tree that need no transfer to be seen.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <utility>

#include "ComposedMessage.h"
#include "TestText.h"
#include "smtpclient/mime/MimeBodyTree.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

TEST(BodyParts, ReportTheFailingConversion)
{
    ComposedMessage composed;
    composed.message->SetCharset(W("X-NO-SUCH-CHARSET").c_str());
    composed.message->SetTextBody(W("text").c_str());
    CURL* easy = curl_easy_init();
    curl_mime* root = curl_mime_init(easy);
    curl_mime* alternative = curl_mime_init(easy);
    EXPECT_EQ(-21, AddBodyParts(&root, &alternative, composed.client));
    curl_mime_free(alternative);
    curl_mime_free(root);
    curl_easy_cleanup(easy);
}

TEST(ImageMimeType, FollowsTheLastExtension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a.png", "image/png"},     {"C:\\pics\\A.PNG", "image/png"}, {"x.Bmp", "image/bmp"},
        {"photo.jpg", ""},          {"anim.gif", ""},                 {"dir.png/image", ""},
        {"noextension", ""},        {"a.png.gz", ""},                 {"trailing.", ""},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.second, GetImageMimeType(c.first)) << c.first;
    }
    EXPECT_STREQ("", GetImageMimeType(nullptr));
}

} // namespace
