#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <string>

#include "TestText.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/mime/HeaderBuilder.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// The raw block, which the parsed outline of a delivered mail does not show:
// folding, quoting, escapes, encoded words, the priority line, and no blank
// line after an empty subject. Date and Message - ID change with every
// block; the delivery test checks their form.
TEST(HeaderBlock, IsBuiltExactly)
{
    CMimeMessage m;
    CSmtpClient client(new CSmtpClientWrapper());
    client.SetMimeMessage(&m);
    m.SetFrom(W("j@example.com").c_str(), W("Jürgen Groß").c_str());
    m.AddTo(W("bob@example.org").c_str(), nullptr);
    m.AddTo(W("z@example.org").c_str(), W("Zoë \"Z\" Ångström").c_str());
    m.AddTo(W("carol@example.org").c_str(), W("Carol").c_str());
    m.AddCc(W("js@example.org").c_str(), W("J. Smith").c_str());
    m.AddBcc(W("bs@example.org").c_str(), W("Smith, \"Bob\" \\ Jr").c_str());
    m.SetPriority(1);
    std::string block;
    EXPECT_EQ(0, BuildHeaderBlock(&client, block));
    EXPECT_EQ("From: =?UTF-8?b?SsO8cmdlbiBHcm/Dnw==?= <j@example.com>\r\n"
              "To: bob@example.org,\r\n =?UTF-8?b?Wm/DqyAiWiIgw4VuZ3N0csO2bQ==?= <z@example.org>,\r\n"
              " Carol <carol@example.org>\r\n"
              "Cc: \"J. Smith\" <js@example.org>\r\n"
              "Bcc: \"Smith, \\\"Bob\\\" \\\\ Jr\" <bs@example.org>\r\n"
              "X-Priority: 4 \r\n"
              "Date: <masked>\r\nSubject: \r\nMessage - ID: <masked>\r\n",
              std::regex_replace(block, std::regex("(Date|Message - ID): [^\r]*"), "$1: <masked>"));
}

std::string ReferenceDate(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S %z", &local);
    return text;
}

// The date agrees with the C library's formatting of the local time,
// whatever the sign and minutes of the zone's offset.
TEST(HeaderDate, MatchesTheLocalTimeWithItsOffset)
{
    for (const char* zone : {"UTC0", "IST-5:30", "BRT+3", "NST+3:30"}) {
        setenv("TZ", zone, 1);
        tzset();
        const std::time_t before = std::time(nullptr);
        const std::string date = FormatHeaderDate();
        const std::time_t after = std::time(nullptr);
        bool matched = false;
        for (std::time_t t = before; t <= after; ++t)
            matched = matched || date == ReferenceDate(t);
        EXPECT_TRUE(matched) << zone << ": " << date << " vs " << ReferenceDate(before);
    }
    unsetenv("TZ");
    tzset();
}

} // namespace
