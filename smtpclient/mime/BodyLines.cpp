#include "BodyLines.h"

namespace SMTPClientNS {

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

} // namespace SMTPClientNS
