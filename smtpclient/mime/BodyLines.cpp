#include "BodyLines.h"

#include <cstdint>
#include <cstring>

namespace SMTPClientNS {

namespace {

const size_t kWordBytes = sizeof(uint64_t);
const uint64_t kOnes = 0x0101010101010101;

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Whether the eight bytes at bytes hold a CR or an LF, tested at once (a
// byte of word ^ pattern is zero where it matches), so that the passes
// below skip the bulk of a line a word at a time.
bool HoldsLineBreak(const char* bytes)
{
    uint64_t word;
    std::memcpy(&word, bytes, kWordBytes);
    const uint64_t lf = word ^ (kOnes * '\n');
    const uint64_t cr = word ^ (kOnes * '\r');
    return ((((lf - kOnes) & ~lf) | ((cr - kOnes) & ~cr)) & (kOnes * 0x80)) != 0;
}

// The first CR or LF at from or after it, or length.
size_t NextLineBreak(const char* bytes, size_t from, size_t length)
{
    while (from + kWordBytes <= length && !HoldsLineBreak(bytes + from))
        from += kWordBytes;
    while (from < length && !IsLineBreak(bytes[from]))
        ++from;
    return from;
}

// One past the last CR or LF before end, or 0.
size_t PastLastLineBreak(const char* bytes, size_t end)
{
    while (end >= kWordBytes && !HoldsLineBreak(bytes + end - kWordBytes))
        end -= kWordBytes;
    while (end > 0 && !IsLineBreak(bytes[end - 1]))
        --end;
    return end;
}

struct BodyLines {
    size_t loneLineBreaks; // CRs and LFs that are not part of a CR LF
    bool longLines;        // a line longer than kMaxLineOctets
};

// One pass over bytes; LF, CR and CR LF each end a line.
BodyLines ScanBodyLines(const char* bytes, size_t length)
{
    BodyLines lines{0, false};
    size_t lineStart = 0;
    for (size_t i = NextLineBreak(bytes, 0, length); i < length;
         i = NextLineBreak(bytes, lineStart, length)) {
        lines.longLines = lines.longLines || i - lineStart > kMaxLineOctets;
        if (bytes[i] == '\r' && i + 1 < length && bytes[i + 1] == '\n')
            ++i;
        else
            ++lines.loneLineBreaks;
        lineStart = i + 1;
    }
    lines.longLines = lines.longLines || length - lineStart > kMaxLineOctets;
    return lines;
}

// Writes bytes with every line end (LF, CR or CR LF) as CR LF to the
// outLength bytes at out. It works from the end backwards, so that out may
// be bytes itself: no byte is overwritten before it has been read.
void WriteCrLfLineEnds(const char* bytes, size_t length, char* out, size_t outLength)
{
    size_t runEnd = length;
    size_t to = outLength;
    for (size_t past = PastLastLineBreak(bytes, length); past > 0;
         past = PastLastLineBreak(bytes, runEnd)) {
        to -= runEnd - past;
        std::memmove(out + to, bytes + past, runEnd - past);
        runEnd = past - 1;
        if (bytes[runEnd] == '\n' && runEnd > 0 && bytes[runEnd - 1] == '\r')
            --runEnd;
        to -= 2;
        out[to] = '\r';
        out[to + 1] = '\n';
    }
    std::memmove(out, bytes, runEnd);
}

} // namespace

WireText TextForTheWire(char* text, size_t length, size_t capacity, std::string& spare)
{
    const BodyLines lines = ScanBodyLines(text, length);
    WireText wire{text, length + lines.loneLineBreaks, lines.longLines};
    if (lines.loneLineBreaks == 0)
        return wire;
    char* out = text;
    if (wire.length > capacity) {
        spare.resize(wire.length);
        out = &spare[0];
    }
    WriteCrLfLineEnds(text, length, out, wire.length);
    wire.bytes = out;
    return wire;
}

} // namespace SMTPClientNS
