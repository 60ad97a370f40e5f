#include "AsyncTask.h"

#include <utility>

#include "../NoThrow.h"
#include "../Outcomes.h"
#include "../ResultTable.h"
#include "../encoding/CodePage.h"
#include "../log/SessionDialogue.h"

namespace SMTPClientNS {

CAsyncTask::CAsyncTask(ISmtpClient* client, std::unique_ptr<SendJob> job)
    : client(client), job(std::move(job))
{
    client->AddRef();
}

CAsyncTask::~CAsyncTask()
{
    if (client != nullptr)
        client->Release();
}

void CAsyncTask::Prepare()
{
    job->Build();
}

void CAsyncTask::Execute(ConnectionLane& lane)
{
    if (job->Outcome() == RawOutcome::Success)
        job->Perform(lane);
}

void CAsyncTask::EndUnrun()
{
    job->EndUnrun();
}

// The result table is built on first use; without memory for it the host
// still hears of the task, as a general error.
void CAsyncTask::Complete()
{
    IAsyncCallback* callback = client->GetAsyncCallback();
    if (callback == nullptr)
        return;
    const SmtpChar* message = SMTPCLIENT_TEXT("");
    SmtpResult resultCode = kResultGeneralError;
    NoThrow([&] {
        message = ToResultText(job->Outcome());
        resultCode = ToResultCode(job->Outcome());
        if (job->Settings().options.completionDetail) {
            AppendClosingEntry(job->Trace(), job->Outcome(), ToResultText);
            CodePageToWide(job->Trace().sessionEntries.back().c_str(), detail, kAnsiCodePage);
            message = detail.c_str();
        }
    });
    callback->OnSendComplete(id, resultCode, message);
}

ISmtpClient* CAsyncTask::DisownClient()
{
    ISmtpClient* disowned = client;
    client = nullptr;
    return disowned;
}

} // namespace SMTPClientNS
