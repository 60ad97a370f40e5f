#include "TraceLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "../encoding/Digits.h"
#include "../platform/LocalTime.h"
#include "PrintableBytes.h"
#include "SessionDialogue.h"

namespace SMTPClientNS {

namespace {

const size_t kBytesPerLine = 96;
const unsigned char kCr = 13;
const unsigned char kLf = 10;

const char kSuccessLine[] = "Email sent successfully!\n";
const char kErrorPrefix[] = "Error Info: ";
const char kEndPrefix[] = "End Connnect: ";
const std::string kSeparator(82, '=');

bool IsLineBreakAt(const unsigned char* data, size_t size, size_t offset)
{
    return offset + 1 < size && data[offset] == kCr && data[offset + 1] == kLf;
}

// The first CR LF that starts at from..last, or size when there is none.
size_t FindLineBreak(const unsigned char* data, size_t size, size_t from, size_t last)
{
    while (from <= last) {
        const void* cr = std::memchr(data + from, kCr, last - from + 1);
        if (cr == nullptr)
            break;
        const size_t at = static_cast<const unsigned char*>(cr) - data;
        if (IsLineBreakAt(data, size, at))
            return at;
        from = at + 1;
    }
    return size;
}

// Appends one line of at most 96 characters starting at offset and returns
// the offset of the next line. A CR LF ends the line and is not printed; one
// right after the 96th character still belongs to this line.
size_t AppendTraceLine(std::string& buffer, const char* prefix, size_t prefixLength,
                       const unsigned char* data, size_t size, size_t offset)
{
    const size_t lineBreak =
        FindLineBreak(data, size, offset, std::min(offset + kBytesPerLine, size - 1));
    const size_t end = lineBreak < size ? lineBreak : std::min(offset + kBytesPerLine, size);
    const size_t length = end - offset;
    const size_t start = buffer.size();
    buffer.resize(start + prefixLength + length + 1);
    char* out = &buffer[start];
    std::memcpy(out, prefix, prefixLength);
    CopyPrintable<IsTraceByte>(data + offset, length, out + prefixLength);
    out[prefixLength + length] = '\n';
    return lineBreak < size ? lineBreak + 2 : offset + kBytesPerLine;
}

// libcurl's own text goes to standard error as it came, and into the log
// without its leading spaces.
void AppendInformationalText(SendTrace& trace, const char* data, size_t size)
{
    if (trace.echoToStandardError)
        std::fwrite(data, 1, strnlen(data, size), stderr);
    std::string& buffer = trace.entryBuffer;
    buffer.append(data, size);
    buffer.erase(0, buffer.find_first_not_of(' '));
    trace.traceEntries.push_back(buffer);
}

std::string FormatLocalTime()
{
    const std::tm now = Platform::LocalTimeNow().fields;
    std::string text = std::to_string(now.tm_year + 1900);
    text += '-';
    AppendTwoDigits(text, now.tm_mon + 1);
    text += '-';
    AppendTwoDigits(text, now.tm_mday);
    text += ' ';
    AppendTimeOfDay(text, now);
    return text;
}

} // namespace

int TraceCallback(CURL*, curl_infotype type, char* data, size_t size, void* userData)
{
    SendTrace& trace = *static_cast<SendTrace*>(userData);
    trace.entryBuffer.clear();
    // Commands are masked as the dialogue stands before it takes them.
    const std::string commands =
        type == CURLINFO_HEADER_OUT ? MaskedCommands(trace.dialogue, data, size) : std::string();
    NoteSessionDialogue(trace, type, data, size);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    switch (type) {
    case CURLINFO_TEXT:
        AppendInformationalText(trace, data, size);
        break;
    case CURLINFO_HEADER_IN:
    case CURLINFO_DATA_IN:
    case CURLINFO_SSL_DATA_IN:
        DumpTraceData(trace, "S", bytes, size);
        break;
    case CURLINFO_HEADER_OUT:
        DumpTraceData(trace, "C", reinterpret_cast<const unsigned char*>(commands.data()),
                      commands.size());
        break;
    case CURLINFO_DATA_OUT:
    case CURLINFO_SSL_DATA_OUT:
        DumpTraceData(trace, "C", bytes, size);
        break;
    default:
        break;
    }
    return 0;
}

void DumpTraceData(SendTrace& trace, const char* label, const unsigned char* data, size_t size)
{
    const std::string prefix = std::string(label) + ": ";
    for (size_t offset = 0; offset < size;)
        offset =
            AppendTraceLine(trace.entryBuffer, prefix.data(), prefix.size(), data, size, offset);
    trace.traceEntries.push_back(trace.entryBuffer);
}

void AppendLogSummary(SendTrace& trace, int32_t code)
{
    std::string& buffer = trace.entryBuffer;
    buffer.clear();
    const std::string time = FormatLocalTime();
    if (code == 0) {
        buffer += kSuccessLine;
    } else {
        buffer += kErrorPrefix;
        buffer += curl_easy_strerror(static_cast<CURLcode>(code));
        buffer += '\n';
    }
    buffer += kEndPrefix + time + "\n\n" + kSeparator + "\n\n";
    trace.traceEntries.push_back(buffer);
}

} // namespace SMTPClientNS
