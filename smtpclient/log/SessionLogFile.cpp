#include "SessionLogFile.h"

#include <string>

#include "../platform/FileSystem.h"

namespace SMTPClientNS {

namespace {

std::string JoinEntries(const LogEntries& entries)
{
    std::string joined;
    for (const std::string& entry : entries)
        joined += entry;
    return joined;
}

} // namespace

// The file is held exclusively while it is written; a file that cannot be
// opened, or is held by another writer, gets nothing and nobody is told.
void WriteLogFile(const WString& logFilePath, bool logAppend, const LogEntries& traceEntries)
{
    Platform::WriteFileExclusive(logFilePath.c_str(), logAppend, JoinEntries(traceEntries));
}

} // namespace SMTPClientNS
