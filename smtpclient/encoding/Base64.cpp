#include "Base64.h"

#include <algorithm>
#include <cstring>

namespace SMTPClientNS {

namespace {

constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two digits of every 12-bit value, so that three bytes take two
// lookups instead of four.
struct DigitPairs {
    char digits[4096 * 2];

    constexpr DigitPairs() : digits()
    {
        for (int value = 0; value < 4096; ++value) {
            digits[2 * value] = kDigits[value >> 6];
            digits[2 * value + 1] = kDigits[value & 0x3F];
        }
    }
};

constexpr DigitPairs kPairs;

// Four digits per three bytes, for length / 3 groups; returns the end.
char* EncodeGroups(const unsigned char* bytes, size_t length, char* out)
{
    const unsigned char* end = bytes + length / 3 * 3;
    for (; bytes != end; bytes += 3, out += 4) {
        const uint32_t group = (uint32_t(bytes[0]) << 16) | (uint32_t(bytes[1]) << 8) | bytes[2];
        std::memcpy(out, &kPairs.digits[2 * (group >> 12)], 2);
        std::memcpy(out + 2, &kPairs.digits[2 * (group & 0xFFF)], 2);
    }
    return out;
}

// The last one or two bytes, padded with "=" to four digits.
char* EncodeTail(const unsigned char* bytes, size_t length, char* out)
{
    if (length == 0)
        return out;
    const uint32_t group = (uint32_t(bytes[0]) << 16) | (length == 2 ? uint32_t(bytes[1]) << 8 : 0);
    out[0] = kDigits[group >> 18];
    out[1] = kDigits[(group >> 12) & 0x3F];
    out[2] = length == 2 ? kDigits[(group >> 6) & 0x3F] : '=';
    out[3] = '=';
    return out + 4;
}

char* Encode(const unsigned char* bytes, size_t length, char* out)
{
    out = EncodeGroups(bytes, length, out);
    const size_t whole = length / 3 * 3;
    return EncodeTail(bytes + whole, length - whole, out);
}

} // namespace

void AppendBase64(const unsigned char* bytes, size_t length, std::string& out)
{
    const size_t start = out.size();
    out.resize(start + (length + 2) / 3 * 4);
    Encode(bytes, length, &out[0] + start);
}

size_t EncodeBase64Lines(const unsigned char* bytes, size_t length, bool afterLine, char* out)
{
    char* const start = out;
    for (size_t at = 0; at < length; at += kBase64LineBytes) {
        if (afterLine) {
            *out++ = '\r';
            *out++ = '\n';
        }
        afterLine = true;
        out = Encode(bytes + at, std::min(kBase64LineBytes, length - at), out);
    }
    return static_cast<size_t>(out - start);
}

uint64_t Base64LinesLength(uint64_t length)
{
    if (length == 0)
        return 0;
    const uint64_t digits = (length + 2) / 3 * 4;
    return digits + 2 * ((digits - 1) / kBase64LineChars);
}

} // namespace SMTPClientNS
