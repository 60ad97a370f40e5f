#include "AsyncTask.h"

#include <memory>

#include "../NoThrow.h"
#include "../ResultTable.h"
#include "../SendPipeline.h"
#include "../SmtpClientWrapper.h"
#include "../TransferTimeouts.h"
#include "../WideString.h"

namespace SMTPClientNS {

namespace {

// The result table is built on first use; without memory for it the host
// still hears of the task, as a general error.
void ReportCompletion(IAsyncCallback& callback, const AsyncTaskRecord& record)
{
    const SmtpChar* message = SMTPCLIENT_TEXT("");
    int32_t resultCode = -1;
    NoThrow([&] {
        message = ToResultText(record.result);
        resultCode = ToResultCode(record.result);
    });
    callback.OnSendComplete(record.taskId, resultCode, message);
}

// Everything but the nesting object, which its caller still runs on; the
// transfer handles go with the record.
void ReleaseTaskHoldings(AsyncTaskRecord* record)
{
    if (record->client != nullptr)
        record->client->Release();
    delete record;
}

} // namespace

int32_t CAsyncTask::ExecuteTask(ISmtpClient* client)
{
    // Drives one task: Prepare on the host's thread, Execute on the worker,
    // Complete on the window's thread.
    class CNestingImp : public INesting {
    public:
        CNestingImp() : record(nullptr) {}

        void Prepare() override
        {
            AsyncTaskRecord* task = GetTaskRecord();
            task->nesting = this;
            task->client->AddRef();
            task->transfer = Transfer::Create();
            if (!task->transfer.Created()) {
                task->result = -1;
                return;
            }
            task->result = BuildRequest(task->transfer, task->client);
        }

        void Execute() override
        {
            AsyncTaskRecord* task = GetTaskRecord();
            if (task == nullptr || task->result != 0)
                return;
            task->result = PerformTransfer(task->transfer.Handle(), nullptr);
        }

        // The callback is read now, not when the task was queued. A client
        // without one gets the same clean-up, unreported.
        void Complete() override
        {
            AsyncTaskRecord* task = GetTaskRecord();
            IAsyncCallback* callback = task->client->GetAsyncCallback();
            if (callback != nullptr)
                ReportCompletion(*callback, *task);
            record = nullptr;
            ReleaseTaskHoldings(task);
        }

        void SetTaskRecord(AsyncTaskRecord* taskRecord) override { record = taskRecord; }
        AsyncTaskRecord* GetTaskRecord() override { return record; }

    private:
        AsyncTaskRecord* record;
    };

    std::unique_ptr<AsyncTaskRecord> record(new AsyncTaskRecord());
    record->client = client;
    std::unique_ptr<INesting> nesting(new CNestingImp());
    // PostTask owns both once it returns; when it throws it has taken neither.
    const int32_t taskId = ThreadOf(client).PostTask(nesting.get(), record.get());
    nesting.release();
    record.release();
    return taskId;
}

CAsyncThread& CAsyncTask::ThreadOf(ISmtpClient* client)
{
    return static_cast<CSmtpClientWrapper*>(client)->asyncThread;
}

void DiscardTask(AsyncTaskRecord* record)
{
    if (record == nullptr)
        return;
    INesting* nesting = record->nesting;
    ReleaseTaskHoldings(record);
    delete nesting;
}

} // namespace SMTPClientNS
