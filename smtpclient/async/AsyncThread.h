// The asynchronous machinery of one client: a worker thread that performs
// queued transfers, and a hidden window that carries each finished task back
// to the thread that made the client's first SendAsync call.
#ifndef SMTPCLIENT_ASYNC_ASYNCTHREAD_H
#define SMTPCLIENT_ASYNC_ASYNCTHREAD_H

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "../encoding/WideString.h"
#include "../platform/MessageQueue.h"
#include "../platform/Thread.h"
#include "AsyncTask.h"

namespace SMTPClientNS {

class CAsyncThread {
public:
    CAsyncThread();
    // Stops the worker (waiting at most 1000 ms) and destroys the window.
    virtual ~CAsyncThread();
    CAsyncThread(const CAsyncThread&) = delete;
    CAsyncThread& operator=(const CAsyncThread&) = delete;

    // Prepares the task on the calling thread, queues it and returns its id
    // (1, 2, 3, ... per client). The first call starts the worker and
    // creates the window on the calling thread.
    int32_t PostTask(INesting* nesting, AsyncTaskRecord* record);

    // Withdraws a queued task (0: every queued task) and gives back all it
    // holds. 1, or -1 when nothing was queued under that id.
    int32_t CancelTask(int32_t taskId);

private:
    static unsigned long ThreadProc(void* argument);
    static intptr_t SMTPCLIENT_WINDOW_CALL WindowProc(Platform::WindowHandle window,
                                                      uint32_t message, uintptr_t wParam,
                                                      intptr_t lParam);

    void StartWorker();
    void CreateWindowOnce();
    void RunTask(int32_t taskId);
    void CompleteWithoutWorker(int32_t taskId);
    void AddPendingTask(int32_t taskId, AsyncTaskRecord* record);
    // Lookup and removal in one step; null when the id is not queued.
    AsyncTaskRecord* TakePendingTask(int32_t taskId);
    // Removes the entries of taskId (0: all) and returns their records.
    std::vector<AsyncTaskRecord*> WithdrawPendingTasks(int32_t taskId);

    Platform::WindowHandle window;
    Platform::ThreadHandle worker;
    uint32_t workerId;
    WString className;
    WString windowName;
    std::map<int32_t, AsyncTaskRecord*> pendingTasks;
    std::mutex pendingLock;  // guards pendingTasks between host and worker
    int32_t lastTaskId;
};

} // namespace SMTPClientNS

#endif
