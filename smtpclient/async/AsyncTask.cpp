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
    // Drives one send: Prepare on the host's thread, Execute on the worker,
    // Complete on the window's thread.
    class CNestingImp : public INesting {
    public:
        void Prepare() override
        {
            record->transfer = Transfer::Create();
            if (!record->transfer.Created()) {
                record->result = kOutcomeBadState;
                return;
            }
            record->result = BuildRequest(record->transfer, record->client);
        }

        void Execute() override
        {
            if (record->result != 0)
                return;
            record->result = PerformTransfer(record->transfer.Handle(), nullptr);
        }

        // The callback is read now, not when the task was queued. A client
        // without one is not told, and its record goes all the same.
        void Complete() override
        {
            IAsyncCallback* callback = record->client->GetAsyncCallback();
            if (callback != nullptr)
                ReportCompletion(*callback, *record);
        }

        void SetTaskRecord(AsyncTaskRecord* taskRecord) override { record = taskRecord; }
        AsyncTaskRecord* GetTaskRecord() override { return record; }

    private:
        AsyncTaskRecord* record = nullptr;
    };

    return worker.PostTask(
        std::make_unique<AsyncTaskRecord>(client, std::make_unique<CNestingImp>()));
}

} // namespace SMTPClientNS
