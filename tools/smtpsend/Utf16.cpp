#include "Utf16.h"

#include <stdexcept>

namespace SmtpSend {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the sequence a lead byte opens and the smallest code point that
// may use that length (anything below is an overlong form); 0 for a byte that
// cannot start a sequence.
int SequenceLength(unsigned char lead, char32_t& smallest)
{
    if (lead < 0x80) {
        smallest = 0;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        smallest = 0x80;
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        smallest = 0x800;
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        smallest = 0x10000;
        return 4;
    }
    return 0;
}

char32_t DecodeAt(const std::string& text, size_t& position)
{
    const auto lead = static_cast<unsigned char>(text[position]);
    char32_t smallest = 0;
    const int length = SequenceLength(lead, smallest);
    if (length == 0 || position + length > text.size())
        throw std::invalid_argument("not valid UTF-8");
    char32_t codePoint = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[position + i]);
        if (!IsContinuation(byte))
            throw std::invalid_argument("not valid UTF-8");
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF
        || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        throw std::invalid_argument("not valid UTF-8");
    position += length;
    return codePoint;
}

void AppendUtf16(WText& out, char32_t codePoint)
{
    using Unit = SMTPClientNS::SmtpChar;
    if (codePoint < 0x10000) {
        out += static_cast<Unit>(codePoint);
        return;
    }
    codePoint -= 0x10000;
    out += static_cast<Unit>(0xD800 + (codePoint >> 10));
    out += static_cast<Unit>(0xDC00 + (codePoint & 0x3FF));
}

void AppendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsHighSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

WText Utf8ToUtf16(const std::string& text)
{
    WText out;
    out.reserve(text.size());
    for (size_t position = 0; position < text.size();)
        AppendUtf16(out, DecodeAt(text, position));
    return out;
}

std::string Utf16ToUtf8(const SMTPClientNS::SmtpChar* text)
{
    std::string out;
    if (!text)
        return out;
    for (; *text; ++text) {
        const auto unit = static_cast<char32_t>(static_cast<char16_t>(*text));
        const auto next = static_cast<char32_t>(static_cast<char16_t>(text[1]));
        if (IsHighSurrogate(unit) && IsLowSurrogate(next)) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            ++text;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(out, kReplacementCharacter);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

} // namespace SmtpSend
