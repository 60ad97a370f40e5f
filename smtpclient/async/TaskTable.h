// What a client's host thread and its workers share: the tasks queued, those
// running, those finished and waiting for the window procedure, and the
// window. Each worker holds the table as long as it runs, so nothing it
// touches goes with the client.
#ifndef SMTPCLIENT_ASYNC_TASKTABLE_H
#define SMTPCLIENT_ASYNC_TASKTABLE_H

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "../platform/MessageQueue.h"
#include "AsyncTask.h"

namespace SMTPClientNS {

// A task is the host's while it holds a reference on the client; one that
// holds none can reach no host, and goes as it finishes. The table owns the
// tasks queued and those finished; one running is its worker's.
class TaskTable {
public:
    TaskTable() = default;
    TaskTable(const TaskTable&) = delete;
    TaskTable& operator=(const TaskTable&) = delete;

    void SetWindow(Platform::WindowHandle handle);
    bool HasWindow();
    // Clears the window and returns what it was.
    Platform::WindowHandle TakeWindow();

    // Queues the task under its id (a task under the same id is replaced).
    void Add(std::unique_ptr<CAsyncTask> task);
    // Removes the tasks of taskId (0: all) and returns them.
    std::vector<std::unique_ptr<CAsyncTask>> Withdraw(int32_t taskId);
    // Takes a queued task out to run it; null when the id is not queued.
    std::unique_ptr<CAsyncTask> Start(int32_t taskId);
    // Takes the oldest queued task out to run it; null when none is queued.
    std::unique_ptr<CAsyncTask> StartNext();
    // Ends the run of a task. A task of the host waits here for the window
    // procedure, and its notice is posted to the window, with this table as
    // wParam and the task id as lParam; any other task goes.
    void Finish(std::unique_ptr<CAsyncTask> task, uint32_t doneMessage);
    // For the window procedure: the task, when it was waiting; else null.
    std::unique_ptr<CAsyncTask> TakeFinished(int32_t taskId);
    // A task queued or running.
    bool Busy();

    // What the tasks of a host thread that ended still hold: the finished
    // ones, given up whole, and the references of those queued or running,
    // which are left to the worker to finish and give back.
    struct Abandoned {
        std::vector<std::unique_ptr<CAsyncTask>> finished;
        std::vector<ISmtpClient*> references;
        Platform::WindowHandle window = nullptr;
    };
    Abandoned AbandonHost();

private:
    typedef std::map<int32_t, std::unique_ptr<CAsyncTask>> TaskMap;

    // Under the lock: moves the entry's task to the running ones.
    std::unique_ptr<CAsyncTask> StartEntry(TaskMap::iterator entry);

    std::mutex lock;
    TaskMap pendingTasks;
    // Room for every task queued is kept here too, so that starting one
    // needs no memory on a worker.
    std::vector<CAsyncTask*> running;
    // Few wait here at a time: the host takes each as its notice comes.
    std::vector<std::unique_ptr<CAsyncTask>> finished;
    Platform::WindowHandle window = nullptr;
};

} // namespace SMTPClientNS

#endif
