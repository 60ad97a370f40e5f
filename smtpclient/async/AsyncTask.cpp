#include "AsyncTask.h"

#include <utility>

#include "../NoThrow.h"
#include "../Outcomes.h"
#include "../ResultTable.h"
#include "../SendPipeline.h"
#include "../TransferTimeouts.h"
#include "../WideString.h"
#include "AsyncThread.h"

namespace SMTPClientNS {

namespace {

// The result table is built on first use; without memory for it the host
// still hears of the task, as a general error.
void ReportCompletion(IAsyncCallback& callback, const AsyncTaskRecord& record)
{
    const SmtpChar* message = SMTPCLIENT_TEXT("");
    int32_t resultCode = kResultGeneralError;
    NoThrow([&] {
        message = ToResultText(record.result);
        resultCode = ToResultCode(record.result);
    });
    callback.OnSendComplete(record.taskId, resultCode, message);
}

// Drives one send: Prepare on the host's thread, Execute on the worker,
// Complete on the window's thread.
class CNestingImp : public INesting {
public:
    void Prepare(AsyncTaskRecord* task) override
    {
        task->transfer = Transfer::Create();
        if (!task->transfer.Created()) {
            task->result = kOutcomeBadState;
            return;
        }
        task->result = BuildRequest(task->transfer, task->client);
    }

    void Execute(AsyncTaskRecord* task) override
    {
        if (task->result != 0)
            return;
        task->result = PerformTransfer(task->transfer.Handle(), nullptr);
    }

    // The callback is read now, not when the task was queued. A client
    // without one is not told, and its record goes all the same.
    void Complete(AsyncTaskRecord* task) override
    {
        IAsyncCallback* callback = task->client->GetAsyncCallback();
        if (callback != nullptr)
            ReportCompletion(*callback, *task);
    }
};

} // namespace

AsyncTaskRecord::AsyncTaskRecord(ISmtpClient* client, std::unique_ptr<INesting> nesting)
    : nesting(std::move(nesting)), client(client)
{
    client->AddRef();
}

AsyncTaskRecord::~AsyncTaskRecord()
{
    if (client != nullptr)
        client->Release();
}

int32_t CAsyncTask::ExecuteTask(CAsyncThread& worker, ISmtpClient* client)
{
    return worker.PostTask(
        std::make_unique<AsyncTaskRecord>(client, std::make_unique<CNestingImp>()));
}

} // namespace SMTPClientNS
