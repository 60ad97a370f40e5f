#include "AsyncThread.h"

#include <memory>
#include <new>
#include <utility>

#include "../NoThrow.h"
#include "AsyncTestHooks.h"
#include "HostThreadEnd.h"

namespace SMTPClientNS {

namespace {

const uint32_t kTaskPostedMessage = Platform::kUserMessage + 1000;
const uint32_t kThreadStopMessage = Platform::kUserMessage + 1001;
const uint32_t kTaskDoneMessage = Platform::kUserMessage + 4095;

const SmtpChar kWindowClassName[] = SMTPCLIENT_TEXT("SmtpClientAsyncThreadWindow");

const uint32_t kStopTimeoutMs = 1000;

// What SendAsync returns for a task that could not be queued.
const int32_t kNotQueued = -1;

// A task whose completion cannot reach the host gives its reference on the
// client back at once; whoever finishes it gives back the rest. The caller
// of SendAsync holds a reference of its own, so the client stays.
void LeaveUnreported(CAsyncTask& task)
{
    task.DisownClient()->Release();
}

} // namespace

CAsyncThread::CAsyncThread() : worker(nullptr), workerId(0), tasks(new TaskTable()), lastTaskId(0)
{}

// No task of the host is queued or running here: each one holds a
// reference on the client that owns this object. Tasks left unreported may
// be; their worker finishes them after this object is gone.
CAsyncThread::~CAsyncThread()
{
    if (workerId != 0)
        Platform::PostThreadMessageTo(workerId, kThreadStopMessage, 0, 0);
    const Platform::WindowHandle window = tasks->TakeWindow();
    if (window != nullptr && Platform::IsLiveWindow(window))
        Platform::DestroyHiddenWindow(window);
    if (worker != nullptr)
        StopWorker();
    className.clear();
    windowName.clear();
}

// A step that finds no memory gives the task back.
int32_t CAsyncThread::PostTask(std::unique_ptr<CAsyncTask> task)
{
    className = kWindowClassName;
    windowName = kWindowClassName;
    if (worker == nullptr)
        StartWorker();
    if (!tasks->HasWindow())
        CreateWindowOnce();
    task->Prepare();
    const int32_t taskId = ++lastTaskId;
    task->SetId(taskId);
    if (!tasks->HasWindow())
        LeaveUnreported(*task);
    if (!NoThrow(false, [&] {
            tasks->Add(std::move(task));
            return true;
        }))
        return kNotQueued;
    const bool posted =
        workerId != 0 && NoThrow(false, [&] {
            return Platform::PostThreadMessageTo(workerId, kTaskPostedMessage, 0, taskId);
        });
    if (!posted)
        CompleteWithoutWorker(taskId);
    return taskId;
}

int32_t CAsyncThread::CancelTask(int32_t taskId)
{
    // The tasks go as the call returns; the last may destroy the client,
    // and this object with it.
    const std::vector<std::unique_ptr<CAsyncTask>> withdrawn = tasks->Withdraw(taskId);
    return withdrawn.empty() ? -1 : 1;
}

// The worker gets a table reference of its own; until a worker has taken it
// (a start that fails or throws), it stays ours to free.
void CAsyncThread::StartWorker()
{
    std::unique_ptr<std::shared_ptr<TaskTable>> workerTasks(new std::shared_ptr<TaskTable>(tasks));
    uint32_t startedId = 0;
    worker = Platform::StartThread(ThreadProc, workerTasks.get(), startedId);
    if (worker != nullptr)
        workerTasks.release();
    workerId = worker != nullptr ? startedId : 0;
}

// A worker that can only take the notices left in its queue, up to the stop
// message, is waited for. One that still has tasks to perform, or whose
// host thread is ending (where waiting could hold up the thread's end), is
// left to end on its own: the table it works on is its own as well.
void CAsyncThread::StopWorker()
{
    if (tasks->Busy() || HostThreadEnding()) {
        Platform::DetachThread(worker);
    } else {
        const bool ended = Platform::WaitThread(worker, kStopTimeoutMs);
        Platform::CloseThread(worker, ended);
    }
    worker = nullptr;
}

// A class left by another client is reused; any other registration failure
// leaves the client without a window. The thread that owns the window looks
// after the client's tasks when it ends; without memory to arrange that,
// the call fails.
void CAsyncThread::CreateWindowOnce()
{
    if (AsyncTestHooks::WindowCreationFails())
        return;
    if (Platform::RegisterWindowClass(className.c_str(), WindowProc)
        == Platform::ClassRegistration::Failed)
        return;
    const Platform::WindowHandle window =
        Platform::CreateHiddenWindow(className.c_str(), windowName.c_str());
    if (window == nullptr)
        return;
    // Unwatched, a window would keep its tasks past its thread's end.
    if (!WatchHostThreadEnd(tasks)) {
        Platform::DestroyHiddenWindow(window);
        throw std::bad_alloc();
    }
    tasks->SetWindow(window);
}

unsigned long CAsyncThread::ThreadProc(void* argument)
{
    std::shared_ptr<TaskTable>* workerTasks = static_cast<std::shared_ptr<TaskTable>*>(argument);
    const std::shared_ptr<TaskTable> table = *workerTasks;
    delete workerTasks;
    AsyncTestHooks::WaitWhileWorkersHeld();
    Platform::ThreadMessage message;
    while (Platform::GetNextMessage(message)) {
        if (message.message == kThreadStopMessage)
            break;
        if (message.message == kTaskPostedMessage)
            RunTask(*table, static_cast<int32_t>(message.lParam));
    }
    return 0;
}

// A cancelled task is no longer in the table, and its notice is ignored.
void CAsyncThread::RunTask(TaskTable& table, int32_t taskId)
{
    std::unique_ptr<CAsyncTask> task = table.Start(taskId);
    if (task == nullptr)
        return;
    task->Execute();
    table.Finish(std::move(task), kTaskDoneMessage);
}

void CAsyncThread::CompleteWithoutWorker(int32_t taskId)
{
    std::unique_ptr<CAsyncTask> task = tasks->Start(taskId);
    if (task == nullptr)
        return;
    task->EndUnrun();
    tasks->Finish(std::move(task), kTaskDoneMessage);
}

// The notice carries the table and the task id: the table keeps the task
// until TakeFinished hands it over here. The window is live, so its client
// and the table are still there.
intptr_t SMTPCLIENT_WINDOW_CALL CAsyncThread::WindowProc(Platform::WindowHandle window,
                                                         uint32_t message, uintptr_t wParam,
                                                         intptr_t lParam)
{
    if (message == Platform::kWindowCreateMessage)
        return 1;
    if (message != kTaskDoneMessage)
        return Platform::DefaultWindowProcedure(window, message, wParam, lParam);
    TaskTable* table = reinterpret_cast<TaskTable*>(wParam);
    const std::unique_ptr<CAsyncTask> task = table->TakeFinished(static_cast<int32_t>(lParam));
    if (task == nullptr)
        return 1;
    // The task goes on return, and may take the client with this window.
    task->Complete();
    return 1;
}

} // namespace SMTPClientNS
