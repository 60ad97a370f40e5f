// The header block from fuzzed message fields and charset: it holds only the
// lines the builder writes, each header at most once and in its order, so
// that no field can add a header of its own. Input lines: charset, priority,
// "sender<TAB>name", subject, then recipients as "T", "C" or "B" followed by
// "address<TAB>name".
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzInput.h"

namespace SMTPClientFuzz {

namespace {

using SMTPClientNS::WString;

// Enough recipients to reach the continuation lines, few enough to stay fast.
const size_t kMaxRecipients = 16;

// The builder's headers in its order; To, Cc and Bcc may continue.
const std::vector<std::string> kHeaders = {
    "From: ", "To: ",      "Cc: ",         "Bcc: ",         "X-Priority: ",
    "Date: ", "Subject: ", "Message-ID: ", "Message - ID: "};
const size_t kSubject = 6;
const size_t kMessageId = 7;

using SMTPClientNS::CMimeMessage;
using Adder = int (CMimeMessage::*)(const SMTPClientNS::SmtpChar*, const SMTPClientNS::SmtpChar*);

// Adds "address<TAB>name" through add.
void AddMailbox(CMimeMessage& message, Adder add, const std::string& line)
{
    const size_t tab = line.find('\t');
    const WString name = tab == std::string::npos ? WString() : FuzzedText(line.substr(tab + 1));
    (message.*add)(FuzzedText(line.substr(0, tab)).c_str(), name.c_str());
}

void FillMessage(CMimeMessage& message, const uint8_t* data, size_t size)
{
    // Recipients past the last one read stay in its line, as further text.
    const std::vector<std::string> lines = Fields(data, size, '\n', 4 + kMaxRecipients);
    message.SetCharset(FuzzedText(lines[0]).c_str());
    message.SetPriority(std::atoi(lines[1].c_str()));
    AddMailbox(message, &CMimeMessage::SetFrom, lines[2]);
    message.SetSubject(FuzzedText(lines[3]).c_str());
    for (size_t i = 4; i < lines.size(); ++i) {
        if (lines[i].empty())
            continue;
        const Adder add = lines[i][0] == 'C'   ? &CMimeMessage::AddCc
                          : lines[i][0] == 'B' ? &CMimeMessage::AddBcc
                                               : &CMimeMessage::AddTo;
        AddMailbox(message, add, lines[i].substr(1));
    }
}

size_t HeaderOf(const std::string& line)
{
    size_t header = 0;
    while (header < kHeaders.size()
           && line.compare(0, kHeaders[header].size(), kHeaders[header]) != 0)
        ++header;
    return header;
}

// The header section ends after the Message-ID header; the historical line
// alone follows the blank line. A complete block has both.
void CheckBlockLines(const std::string& block, bool complete)
{
    size_t next = 0;
    bool afterMessageId = false;
    bool blankLineSeen = false;
    for (size_t start = 0, end; start < block.size(); start = end + 2) {
        end = block.find("\r\n", start);
        Expect(end != std::string::npos, "block line without CR LF");
        const std::string line = block.substr(start, end - start);
        Expect(line.find_first_of("\r\n") == std::string::npos, "bare CR or LF in the block");
        if (line.empty()) {
            Expect(afterMessageId, "empty line elsewhere than after the Message-ID header");
            blankLineSeen = true;
        } else if (line[0] == ' ') {
            // Recipient lists continue; a From or Subject line too long
            // for one line continues with folded encoded words.
            Expect((next >= 1 && next <= 4) || next == kSubject + 1,
                   "continuation of a line that does not continue");
        } else {
            const size_t header = HeaderOf(line);
            Expect(header < kHeaders.size(), "line that is no header of the builder");
            Expect(header >= next, "header repeated or out of order");
            Expect((header == kMessageId + 1) == blankLineSeen,
                   "historical line inside the header section, or a header after it");
            next = header + 1;
        }
        afterMessageId = next == kMessageId + 1 && !line.empty();
    }
    Expect(!complete || next == kMessageId + 2,
           "block without the Message-ID header or the historical line");
}

} // namespace

int FuzzHeaderBlock(const uint8_t* data, size_t size)
{
    CMimeMessage message;
    FillMessage(message, data, size);
    std::string block;
    const int rc = BuildHeaderBlockFor(message, block);

    Expect(rc == 0 || rc == -1 || (rc <= -19 && rc >= -22), "unexpected header block code");
    CheckBlockLines(block, rc == 0);
    return 0;
}

} // namespace SMTPClientFuzz
