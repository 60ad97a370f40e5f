// The session log file of a client.
#ifndef SMTPCLIENT_LOG_SESSIONLOGFILE_H
#define SMTPCLIENT_LOG_SESSIONLOGFILE_H

#include "../WideString.h"
#include "SendTrace.h"

namespace SMTPClientNS {

// Every trace entry written to the file in one write (replacing or
// appending). Failures to open or write are silent.
void WriteLogFile(const WString& logFilePath, bool logAppend, const LogEntries& traceEntries);

} // namespace SMTPClientNS

#endif
