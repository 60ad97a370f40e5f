// Helpers for reading the trace queues and comparing log text.
#ifndef SMTPCLIENT_TESTS_LOGTESTSUPPORT_H
#define SMTPCLIENT_TESTS_LOGTESTSUPPORT_H

#include <regex>
#include <string>

#include "smtpclient/log/TraceLog.h"

namespace SMTPClientTest {

// Starts every test from empty process-wide queues.
inline void ClearTrace()
{
    SMTPClientNS::LogQueue session;
    SMTPClientNS::LogQueue trace;
    SMTPClientNS::ResetSessionLog(session, trace);
}

// The trace entries queued since the last collection, oldest first.
inline SMTPClientNS::LogQueue TakeTraceEntries()
{
    SMTPClientNS::LogQueue session;
    SMTPClientNS::LogQueue trace;
    SMTPClientNS::CollectSessionLog(session, trace);
    return trace;
}

// Replaces every "YYYY-MM-DD hh:mm:ss" by "<time>".
inline std::string MaskTimes(const std::string& text)
{
    static const std::regex time("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}");
    return std::regex_replace(text, time, "<time>");
}

// The summary entry as it reads with the time masked.
inline std::string MaskedSummary(const std::string& outcomeLine)
{
    return outcomeLine + "End Connnect: <time>\n\n" + std::string(82, '=') + "\n\n";
}

} // namespace SMTPClientTest

#endif
