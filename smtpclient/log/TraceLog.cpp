#include "TraceLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>

#include "../encoding/Digits.h"
#include "../platform/LocalTime.h"
#include "PrintableBytes.h"
#include "SessionDialogue.h"

namespace SMTPClientNS {

namespace {

// Shared by every client of the process and unguarded: only one traced send
// or log operation may run at a time.
std::string TraceEntryBuffer;
LogQueue PendingTraceEntries;
LogQueue PendingSessionEntries;

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
size_t AppendTraceLine(const char* prefix, size_t prefixLength, const unsigned char* data,
                       size_t size, size_t offset)
{
    const size_t lineBreak =
        FindLineBreak(data, size, offset, std::min(offset + kBytesPerLine, size - 1));
    const size_t end = lineBreak < size ? lineBreak : std::min(offset + kBytesPerLine, size);
    const size_t length = end - offset;
    const size_t start = TraceEntryBuffer.size();
    TraceEntryBuffer.resize(start + prefixLength + length + 1);
    char* out = &TraceEntryBuffer[start];
    std::memcpy(out, prefix, prefixLength);
    CopyPrintable<IsTraceByte>(data + offset, length, out + prefixLength);
    out[prefixLength + length] = '\n';
    return lineBreak < size ? lineBreak + 2 : offset + kBytesPerLine;
}

// libcurl's own text goes to standard error as it came, and into the log
// without its leading spaces.
void QueueInformationalText(const char* data, size_t size)
{
    std::fwrite(data, 1, strnlen(data, size), stderr);
    TraceEntryBuffer.append(data, size);
    TraceEntryBuffer.erase(0, TraceEntryBuffer.find_first_not_of(' '));
    PendingTraceEntries.push_back(TraceEntryBuffer);
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

void MoveEntries(LogQueue& from, LogQueue& to)
{
    while (!from.empty()) {
        to.push_back(std::move(from.front()));
        from.pop_front();
    }
}

} // namespace

int TraceCallback(CURL*, curl_infotype type, char* data, size_t size, void* userData)
{
    TraceEntryBuffer.clear();
    NoteSessionDialogue(type, data, size);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    switch (type) {
    case CURLINFO_TEXT:
        QueueInformationalText(data, size);
        break;
    case CURLINFO_HEADER_IN:
    case CURLINFO_DATA_IN:
    case CURLINFO_SSL_DATA_IN:
        DumpTraceData("S", bytes, size, *static_cast<unsigned char*>(userData));
        break;
    case CURLINFO_HEADER_OUT:
    case CURLINFO_DATA_OUT:
    case CURLINFO_SSL_DATA_OUT:
        DumpTraceData("C", bytes, size, *static_cast<unsigned char*>(userData));
        break;
    default:
        break;
    }
    return 0;
}

// The text layout is the only one; the library always passes flag 1.
void DumpTraceData(const char* label, const unsigned char* data, size_t size, unsigned char)
{
    const std::string prefix = std::string(label) + ": ";
    for (size_t offset = 0; offset < size;)
        offset = AppendTraceLine(prefix.data(), prefix.size(), data, size, offset);
    PendingTraceEntries.push_back(TraceEntryBuffer);
}

void ResetSessionLog(LogQueue& sessionEntries, LogQueue& traceEntries)
{
    sessionEntries.clear();
    traceEntries.clear();
    PendingSessionEntries.clear();
    PendingTraceEntries.clear();
    TraceEntryBuffer.clear();
}

// Maps a non-zero code every time it runs, so a second summary maps the
// already mapped value again.
void AppendLogSummary(int32_t& code, ResultCodeOf toResultCode)
{
    TraceEntryBuffer.clear();
    const std::string time = FormatLocalTime();
    if (code == 0) {
        TraceEntryBuffer += kSuccessLine;
    } else {
        TraceEntryBuffer += kErrorPrefix;
        TraceEntryBuffer += curl_easy_strerror(static_cast<CURLcode>(code));
        TraceEntryBuffer += '\n';
        code = toResultCode(code);
    }
    TraceEntryBuffer += kEndPrefix + time + "\n\n" + kSeparator + "\n\n";
    PendingTraceEntries.push_back(TraceEntryBuffer);
}

void QueueSessionEntry(const std::string& entry)
{
    PendingSessionEntries.push_back(entry);
}

void CollectSessionLog(LogQueue& sessionEntries, LogQueue& traceEntries)
{
    MoveEntries(PendingSessionEntries, sessionEntries);
    MoveEntries(PendingTraceEntries, traceEntries);
}

} // namespace SMTPClientNS
