// The synchronous send and the session log of the client.
#include "SmtpClientWrapper.h"

#include "NoThrow.h"
#include "Outcomes.h"
#include "ResultTable.h"
#include "SendPipeline.h"
#include "TransferTimeouts.h"
#include "encoding/CodePage.h"
#include "log/SessionDialogue.h"
#include "log/SessionLogFile.h"

namespace SMTPClientNS {

namespace {

// No exception may unwind through libcurl: a trace line that finds no memory
// is lost, and the transfer goes on.
int GuardedTraceCallback(CURL* handle, curl_infotype type, char* data, size_t size, void* userData)
{
    return NoThrow(0, [&] { return TraceCallback(handle, type, data, size, userData); });
}

} // namespace

int CSmtpClientWrapper::Send()
{
    lastResultCode = kResultGeneralError;
    // The last send's handles go before the new ones are made.
    lastTransfer.Free();
    lastTransfer = Transfer::Create();
    CURL* curlHandle = lastTransfer.Handle();
    ResetSessionLog(sessionEntries, traceEntries);
    curl_easy_setopt(curlHandle, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curlHandle, CURLOPT_DEBUGFUNCTION, GuardedTraceCallback);
    curl_easy_setopt(curlHandle, CURLOPT_DEBUGDATA, &traceLayoutFlag);
    char* errorBuffer = StartSessionDialogue(curlHandle);
    const int rc = BuildRequest(lastTransfer, this);
    lastResultCode = rc;
    if (rc == 0)
        lastResultCode = PerformTransfer(curlHandle, errorBuffer,
                                         DialogueTrace{GuardedTraceCallback, &traceLayoutFlag});
    // The dialogue and the log file are diagnostics: when they find no
    // memory they are lost like a log that cannot be written, and the
    // send's outcome stands.
    NoThrow([this] { EndSessionDialogue(); });
    if (rc == 0) {
        if (!logFilePath.empty())
            NoThrow([this] { WriteSessionLogFile(); });
        // The log summary has already mapped a failure.
        if (lastResultCode < 0)
            return lastResultCode;
    }
    return ToResultCode(lastResultCode);
}

const SmtpChar* CSmtpClientWrapper::GetSessionLog()
{
    AppendLogSummary(lastResultCode, ToResultCode);
    CollectSessionLog(sessionEntries, traceEntries);
    if (sessionEntries.empty())
        return SMTPCLIENT_TEXT("");
    logText.clear();
    for (const std::string& entry : sessionEntries) {
        WString text;
        CodePageToWide(entry.c_str(), text, kAnsiCodePage);
        logText += text;
    }
    return logText.c_str();
}

const SmtpChar* CSmtpClientWrapper::GetLastLogEntry()
{
    logText.clear();
    if (!sessionEntries.empty())
        CodePageToWide(sessionEntries.back().c_str(), logText, kAnsiCodePage);
    return logText.c_str();
}

// The host reads why the send ended with GetLastLogEntry, which collects
// nothing itself.
void CSmtpClientWrapper::EndSessionDialogue()
{
    QueueClosingEntry(lastResultCode, ToResultText);
    CollectSessionLog(sessionEntries, traceEntries);
}

void CSmtpClientWrapper::WriteSessionLogFile()
{
    WriteLogFile(logFilePath, logAppend, lastResultCode, ToResultCode, sessionEntries,
                 traceEntries);
}

} // namespace SMTPClientNS
