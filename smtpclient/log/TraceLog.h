// libcurl's trace turned into log entries, and the process-wide queues that
// hold them until a client collects them.
#ifndef SMTPCLIENT_LOG_TRACELOG_H
#define SMTPCLIENT_LOG_TRACELOG_H

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace SMTPClientNS {

typedef std::deque<std::string> LogQueue;

// Maps a raw send outcome to the library's result code; the log is told how
// by its caller, which owns the result table.
typedef int32_t (*ResultCodeOf)(int32_t rawOutcome);

// CURLOPT_DEBUGFUNCTION; userData points to the one-byte layout flag.
int TraceCallback(CURL* handle, curl_infotype type, char* data, size_t size, void* userData);

// Formats one block as "C: " / "S: " lines of at most 96 characters and
// queues it.
void DumpTraceData(const char* label, const unsigned char* data, size_t size, unsigned char flag);

// Empties the client's two queues, the pending queues and the entry buffer.
void ResetSessionLog(LogQueue& sessionEntries, LogQueue& traceEntries);

// Queues the summary entry; a non-zero code is replaced by toResultCode(code).
void AppendLogSummary(int32_t& code, ResultCodeOf toResultCode);

// Appends one entry to the pending session entries.
void QueueSessionEntry(const std::string& entry);

// Moves the pending entries into the client's queues, oldest first.
void CollectSessionLog(LogQueue& sessionEntries, LogQueue& traceEntries);

} // namespace SMTPClientNS

#endif
