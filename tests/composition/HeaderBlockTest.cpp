#include <gtest/gtest.h>

#include <iconv.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "TestText.h"
#include "smtpclient/mime/HeaderBuilder.h"
#include "smtpclient/mime/MimeMessage.h"

using namespace SMTPClientNS;
using namespace SMTPClientTest;

namespace {

// The raw block, which the parsed outline of a delivered mail does not show:
// folding, quoting, escapes, encoded words, the priority line, no Bcc line,
// and the blank line between the Message-ID header and the historical
// "Message - ID" line, also after an empty subject. Date and the identifiers
// change with every block; the delivery test checks their form.
TEST(HeaderBlock, IsBuiltExactly)
{
    CMimeMessage m;
    m.SetFrom(W("j@example.com").c_str(), W("Jürgen Groß").c_str());
    m.AddTo(W("bob@example.org").c_str(), nullptr);
    m.AddTo(W("z@example.org").c_str(), W("Zoë \"Z\" Ångström").c_str());
    m.AddTo(W("carol@example.org").c_str(), W("Carol").c_str());
    m.AddCc(W("js@example.org").c_str(), W("J. Smith").c_str());
    m.AddCc(W("bs@example.org").c_str(), W("Smith, \"Bob\" \\ Jr").c_str());
    m.AddBcc(W("blind@example.org").c_str(), W("Blind").c_str());
    m.SetPriority(1);
    std::string block;
    EXPECT_EQ(0, BuildHeaderBlock(TakeMessageSnapshot(m), block));
    EXPECT_EQ(
        "From: =?UTF-8?b?SsO8cmdlbiBHcm/Dnw==?= <j@example.com>\r\n"
        "To: bob@example.org,\r\n =?UTF-8?b?Wm/DqyAiWiIgw4VuZ3N0csO2bQ==?= <z@example.org>,\r\n"
        " Carol <carol@example.org>\r\n"
        "Cc: \"J. Smith\" <js@example.org>,\r\n"
        " \"Smith, \\\"Bob\\\" \\\\ Jr\" <bs@example.org>\r\n"
        "X-Priority: 4 \r\n"
        "Date: <masked>\r\nSubject: \r\nMessage-ID: <masked>\r\n\r\nMessage - ID: <masked>\r\n",
        std::regex_replace(block, std::regex("(Date|Message-ID|Message - ID): [^\r]*"),
                           "$1: <masked>"));
}

std::string Base64Decoded(const std::string& text)
{
    static const std::string kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const size_t value = kAlphabet.find(c);
        if (value == std::string::npos)
            break;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        if ((count += 6) >= 8) {
            count -= 8;
            bytes += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return bytes;
}

// bytes of charset as UTF-8; "<invalid>" when they do not convert whole,
// as a word cut inside a character would not.
std::string Utf8Of(const std::string& charset, std::string bytes)
{
    iconv_t descriptor = iconv_open("UTF-8", charset.c_str());
    std::string utf8(bytes.size() * 4 + 16, '\0');
    char* in = bytes.data();
    char* out = utf8.data();
    size_t inLeft = bytes.size();
    size_t outLeft = utf8.size();
    const bool whole =
        iconv(descriptor, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1)
        && iconv(descriptor, nullptr, nullptr, &out, &outLeft) != static_cast<size_t>(-1);
    iconv_close(descriptor);
    utf8.resize(utf8.size() - outLeft);
    return whole ? utf8 : "<invalid>";
}

// A subject and a display name too long for one line, in multi-byte and
// stateful charsets: each becomes encoded words of at most 75 characters on
// lines of their own, each word decodes whole by itself (a stateful one back
// in ASCII at its end), and together they give the text back. Every line of
// the block fits the 998-octet limit.
TEST(HeaderBlock, FoldsLinesThatWouldBeTooLong)
{
    const std::string name = Repeated("山田 太郎・", 90);
    for (const std::string charset : {"UTF-8", "Shift_JIS", "ISO-2022-JP"}) {
        SCOPED_TRACE(charset);
        // Only UTF-8 has the emoji, a surrogate pair in UTF-16.
        const std::string subject = "Q3 report: " + Repeated("会議の日程と議題 ", 40)
                                    + (charset == "UTF-8" ? "😀 end" : "end");
        CMimeMessage m;
        m.SetCharset(W(charset).c_str());
        m.SetFrom(W("from@example.com").c_str(), W(name).c_str());
        m.AddTo(W("a@example.org").c_str(), W("A").c_str());
        m.AddTo(W("b@example.org").c_str(), W(name).c_str());
        m.SetSubject(W(subject).c_str());
        std::string block;
        ASSERT_EQ(0, BuildHeaderBlock(TakeMessageSnapshot(m), block));

        for (size_t start = 0, end; (end = block.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            EXPECT_LE(end - start, 998u);
        // Each header unfolded, as "name: words".
        const std::string unfolded =
            std::regex_replace("\r\n" + block, std::regex("\r\n(?= )"), "");
        std::vector<std::string> decoded;
        for (const char* header : {"\r\nFrom: ", "\r\nTo: ", "\r\nSubject: "}) {
            const size_t start = unfolded.find(header);
            ASSERT_NE(std::string::npos, start);
            const std::string value =
                unfolded.substr(start, unfolded.find("\r\n", start + 2) - start);
            std::string text;
            const std::regex word("=\\?([^?]+)\\?b\\?([^?]*)\\?=");
            for (auto it = std::sregex_iterator(value.begin(), value.end(), word);
                 it != std::sregex_iterator(); ++it) {
                EXPECT_LE(it->length(), 75);
                EXPECT_EQ(charset, (*it)[1].str());
                const std::string bytes = Base64Decoded((*it)[2].str());
                const size_t shift = bytes.rfind('\x1B');
                EXPECT_TRUE(shift == std::string::npos || bytes.compare(shift, 3, "\x1B(B") == 0)
                    << it->str();
                text += Utf8Of(charset, bytes);
            }
            decoded.push_back(text);
        }
        EXPECT_EQ(name, decoded[0]);
        EXPECT_EQ(name, decoded[1]); // the second To entry; the first is plain "A"
        EXPECT_EQ(subject, decoded[2]);
    }
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
