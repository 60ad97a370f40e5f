// The ANSI code page of a POSIX system is UTF-8, so both code pages convert
// between UTF-16 and UTF-8. Ill-formed input becomes U+FFFD, one for each
// maximal ill-formed subsequence, as the Windows conversions do.
#include "SystemCodePage.h"

#include <cstddef>
#include <cstdint>

namespace SMTPClientNS {
namespace Platform {

namespace {

const char32_t kReplacement = 0xFFFD;

bool IsUtf8CodePage(uint32_t codePage)
{
    return codePage == kAnsiCodePage || codePage == kUtf8CodePage;
}

// Collects output units: counts them all and stores those that fit.
template <typename Unit>
class Sink {
public:
    // A capacity of 0 asks for the size only.
    Sink(Unit* out, int capacity)
        : out(capacity > 0 ? out : nullptr), capacity(out ? static_cast<size_t>(capacity) : 0)
    {}

    void Put(uint32_t unit)
    {
        if (count < capacity)
            out[count] = static_cast<Unit>(unit);
        ++count;
    }

    // The count as the conversions return it: 0 when it does not fit an int,
    // or when a buffer was given and is too small.
    int Result() const
    {
        if (count > static_cast<size_t>(INT32_MAX))
            return 0;
        if (out != nullptr && count > capacity)
            return 0;
        return static_cast<int>(count);
    }

private:
    Unit* out;
    size_t capacity;
    size_t count = 0;
};

void PutUtf8(Sink<char>& sink, char32_t code)
{
    if (code < 0x80) {
        sink.Put(code);
    } else if (code < 0x800) {
        sink.Put(0xC0 | (code >> 6));
        sink.Put(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        sink.Put(0xE0 | (code >> 12));
        sink.Put(0x80 | ((code >> 6) & 0x3F));
        sink.Put(0x80 | (code & 0x3F));
    } else {
        sink.Put(0xF0 | (code >> 18));
        sink.Put(0x80 | ((code >> 12) & 0x3F));
        sink.Put(0x80 | ((code >> 6) & 0x3F));
        sink.Put(0x80 | (code & 0x3F));
    }
}

void PutUtf16(Sink<SmtpChar>& sink, char32_t code)
{
    if (code < 0x10000) {
        sink.Put(code);
    } else {
        code -= 0x10000;
        sink.Put(0xD800 | (code >> 10));
        sink.Put(0xDC00 | (code & 0x3FF));
    }
}

bool IsHighSurrogate(uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Reads one character of zero-terminated UTF-16 at text[i] and advances i.
char32_t NextFromUtf16(const SmtpChar* text, size_t& i)
{
    uint32_t unit = static_cast<uint16_t>(text[i++]);
    if (IsHighSurrogate(unit)) {
        uint32_t next = static_cast<uint16_t>(text[i]);
        if (IsLowSurrogate(next)) {
            ++i;
            return 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
        }
        return kReplacement;
    }
    return IsLowSurrogate(unit) ? kReplacement : unit;
}

// The length of a UTF-8 sequence led by lead and the allowed range of its
// second byte; length 0 for a byte that cannot lead one.
struct Utf8Lead {
    int length;
    unsigned char low;
    unsigned char high;
};

Utf8Lead ClassifyLead(unsigned char lead)
{
    if (lead < 0x80)
        return {1, 0, 0};
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2, 0x80, 0xBF};
    if (lead == 0xE0)
        return {3, 0xA0, 0xBF};
    if (lead == 0xED)
        return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {3, 0x80, 0xBF};
    if (lead == 0xF0)
        return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {4, 0x80, 0xBF};
    if (lead == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// Reads one character of zero-terminated UTF-8 at text[i] and advances i past
// it, or past the maximal ill-formed part that becomes U+FFFD. The terminator
// is never a continuation byte, so reading stops at it.
char32_t NextFromUtf8(const unsigned char* text, size_t& i)
{
    unsigned char lead = text[i++];
    Utf8Lead kind = ClassifyLead(lead);
    if (kind.length == 1)
        return lead;
    if (kind.length == 0)
        return kReplacement;

    char32_t code = lead & (0xFF >> (kind.length + 1));
    for (int k = 1; k < kind.length; ++k) {
        unsigned char byte = text[i];
        unsigned char low = k == 1 ? kind.low : 0x80;
        unsigned char high = k == 1 ? kind.high : 0xBF;
        if (byte < low || byte > high)
            return kReplacement;
        code = (code << 6) | (byte & 0x3F);
        ++i;
    }
    return code;
}

// Converts zero-terminated text one character at a time, terminator included.
template <typename In, typename Out>
int ConvertText(const In* text, Out* out, int outSize, char32_t (*next)(const In*, size_t&),
                void (*put)(Sink<Out>&, char32_t))
{
    Sink<Out> sink(out, outSize);
    size_t i = 0;
    while (text[i] != 0)
        put(sink, next(text, i));
    sink.Put(0);
    return sink.Result();
}

} // namespace

int WideToMultiByte(uint32_t codePage, const SmtpChar* text, char* out, int outSize)
{
    if (!IsUtf8CodePage(codePage) || text == nullptr || outSize < 0)
        return 0;
    return ConvertText(text, out, outSize, NextFromUtf16, PutUtf8);
}

int MultiByteToWide(uint32_t codePage, const char* text, SmtpChar* out, int outSize)
{
    if (!IsUtf8CodePage(codePage) || text == nullptr || outSize < 0)
        return 0;
    return ConvertText(reinterpret_cast<const unsigned char*>(text), out, outSize, NextFromUtf8,
                       PutUtf16);
}

} // namespace Platform
} // namespace SMTPClientNS
