#include "BenchMessage.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>

namespace SMTPClientBench {

namespace {

std::string FormatDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_r(&now, &local);
    const long offsetMinutes = std::labs(local.tm_gmtoff) / 60;
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %d %02d:%02d:%02d %c%02ld%02ld",
                  days[local.tm_wday], local.tm_mday, months[local.tm_mon], local.tm_year + 1900,
                  local.tm_hour, local.tm_min, local.tm_sec, local.tm_gmtoff < 0 ? '-' : '+',
                  offsetMinutes / 60, offsetMinutes % 60);
    return text;
}

std::string FormatMessageId()
{
    static std::mt19937_64 random(std::random_device{}());
    const unsigned long long high = random();
    const unsigned long long low = random();
    char text[48];
    std::snprintf(text, sizeof text, "%08llX-%04llX-%04llX-%04llX-%012llX", high >> 32,
                  (high >> 16) & 0xFFFF, high & 0xFFFF, low >> 48, low & 0xFFFFFFFFFFFFULL);
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    return std::string(text) + "@" + host;
}

} // namespace

MessageContent SmallMessage()
{
    MessageContent content;
    content.fromAddress = "sender@bench.test";
    content.fromName = "Bench Sender";
    content.toAddress = "rcpt@bench.test";
    content.subject = "Small benchmark message";
    content.textBody =
        "Hello,\r\n\r\nthis is one of many small messages of the send benchmark.\r\n";
    return content;
}

std::string HeaderBlock(const MessageContent& content)
{
    const std::string messageId = FormatMessageId();
    return "From: " + content.fromName + " <" + content.fromAddress + ">\r\n"
           + "To: " + content.toAddress + "\r\n" + "X-Priority: 3 \r\n" + "Date: " + FormatDate()
           + "\r\n" + "Subject: " + content.subject + "\r\n" + "Message-ID: <" + messageId
           + ">\r\n\r\n" + "Message - ID: <" + messageId + ">\r\n";
}

} // namespace SMTPClientBench
