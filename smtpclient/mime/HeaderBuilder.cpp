#include "HeaderBuilder.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../encoding/CodePage.h"
#include "../encoding/Digits.h"
#include "../platform/ComputerName.h"
#include "../platform/Guid.h"
#include "../platform/LocalTime.h"
#include "BodyLines.h"
#include "EncodedWords.h"
#include "RecipientKinds.h"
#include "WireAddress.h"

namespace SMTPClientNS {

namespace {

struct PriorityLine {
    int priority;
    const char* line;
};

const PriorityLine kPriorityLines[] = {
    {0, "X-Priority: 3 \r\n"},
    {1, "X-Priority: 4 \r\n"},
    {2, "X-Priority: 2 \r\n"},
};

const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// "name <address>", the name quoted as needed.
std::string NamedMailbox(std::string displayName, const std::string& address)
{
    if (QuoteIfSpecial(displayName)) {
        displayName = "\"" + displayName + "\"";
    }
    return displayName + " <" + address + ">";
}

// "address" alone, or "name <address>" with the name encoded and quoted as
// needed. lineLength counts what the mailbox's line holds besides it; a name
// that would make the line too long is folded into encoded words. Returns 0
// or the negative code of the name's conversion.
int FormatMailbox(const SmtpChar* address, const SmtpChar* name, const std::string& charset,
                  size_t lineLength, std::string& mailbox)
{
    const std::string wireAddress = WireAddress(address);
    if (IsEmptyText(name)) {
        mailbox = wireAddress;
        return 0;
    }
    std::string displayName;
    int rc = EncodeDisplayName(charset, name, displayName);
    if (rc < 0) {
        return rc;
    }
    mailbox = NamedMailbox(displayName, wireAddress);
    if (lineLength + mailbox.size() <= kMaxLineOctets) {
        return 0;
    }
    displayName.clear();
    rc = FoldedEncodedWords(charset, name, displayName);
    if (rc < 0) {
        return rc;
    }
    mailbox = NamedMailbox(displayName, wireAddress);
    return 0;
}

// One line for all entries of a list, each further entry on a continuation
// line. A failing entry drops the whole line.
int AppendRecipientHeader(const std::vector<RecipientEntry>& entries, std::string& header,
                          const std::string& charset, const RecipientKind& kind)
{
    const int count = static_cast<int>(entries.size());
    if (count <= 0) {
        return 0;
    }
    std::string line = kind.lineStart;
    for (int i = 1; i <= count; ++i) {
        const SmtpChar* address = entries[i - 1].address.c_str();
        const SmtpChar* name = entries[i - 1].name.c_str();
        if (IsEmptyText(address) && IsEmptyText(name)) {
            continue;
        }
        // The entry shares its line with what follows the last line break;
        // all but the last entry end in a comma.
        const size_t lineBreak = line.rfind("\r\n");
        const size_t lineLength =
            (lineBreak == std::string::npos ? line.size() : line.size() - lineBreak - 2)
            + (i != count ? 1 : 0);
        std::string mailbox;
        const int rc = FormatMailbox(address, name, charset, lineLength, mailbox);
        if (rc < 0) {
            return rc;
        }
        line += mailbox;
        if (i != count) {
            line += ",\r\n ";
        }
    }
    header += line + "\r\n";
    return 0;
}

void AppendPriorityHeader(int priority, std::string& header)
{
    for (const PriorityLine& entry : kPriorityLines) {
        if (entry.priority == priority) {
            header += entry.line;
        }
    }
}

bool IsAtext(char c)
{
    static const char kAtextSymbols[] = "!#$%&'*+-/=?^_`{|}~";
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
           || (c != 0 && std::strchr(kAtextSymbols, c) != nullptr);
}

// RFC 5322's dot-atom-text: atoms of atext joined by single dots.
bool IsDotAtomText(const std::string& text)
{
    bool atomStarted = false;
    for (char c : text) {
        if (c == '.' && !atomStarted)
            return false;
        atomStarted = c != '.';
        if (c != '.' && !IsAtext(c))
            return false;
    }
    return atomStarted;
}

// The right side of a message identifier: the computer's name when it may
// stand there, "localhost" otherwise (an empty or unusual name).
std::string IdentifierHost(const std::string& computerName)
{
    return IsDotAtomText(computerName) ? computerName : "localhost";
}

std::string FormatGuid(const Platform::Guid& guid)
{
    std::string text;
    text.reserve(36);
    AppendHexDigits(text, guid.data1, 8);
    text += '-';
    AppendHexDigits(text, guid.data2, 4);
    text += '-';
    AppendHexDigits(text, guid.data3, 4);
    text += '-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            text += '-';
        AppendHexDigits(text, guid.data4[i], 2);
    }
    return text;
}

int AppendFromHeader(const MessageSnapshot& message, std::string& header,
                     const std::string& charset)
{
    const SmtpChar* address = message.sender.address.c_str();
    const SmtpChar* name = message.sender.name.c_str();
    if (IsEmptyText(address) && IsEmptyText(name)) {
        return 0;
    }
    static const char kFrom[] = "From: ";
    std::string mailbox;
    const int rc = FormatMailbox(address, name, charset, sizeof kFrom - 1, mailbox);
    if (rc < 0) {
        return rc;
    }
    header += kFrom + mailbox + "\r\n";
    return 0;
}

void AppendDateHeader(std::string& header)
{
    header += "Date: " + FormatHeaderDate() + "\r\n";
}

void AppendSubjectHeader(const MessageSnapshot& message, std::string& header,
                         const std::string& charset)
{
    static const char kSubject[] = "Subject: ";
    std::string subject;
    EncodeSubjectText(charset, message.subject.c_str(), subject);
    if (sizeof kSubject - 1 + subject.size() > kMaxLineOctets) {
        subject.clear();
        FoldedEncodedWords(charset, message.subject.c_str(), subject);
    }
    header += kSubject + subject + "\r\n";
}

void AppendMessageIdHeader(std::string& header)
{
    Platform::Guid guid;
    const std::string guidText = Platform::CreateGuid(guid) ? FormatGuid(guid) : std::string();
    const std::string computerName = Platform::ComputerName();
    // The header section ends with the identifier as a valid header. The
    // historical line follows the blank line, where readers take it for
    // the body's preamble.
    header += "Message-ID: <" + guidText + "@" + IdentifierHost(computerName) + ">\r\n\r\n";
    header += "Message - ID: <" + guidText + "@" + computerName + ">\r\n";
}

} // namespace

