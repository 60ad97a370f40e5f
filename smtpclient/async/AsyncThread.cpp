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

CAsyncThread::CAsyncThread() : nextWorker(0), tasks(new TaskTable()), lastTaskId(0) {}

// No task of the host is queued or running here: each one holds a
// reference on the client that owns this object. Tasks left unreported may
// be; their worker finishes them after this object is gone.
CAsyncThread::~CAsyncThread()
{
    for (const uint32_t workerId : workerIds)
        Platform::PostThreadMessageTo(workerId, kThreadStopMessage, 0, 0);
    const Platform::WindowHandle window = tasks->TakeWindow();
    if (window != nullptr && Platform::IsLiveWindow(window))
        Platform::DestroyHiddenWindow(window);
    for (const Platform::ThreadHandle worker : workers)
        StopWorker(worker);
    className.clear();
    windowName.clear();
}

// A step that finds no memory gives the task back.
int32_t CAsyncThread::PostTask(std::unique_ptr<CAsyncTask> task, int32_t workerCount)
{
    className = kWindowClassName;
    windowName = kWindowClassName;
    while (workers.size() < static_cast<size_t>(workerCount)) {
        if (!StartWorker())
            break;
    }
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
    if (!NotifyWorker())
        CompleteWithoutWorker(taskId);
    return taskId;
}

// The notices go round the workers; whichever takes one runs what is queued.
bool CAsyncThread::NotifyWorker()
{
    if (workerIds.empty())
        return false;
    const uint32_t workerId = workerIds[nextWorker++ % workerIds.size()];
    return NoThrow(
        false, [&] { return Platform::PostThreadMessageTo(workerId, kTaskPostedMessage, 0, 0); });
}

int32_t CAsyncThread::CancelTask(int32_t taskId)
{
    // The tasks go as the call returns; the last may destroy the client,
    // and this object with it.
    const std::vector<std::unique_ptr<CAsyncTask>> withdrawn = tasks->Withdraw(taskId);
    return withdrawn.empty() ? -1 : 1;
}

// The worker gets a table reference of its own; until a worker has taken it
// (a start that fails or throws), it stays ours to free. Room in the lists
// is made first, so a worker that started is always kept.
bool CAsyncThread::StartWorker()
{
    workers.reserve(workers.size() + 1);
    workerIds.reserve(workerIds.size() + 1);
    std::unique_ptr<std::shared_ptr<TaskTable>> workerTasks(new std::shared_ptr<TaskTable>(tasks));
    uint32_t startedId = 0;
    const Platform::ThreadHandle worker =
        Platform::StartThread(ThreadProc, workerTasks.get(), startedId);
    if (worker == nullptr)
        return false;
    workerTasks.release();
    workers.push_back(worker);
    workerIds.push_back(startedId);
    return true;
}

// A worker that can only take the notices left in its queue, up to the stop
// message, is waited for. One that still has tasks to perform, or whose
// host thread is ending (where waiting could hold up the thread's end), is
// left to end on its own: the table it works on is its own as well.
void CAsyncThread::StopWorker(Platform::ThreadHandle worker)
{
    if (tasks->Busy() || HostThreadEnding()) {
        Platform::DetachThread(worker);
    } else {
        const bool ended = Platform::WaitThread(worker, kStopTimeoutMs);
        Platform::CloseThread(worker, ended);
    }
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
    // The worker's kept connection closes as the worker ends.
    ConnectionLane lane;
    Platform::ThreadMessage message;
    while (Platform::GetNextMessage(message)) {
        if (message.message == kThreadStopMessage)
            break;
        if (message.message == kTaskPostedMessage)
            RunTasks(*table, lane);
    }
    return 0;
}

// A notice finds what is queued by then: its own task, or nothing when
// another worker took it or the host cancelled it.
void CAsyncThread::RunTasks(TaskTable& table, ConnectionLane& lane)
{
    for (std::unique_ptr<CAsyncTask> task = table.StartNext(); task != nullptr;
         task = table.StartNext()) {
        task->Execute(lane);
        table.Finish(std::move(task), kTaskDoneMessage);
    }
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
