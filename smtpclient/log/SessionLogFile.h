// The session log file of a client.
#ifndef SMTPCLIENT_LOG_SESSIONLOGFILE_H
#define SMTPCLIENT_LOG_SESSIONLOGFILE_H

#include <cstdint>

#include "../WideString.h"
#include "TraceLog.h"

namespace SMTPClientNS {

// Summary, collection, then every trace entry written to the file in one
// write (replacing or appending). Failures to open or write are silent.
void WriteLogFile(const WString& logFilePath, bool logAppend, int32_t& lastResultCode,
                  ResultCodeOf toResultCode, LogQueue& sessionEntries, LogQueue& traceEntries);

} // namespace SMTPClientNS

#endif
