// The header block from fuzzed message fields and charset: whatever the host
// puts in, the block holds only the lines the builder writes, each header at
// most once and in its order, so that no field can add a header of its own.
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/mime/HeaderBuilder.h"
#include "smtpclient/mime/MimeMessage.h"

namespace SMTPClientFuzz {

namespace {

using SMTPClientNS::WString;

// Enough recipients to reach the continuation lines, few enough to stay fast.
const size_t kMaxRecipients = 16;

// The headers the builder writes, in the order it writes them.
const char* const kHeaderOrder[] = {"From: ", "To: ", "Cc: ", "Bcc: ", "X-Priority: ",
                                    "Date: ", "Subject: ", "Message - ID: "};
const size_t kHeaderCount = sizeof kHeaderOrder / sizeof kHeaderOrder[0];
const size_t kSubject = 6;

struct Mailbox {
    WString address;
    WString name;
};

Mailbox ParseMailbox(const std::string& line)
{
    const size_t tab = line.find('\t');
    if (tab == std::string::npos)
        return Mailbox{FuzzedText(line), WString()};
    return Mailbox{FuzzedText(line.substr(0, tab)), FuzzedText(line.substr(tab + 1))};
}

void AddRecipient(SMTPClientNS::CMimeMessage& message, const std::string& line)
{
    const char kind = line.empty() ? 'T' : line[0];
    const Mailbox mailbox = ParseMailbox(line.empty() ? line : line.substr(1));
    const SMTPClientNS::SmtpChar* address = mailbox.address.c_str();
    const SMTPClientNS::SmtpChar* name = mailbox.name.c_str();
    if (kind == 'C')
        message.AddCc(address, name);
    else if (kind == 'B')
        message.AddBcc(address, name);
    else
        message.AddTo(address, name);
}

void FillMessage(SMTPClientNS::CMimeMessage& message, const std::vector<std::string>& lines)
{
    const auto field = [&lines](size_t index) {
        return index < lines.size() ? lines[index] : std::string();
    };
    message.SetCharset(FuzzedText(field(0)).c_str());
    message.SetPriority(std::atoi(field(1).c_str()));
    const Mailbox sender = ParseMailbox(field(2));
    message.SetFrom(sender.address.c_str(), sender.name.c_str());
    message.SetSubject(FuzzedText(field(3)).c_str());
    for (size_t i = 4; i < lines.size() && i < 4 + kMaxRecipients; ++i)
        AddRecipient(message, lines[i]);
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Index of the header that line starts, or kHeaderCount.
size_t HeaderOf(const std::string& line)
{
    for (size_t i = 0; i < kHeaderCount; ++i) {
        if (StartsWith(line, kHeaderOrder[i]))
            return i;
    }
    return kHeaderCount;
}

void CheckBlockLines(const std::string& block)
{
    Expect(block.empty() || block.size() >= 2, "block too short");
    size_t start = 0;
    size_t nextHeader = 0;
    bool afterSubject = false;
    while (start < block.size()) {
        const size_t end = block.find("\r\n", start);
        Expect(end != std::string::npos, "block line without CR LF");
        const std::string line = block.substr(start, end - start);
        Expect(line.find_first_of("\r\n") == std::string::npos, "bare CR or LF in the block");
        if (line.empty()) {
            Expect(afterSubject, "empty line elsewhere than after the subject");
        } else if (line[0] == ' ') {
            Expect(nextHeader >= 2 && nextHeader <= 4, "continuation outside a recipient line");
        } else {
            const size_t header = HeaderOf(line);
            Expect(header < kHeaderCount, "line that is no header of the builder");
            Expect(header >= nextHeader, "header repeated or out of order");
            nextHeader = header + 1;
        }
        afterSubject = nextHeader == kSubject + 1 && !line.empty();
        start = end + 2;
    }
}

} // namespace

int FuzzHeaderBlock(const uint8_t* data, size_t size)
{
    SMTPClientNS::CMimeMessage message;
    FillMessage(message, SplitLines(data, size));

    SMTPClientNS::CSmtpClient client(new SMTPClientNS::CSmtpClientWrapper());
    client.SetMimeMessage(&message);
    std::string block;
    const int rc = SMTPClientNS::BuildHeaderBlock(&client, block);
    client.SetMimeMessage(nullptr);

    Expect(rc == 0 || rc == -1 || (rc <= -19 && rc >= -22), "unexpected header block code");
    CheckBlockLines(block);
    return 0;
}

} // namespace SMTPClientFuzz
