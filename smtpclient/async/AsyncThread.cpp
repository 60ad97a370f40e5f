#include "AsyncThread.h"

#include "../NoThrow.h"

namespace SMTPClientNS {

namespace {

const uint32_t WM_TASK_POSTED = Platform::kUserMessage + 1000;
const uint32_t WM_THREAD_STOP = Platform::kUserMessage + 1001;
const uint32_t WM_TASK_DONE = Platform::kUserMessage + 4095;

const SmtpChar kWindowClassName[] = SMTPCLIENT_TEXT("SmtpClientAsyncThreadWindow");

const uint32_t kStopTimeoutMs = 1000;

// Raw outcome of a task that no worker could run: reported as a general error.
const int32_t kNoWorkerOutcome = -1;

// What SendAsync returns for a task that could not be queued.
const int32_t kNotQueued = -1;

} // namespace

CAsyncThread::CAsyncThread()
    : window(nullptr), worker(nullptr), workerId(0), lastTaskId(0)
{
}

// No task is queued or running here: each one holds a reference on the
// client that owns this object.
CAsyncThread::~CAsyncThread()
{
    if (workerId != 0)
        Platform::PostThreadMessageTo(workerId, WM_THREAD_STOP, 0, 0);
    if (window != nullptr && Platform::IsLiveWindow(window))
        Platform::DestroyHiddenWindow(window);
    window = nullptr;
    if (worker != nullptr) {
        const bool ended = Platform::WaitThread(worker, kStopTimeoutMs);
        Platform::CloseThread(worker, ended);
        worker = nullptr;
    }
    className.clear();
    windowName.clear();
    std::lock_guard<std::mutex> hold(pendingLock);
    pendingTasks.clear();
}

// Whatever throws comes before Prepare, while the caller still owns the task;
// after it, a step that finds no memory gives the task back.
int32_t CAsyncThread::PostTask(INesting* nesting, AsyncTaskRecord* record)
{
    className = kWindowClassName;
    windowName = kWindowClassName;
    if (worker == nullptr)
        StartWorker();
    if (window == nullptr)
        CreateWindowOnce();
    nesting->SetTaskRecord(record);
    nesting->Prepare();
    const int32_t taskId = ++lastTaskId;
    if (window == nullptr) {
        // Without a window no completion could ever reach the host.
        DiscardTask(record);
        return taskId;
    }
    if (!NoThrow(false, [&] { AddPendingTask(taskId, record); return true; })) {
        DiscardTask(record);
        return kNotQueued;
    }
    const bool posted = workerId != 0 && NoThrow(false, [&] {
        return Platform::PostThreadMessageTo(workerId, WM_TASK_POSTED, 0, taskId);
    });
    if (!posted)
        CompleteWithoutWorker(taskId);
    return taskId;
}

int32_t CAsyncThread::CancelTask(int32_t taskId)
{
    const std::vector<AsyncTaskRecord*> withdrawn = WithdrawPendingTasks(taskId);
    // The last discard may destroy the client, and this object with it.
    for (AsyncTaskRecord* record : withdrawn)
        DiscardTask(record);
    return withdrawn.empty() ? -1 : 1;
}

void CAsyncThread::StartWorker()
{
    uint32_t startedId = 0;
    worker = Platform::StartThread(ThreadProc, this, startedId);
    workerId = worker != nullptr ? startedId : 0;
}

// A class left by another client is reused; any other registration failure
// leaves the client without a window.
void CAsyncThread::CreateWindowOnce()
{
    if (Platform::RegisterWindowClass(className.c_str(), WindowProc) ==
        Platform::ClassRegistration::Failed)
        return;
    window = Platform::CreateHiddenWindow(className.c_str(), windowName.c_str());
}

unsigned long CAsyncThread::ThreadProc(void* argument)
{
    CAsyncThread* asyncThread = static_cast<CAsyncThread*>(argument);
    Platform::EnsureMessageQueue();
    Platform::ThreadMessage message;
    while (Platform::GetNextMessage(message)) {
        if (message.message == WM_THREAD_STOP)
            break;
        if (message.message == WM_TASK_POSTED)
            asyncThread->RunTask(static_cast<int32_t>(message.lParam));
    }
    return 0;
}

// A cancelled task is no longer in the table, and its notice is ignored.
void CAsyncThread::RunTask(int32_t taskId)
{
    AsyncTaskRecord* record = TakePendingTask(taskId);
    if (record == nullptr)
        return;
    record->taskId = taskId;
    if (record->nesting != nullptr)
        record->nesting->Execute();
    Platform::PostWindowMessage(window, WM_TASK_DONE, 0, reinterpret_cast<intptr_t>(record));
}

void CAsyncThread::CompleteWithoutWorker(int32_t taskId)
{
    AsyncTaskRecord* record = TakePendingTask(taskId);
    if (record == nullptr)
        return;
    record->taskId = taskId;
    record->result = kNoWorkerOutcome;
    const bool posted = NoThrow(false, [&] {
        return Platform::PostWindowMessage(window, WM_TASK_DONE, 0, reinterpret_cast<intptr_t>(record));
    });
    if (!posted)
        DiscardTask(record);
}

intptr_t SMTPCLIENT_WINDOW_CALL CAsyncThread::WindowProc(Platform::WindowHandle window,
                                                         uint32_t message, uintptr_t wParam,
                                                         intptr_t lParam)
{
    if (message == Platform::kWindowCreateMessage)
        return 1;
    if (message != WM_TASK_DONE)
        return Platform::DefaultWindowProcedure(window, message, wParam, lParam);
    AsyncTaskRecord* record = reinterpret_cast<AsyncTaskRecord*>(lParam);
    if (record == nullptr || record->nesting == nullptr)
        return 1;
    // Complete frees the record and may destroy the client with this window.
    INesting* nesting = record->nesting;
    nesting->Complete();
    delete nesting;
    return 1;
}

void CAsyncThread::AddPendingTask(int32_t taskId, AsyncTaskRecord* record)
{
    std::lock_guard<std::mutex> hold(pendingLock);
    pendingTasks[taskId] = record;
}

AsyncTaskRecord* CAsyncThread::TakePendingTask(int32_t taskId)
{
    std::lock_guard<std::mutex> hold(pendingLock);
    auto entry = pendingTasks.find(taskId);
    if (entry == pendingTasks.end())
        return nullptr;
    AsyncTaskRecord* record = entry->second;
    pendingTasks.erase(entry);
    return record;
}

std::vector<AsyncTaskRecord*> CAsyncThread::WithdrawPendingTasks(int32_t taskId)
{
    std::vector<AsyncTaskRecord*> withdrawn;
    std::lock_guard<std::mutex> hold(pendingLock);
    if (taskId != 0) {
        auto entry = pendingTasks.find(taskId);
        if (entry != pendingTasks.end()) {
            withdrawn.push_back(entry->second);
            pendingTasks.erase(entry);
        }
        return withdrawn;
    }
    for (const auto& entry : pendingTasks)
        withdrawn.push_back(entry.second);
    pendingTasks.clear();
    return withdrawn;
}

} // namespace SMTPClientNS
