// libcurl's trace of one send turned into the entries of its log.
#ifndef SMTPCLIENT_LOG_TRACELOG_H
#define SMTPCLIENT_LOG_TRACELOG_H

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>

#include "SendTrace.h"

namespace SMTPClientNS {

// CURLOPT_DEBUGFUNCTION; userData is the send's SendTrace. Login secrets are
// masked in the trace as in the session entries.
int TraceCallback(CURL* handle, curl_infotype type, char* data, size_t size, void* userData);

// Formats one block as "C: " / "S: " lines of at most 96 characters and
// appends it to the trace.
void DumpTraceData(SendTrace& trace, const char* label, const unsigned char* data, size_t size);

// Appends the summary entry of code: success for 0, libcurl's description
// of any other value.
void AppendLogSummary(SendTrace& trace, int32_t code);

} // namespace SMTPClientNS

#endif
