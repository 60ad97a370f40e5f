// The synchronous send and the session log of the client.
#include "SmtpClientWrapper.h"

#include "NoThrow.h"
#include "Outcomes.h"
#include "ResultTable.h"
#include "encoding/CodePage.h"
#include "log/SessionDialogue.h"
#include "log/SessionLogFile.h"
#include "log/TraceLog.h"

namespace SMTPClientNS {

namespace {

// What lastResultCode holds after a summary. Every summary has always mapped
// a non-zero value to its result code, even one it had mapped before: a raw
// 6 reads -4 after the first summary and -1 after the second, and 999
// before any send reads -1 after the first.
int32_t RemapBySummary(int32_t lastResultCode)
{
    return lastResultCode == 0 ? 0 : ToResultCode(lastResultCode);
}

} // namespace

// The job is taken whole before the last send's transfer is freed, so a
// snapshot that finds no memory leaves the last send as it was.
int CSmtpClientWrapper::Send()
{
    lastResultCode = kResultGeneralError;
    std::unique_ptr<SendJob> job(new SendJob(TakeSettings(), mimeMessage, true));
    lastJob = std::move(job);
    const int32_t rc = lastJob->Build();
    lastResultCode = rc;
    if (rc == 0)
        lastResultCode = lastJob->Perform();
    // The closing entry and the log file are diagnostics: when they find no
    // memory they are lost like a log that cannot be written, and the
    // send's outcome stands. The host reads why the send ended with
    // GetLastLogEntry.
    NoThrow([this] { AppendClosingEntry(lastJob->Trace(), lastResultCode, ToResultText); });
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
    AppendSummary();
    const LogQueue& sessionEntries = lastJob->Trace().sessionEntries;
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
    const LogQueue& sessionEntries = lastJob->Trace().sessionEntries;
    logText.clear();
    if (!sessionEntries.empty())
        CodePageToWide(sessionEntries.back().c_str(), logText, kAnsiCodePage);
    return logText.c_str();
}

void CSmtpClientWrapper::AppendSummary()
{
    AppendLogSummary(lastJob->Trace(), lastResultCode);
    lastResultCode = RemapBySummary(lastResultCode);
}

void CSmtpClientWrapper::WriteSessionLogFile()
{
    AppendSummary();
    WriteLogFile(logFilePath, logAppend, lastJob->Trace().traceEntries);
}

} // namespace SMTPClientNS
