#include "AsyncTask.h"

#include "../ResultTable.h"
#include "../SendPipeline.h"
#include "../SmtpClientWrapper.h"
#include "../WideString.h"

namespace SMTPClientNS {

namespace {

// Creates the task's easy handle and its four trees; false when any is missing.
bool CreateTransfer(AsyncTaskRecord& record)
{
    record.curlHandle = curl_easy_init();
    if (record.curlHandle == nullptr)
        return false;
    record.rootMime = curl_mime_init(record.curlHandle);
    record.mixedMime = curl_mime_init(record.curlHandle);
    record.relatedMime = curl_mime_init(record.curlHandle);
    record.alternativeMime = curl_mime_init(record.curlHandle);
    return record.rootMime != nullptr && record.mixedMime != nullptr &&
           record.relatedMime != nullptr && record.alternativeMime != nullptr;
}

void ReportCompletion(IAsyncCallback& callback, const AsyncTaskRecord& record)
{
    const WString message = ToResultText(record.result);
    const int32_t resultCode = ToResultCode(record.result);
    callback.OnSendComplete(record.taskId, resultCode, message.c_str());
}

// Everything but the nesting object, which its caller still runs on.
void ReleaseTaskHoldings(AsyncTaskRecord* record)
{
    if (record->client != nullptr)
        record->client->Release();
    ReleaseTransfer(record->curlHandle, &record->recipientList, &record->headerList,
                    &record->rootMime, &record->mixedMime, &record->relatedMime,
                    &record->alternativeMime);
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
            if (!CreateTransfer(*task)) {
                task->result = -1;
                return;
            }
            task->result = BuildRequest(task->curlHandle, &task->recipientList,
                                        &task->headerList, &task->rootMime, &task->mixedMime,
                                        &task->relatedMime, &task->alternativeMime, task->client);
        }

        void Execute() override
        {
            AsyncTaskRecord* task = GetTaskRecord();
            if (task == nullptr || task->result != 0)
                return;
            task->result = curl_easy_perform(task->curlHandle);
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

    AsyncTaskRecord* record = new AsyncTaskRecord();
    record->client = client;
    INesting* nesting = new CNestingImp();
    return ThreadOf(client).PostTask(nesting, record);
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
