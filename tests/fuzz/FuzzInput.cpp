#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>

namespace SMTPClientFuzz {

namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the sequence led by lead, 1 for a byte that stands for itself.
size_t SequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 1;
}

void PutCodePoint(SMTPClientNS::WString& text, uint32_t code)
{
    if (code < 0x10000) {
        text += static_cast<SMTPClientNS::SmtpChar>(code);
        return;
    }
    code -= 0x10000;
    text += static_cast<SMTPClientNS::SmtpChar>(0xD800 | (code >> 10));
    text += static_cast<SMTPClientNS::SmtpChar>(0xDC00 | (code & 0x3FF));
}

} // namespace

std::vector<std::string> SplitLines(const uint8_t* data, size_t size)
{
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += static_cast<char>(data[i]);
    }
    return lines;
}

SMTPClientNS::WString FuzzedText(const std::string& bytes)
{
    SMTPClientNS::WString text;
    size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        size_t length = SequenceLength(lead);
        uint32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (size_t k = 1; k < length; ++k) {
            if (i + k >= bytes.size() || !IsContinuation(static_cast<unsigned char>(bytes[i + k]))) {
                length = 1;
                code = lead;
                break;
            }
            code = (code << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        }
        if (code > 0x10FFFF) {
            length = 1;
            code = lead;
        }
        PutCodePoint(text, code);
        i += length;
    }
    return text;
}

void Expect(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz expectation failed: %s\n", what);
    std::abort();
}

} // namespace SMTPClientFuzz
