// The C++ side of the test servers: ports, received mail and its outline.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "TestServers.h"

using namespace SMTPClientTest;

namespace {

const char kMessage[] =
    "From: sender@example.test\r\n"
    "Subject: =?UTF-8?B?w5xiZXJzaWNodA==?=\r\n"
    "\r\n"
    "Line one\r\n"
    ".. starts with a dot, which SMTP doubles in transit\r\n";

struct Upload {
    const char* data;
    size_t left;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* userData)
{
    Upload* upload = static_cast<Upload*>(userData);
    const size_t length = std::min(size * count, upload->left);
    std::memcpy(buffer, upload->data, length);
    upload->data += length;
    upload->left -= length;
    return length;
}

// Sends kMessage to the plain listener with libcurl, apart from the library;
// through proxy unless that is empty.
CURLcode SendPlain(const std::vector<std::string>& recipients, const std::string& proxy = "")
{
    CURL* curl = curl_easy_init();
    curl_slist* rcpts = nullptr;
    for (const std::string& recipient : recipients)
        rcpts = curl_slist_append(rcpts, ("<" + recipient + ">").c_str());
    Upload upload{kMessage, sizeof kMessage - 1};
    const std::string url = "smtp://127.0.0.1:" + std::to_string(ServerPort("plain"));
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, "<sender@example.test>");
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpts);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadUpload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
    const CURLcode result = curl_easy_perform(curl);
    curl_slist_free_all(rcpts);
    curl_easy_cleanup(curl);
    return result;
}

} // namespace

TEST(TestServers, EveryListenerHasAPort)
{
    for (const char* name : {"plain", "starttls", "starttls_required", "tls_ca", "auth_plain_no_tls",
                             "reject_mail_4xx", "reject_rcpt_5xx", "reject_data_5xx", "drop_in_data",
                             "stall_greeting", "stall_after_greeting", "socks5", "socks5_auth",
                             "dante", "socks4", "socks4a"}) {
        EXPECT_GT(ServerPort(name), 0) << name;
    }
    EXPECT_TRUE(std::ifstream(TestCaFile()).good());
}

TEST(TestServers, UnknownListenerFailsTheTest)
{
    int port = -1;
    EXPECT_NONFATAL_FAILURE(port = ServerPort("no_such_listener"), "no_such_listener");
    EXPECT_EQ(0, port);
}

TEST(TestServers, ReceivedMailCarriesEnvelopeBytesAndOutline)
{
    ASSERT_EQ(CURLE_OK, SendPlain({"support-a@example.test", "support-b@example.test"}));

    const ReceivedMail mail = WaitForMailTo("support-b@example.test");
    ASSERT_FALSE(mail.rawPath.empty());
    EXPECT_EQ("plain", mail.listener);
    EXPECT_EQ("sender@example.test", mail.mailFrom);
    EXPECT_EQ((std::vector<std::string>{"support-a@example.test", "support-b@example.test"}), mail.rcptTos);
    EXPECT_EQ(kMessage, mail.raw);
    EXPECT_FALSE(mail.tls);
    EXPECT_EQ("", mail.authUser);
    EXPECT_EQ("", mail.via);
    EXPECT_EQ(1u, MailTo("support-a@example.test").size());
    EXPECT_EQ("headers:\n"
              "  From: sender@example.test\n"
              "  Subject: \xC3\x9C" "bersicht\n"
              "body:\n"
              "  text/plain\n"
              "    text: \"Line one\\r\\n.. starts with a dot, which SMTP doubles in transit\\r\\n\"\n",
              DescribeMail(mail.rawPath));
}

TEST(TestServers, ReceivedMailNamesTheProxy)
{
    const std::string proxy = "socks5://127.0.0.1:" + std::to_string(ServerPort("socks5"));
    ASSERT_EQ(CURLE_OK, SendPlain({"support-proxied@example.test"}, proxy));

    EXPECT_EQ("socks5", WaitForMailTo("support-proxied@example.test").via);
}

TEST(TestServers, NoMailForAnUnusedRecipient)
{
    EXPECT_TRUE(WaitForMailTo("support-nobody@example.test", 200).rawPath.empty());
    EXPECT_TRUE(MailTo("support-nobody@example.test").empty());
}
