// The trace formatter on fuzzed libcurl reports: one entry per report, and
// protocol data as "C: " / "S: " lines of at most 96 printable characters;
// session entries only from commands and replies, with no control byte.
// Input: libcurl's info type, a byte that the corpus keeps from an older
// layout flag (ignored), then the data.
#include <curl/curl.h>

#include <string>

#include "FuzzInput.h"
#include "smtpclient/log/SessionDialogue.h"
#include "smtpclient/log/TraceLog.h"

namespace SMTPClientFuzz {

namespace {

// Calls check with every line of entry, each of which must start with a label.
template <typename Check>
void ForEachLabelledLine(const std::string& entry, Check check)
{
    for (size_t start = 0, end; start < entry.size(); start = end + 1) {
        end = entry.find('\n', start);
        Expect(end != std::string::npos, "log line without its newline");
        const std::string line = entry.substr(start, end - start);
        Expect(line.compare(0, 3, "C: ") == 0 || line.compare(0, 3, "S: ") == 0,
               "log line without its label");
        check(line);
    }
}

void CheckDataEntry(const std::string& entry)
{
    ForEachLabelledLine(entry, [](const std::string& line) {
        Expect(line.size() <= 3 + 96, "trace line longer than 96 characters");
        for (char c : line)
            Expect(static_cast<unsigned char>(c) >= 32 && static_cast<unsigned char>(c) <= 127,
                   "unprintable byte in a trace line");
    });
}

void CheckSessionEntry(const std::string& entry)
{
    ForEachLabelledLine(entry, [](const std::string& line) {
        for (char c : line)
            Expect(static_cast<unsigned char>(c) >= 32 && c != 127,
                   "control byte in a session entry");
    });
}

} // namespace

int FuzzTraceFormat(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const curl_infotype type = static_cast<curl_infotype>(data[0] % (CURLINFO_END + 1));
    std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);

    // Each input starts from an empty log, as a send does.
    SMTPClientNS::SendTrace sendTrace;
    SMTPClientNS::StartSessionDialogue(sendTrace, nullptr);
    SMTPClientNS::TraceCallback(nullptr, type, &bytes[0], bytes.size(), &sendTrace);
    const SMTPClientNS::LogEntries& session = sendTrace.sessionEntries;
    const SMTPClientNS::LogEntries& trace = sendTrace.traceEntries;

    Expect(session.empty() || type == CURLINFO_HEADER_IN || type == CURLINFO_HEADER_OUT,
           "a session entry from a report that is neither a command nor a reply");
    for (const std::string& entry : session)
        CheckSessionEntry(entry);
    Expect(trace.size() == (type == CURLINFO_END ? 0u : 1u), "not one entry per known report");
    if (type != CURLINFO_TEXT && type != CURLINFO_END)
        CheckDataEntry(trace.front());
    return 0;
}

} // namespace SMTPClientFuzz
