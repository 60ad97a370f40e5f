#include "BodyLines.h"

namespace SMTPClientNS {

namespace {

struct BodyLines {
    bool loneLineBreaks; // a CR or an LF that is not part of a CR LF
    bool longLines;      // a line longer than kMaxLineOctets
};

// One pass over bytes; LF, CR and CR LF each end a line.
BodyLines ScanBodyLines(const char* bytes, size_t length)
{
    BodyLines lines{false, false};
    size_t lineStart = 0;
    for (size_t i = 0; i < length; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.longLines = lines.longLines || i - lineStart > kMaxLineOctets;
        if (c == '\r' && i + 1 < length && bytes[i + 1] == '\n')
            ++i;
        else
            lines.loneLineBreaks = true;
        lineStart = i + 1;
    }
    lines.longLines = lines.longLines || length - lineStart > kMaxLineOctets;
    return lines;
}

// bytes with every line end (LF, CR or CR LF) written as CR LF.
std::string WithCrLfLineEnds(const char* bytes, size_t length)
{
    std::string text;
    text.reserve(length + length / 16);
    size_t runStart = 0;
    for (size_t i = 0; i < length; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        text.append(bytes + runStart, i - runStart);
        text += "\r\n";
        if (c == '\r' && i + 1 < length && bytes[i + 1] == '\n')
            ++i;
        runStart = i + 1;
    }
    text.append(bytes + runStart, length - runStart);
    return text;
}

} // namespace

WireText TextForTheWire(const char* bytes, size_t length)
{
    const BodyLines lines = ScanBodyLines(bytes, length);
    WireText wire{lines.loneLineBreaks, std::string(), lines.longLines};
    if (wire.rewritten)
        wire.text = WithCrLfLineEnds(bytes, length);
    return wire;
}

} // namespace SMTPClientNS
