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

// What lastResultCode holds after a summary. Every summary has always read
// the value as a raw outcome and mapped a non-zero one to its result code,
// even a result code it had mapped before: a raw 6 reads -4 after the first
// summary and -1 after the second, and the 999 of a client that has not
// sent reads -1.
int32_t RemapBySummary(int32_t lastResultCode)
{
    if (lastResultCode == 0)
        return 0;
    return ToResultCode(static_cast<RawOutcome>(lastResultCode));
}

} // namespace

// The job is taken whole before the last send's transfer is freed, so a
// snapshot that finds no memory leaves the last send as it was.
// GetLastResultCode shows the raw outcome until a summary maps it.
int CSmtpClientWrapper::Send()
{
    lastResultCode = kResultGeneralError;
    lastJob = MakeJob(TakeSettings(), true);
    const RawOutcome built = lastJob->Build();
    const RawOutcome outcome = built == RawOutcome::Success ? lastJob->Perform(sendLane) : built;
    lastResultCode = ValueOf(outcome);
    // The closing entry and the log file are diagnostics: when they find no
    // memory they are lost like a log that cannot be written, and the
    // send's outcome stands. The host reads why the send ended with
    // GetLastLogEntry. A send whose build failed writes no log file.
    NoThrow([&] { AppendClosingEntry(lastJob->Trace(), outcome, ToResultText); });
    if (built == RawOutcome::Success && !logFilePath.empty())
        NoThrow([this] { WriteSessionLogFile(); });
    return ToResultCode(outcome);
}

const SmtpChar* CSmtpClientWrapper::GetSessionLog()
{
    AppendSummary();
    const LogEntries& sessionEntries = lastJob->Trace().sessionEntries;
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
    const LogEntries& sessionEntries = lastJob->Trace().sessionEntries;
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
