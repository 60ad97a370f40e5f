// The asynchronous machinery of one client: worker threads that perform
// queued transfers, each on its own connection, and a hidden window that
// carries each finished task back to the thread that made the client's
// first SendAsync call.
//
// The hops of one completion; after the semicolon, who holds the task:
//   1. host thread: SendAsync -> PostTask -> CAsyncTask::Prepare; PostTask
//   2. the table's queue, and a notice to one of the workers; the table
//   3. a worker, on a notice, runs the queued tasks oldest first: RunTasks ->
//      CAsyncTask::Execute; RunTasks
//   4. TaskTable::Finish posts a notice with the task id to the window; the
//      table
//   5. host thread, dispatching: WindowProc -> CAsyncTask::Complete ->
//      IAsyncCallback::OnSendComplete; WindowProc
//   6. WindowProc returns and the task is destroyed, giving back the client
//      reference and its job.
#ifndef SMTPCLIENT_ASYNC_ASYNCTHREAD_H
#define SMTPCLIENT_ASYNC_ASYNCTHREAD_H

#include <cstdint>
#include <memory>
#include <vector>

#include "../ConnectionLane.h"
#include "../WideString.h"
#include "../platform/MessageQueue.h"
#include "../platform/Thread.h"
#include "AsyncTask.h"
#include "TaskTable.h"

namespace SMTPClientNS {

class CAsyncThread {
public:
    CAsyncThread();
    // Stops the workers and destroys the window. Idle workers are waited for
    // (at most 1000 ms each); with tasks left to finish, or when the host
    // thread is ending, they end on their own.
    ~CAsyncThread();
    CAsyncThread(const CAsyncThread&) = delete;
    CAsyncThread& operator=(const CAsyncThread&) = delete;

    // Prepares the task on the calling thread, queues it and returns its id
    // (1, 2, 3, ... per client). The first call creates the window on the
    // calling thread; calls start workers until there are workerCount
    // (fewer asked later leaves those started). Without a window the task
    // is performed all the same; only its completion cannot be reported.
    int32_t PostTask(std::unique_ptr<CAsyncTask> task, int32_t workerCount);

    // Withdraws a queued task (0: every queued task) and gives back all it
    // holds. 1, or -1 when nothing was queued under that id.
    int32_t CancelTask(int32_t taskId);

private:
    static unsigned long ThreadProc(void* argument);
    static intptr_t SMTPCLIENT_WINDOW_CALL WindowProc(Platform::WindowHandle window,
                                                      uint32_t message, uintptr_t wParam,
                                                      intptr_t lParam);
    static void RunTasks(TaskTable& table, ConnectionLane& lane);

    bool StartWorker();
    void StopWorker(Platform::ThreadHandle worker);
    bool NotifyWorker();
    void CreateWindowOnce();
    void CompleteWithoutWorker(int32_t taskId);

    std::vector<Platform::ThreadHandle> workers;
    std::vector<uint32_t> workerIds;
    // The worker the next notice goes to.
    size_t nextWorker;
    WString className;
    WString windowName;
    // Shared with the worker, which may outlive this object.
    std::shared_ptr<TaskTable> tasks;
    int32_t lastTaskId;
};

} // namespace SMTPClientNS

#endif
