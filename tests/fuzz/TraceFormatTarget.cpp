// The trace formatter on fuzzed libcurl reports: protocol data becomes
// "C: " / "S: " lines of at most 96 printable characters.
#include <curl/curl.h>

#include <string>

#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "smtpclient/log/TraceLog.h"

namespace SMTPClientFuzz {

namespace {

const size_t kMaxLineText = 96;

bool IsProtocolData(curl_infotype type)
{
    return type != CURLINFO_TEXT && type < CURLINFO_END;
}

void CheckDataEntry(const std::string& entry)
{
    size_t start = 0;
    while (start < entry.size()) {
        const size_t end = entry.find('\n', start);
        Expect(end != std::string::npos, "trace line without its newline");
        const std::string line = entry.substr(start, end - start);
        Expect(line.compare(0, 3, "C: ") == 0 || line.compare(0, 3, "S: ") == 0,
               "trace line without its label");
        Expect(line.size() - 3 <= kMaxLineText, "trace line longer than 96 characters");
        for (char c : line) {
            const unsigned char byte = static_cast<unsigned char>(c);
            Expect(byte >= 32 && byte <= 127, "unprintable byte in a trace line");
        }
        start = end + 1;
    }
}

} // namespace

int FuzzTraceFormat(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const curl_infotype type = static_cast<curl_infotype>(data[0] % (CURLINFO_END + 1));
    unsigned char flag = data[1];
    std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);

    // Each iteration starts from empty process-wide queues, as a send does.
    SMTPClientNS::LogQueue session;
    SMTPClientNS::LogQueue trace;
    SMTPClientNS::ResetSessionLog(session, trace);
    SMTPClientNS::TraceCallback(nullptr, type, &bytes[0], bytes.size(), &flag);
    SMTPClientNS::CollectSessionLog(session, trace);

    Expect(session.empty(), "the trace callback queued a session entry");
    if (type == CURLINFO_END) {
        Expect(trace.empty(), "an unknown info type was queued");
        return 0;
    }
    Expect(trace.size() == 1, "one report must give one entry");
    if (IsProtocolData(type))
        CheckDataEntry(trace.front());
    return 0;
}

} // namespace SMTPClientFuzz