int BuildHeaderBlock(const MessageSnapshot& message, std::string& header)
{
    std::string charset;
    WideToAnsi(message.charset.c_str(), charset);

    int rc = AppendFromHeader(message, header, charset);
    if (rc < 0) {
        return rc;
    }
    for (int kind = 0; kind < kRecipientKindCount; ++kind) {
        if (kRecipientKinds[kind].lineStart == nullptr) {
            continue;
        }
        rc =
            AppendRecipientHeader(message.recipients[kind], header, charset, kRecipientKinds[kind]);
        if (rc < 0) {
            return rc;
        }
    }
    AppendPriorityHeader(message.priority, header);
    AppendDateHeader(header);
    AppendSubjectHeader(message, header, charset);
    AppendMessageIdHeader(header);
    return 0;
}

std::string FormatHeaderDate()
{
    const Platform::LocalTime now = Platform::LocalTimeNow();
    const std::tm& t = now.fields;
    const long offsetMinutes = std::labs(now.utcOffsetSeconds) / 60;
    std::string text = kDayNames[t.tm_wday];
    text += ", ";
    AppendTwoDigits(text, t.tm_mday);
    text += ' ';
    text += kMonthNames[t.tm_mon];
    text += ' ';
    text += std::to_string(t.tm_year + 1900);
    text += ' ';
    AppendTimeOfDay(text, t);
    text += ' ';
    text += now.utcOffsetSeconds < 0 ? '-' : '+';
    AppendTwoDigits(text, offsetMinutes / 60);
    AppendTwoDigits(text, offsetMinutes % 60);
    return text;
}

} // namespace SMTPClientNS
