#include "TaskTable.h"

#include <algorithm>
#include <utility>

#include "../NoThrow.h"

namespace SMTPClientNS {

namespace {

void Disown(CAsyncTask* task, std::vector<ISmtpClient*>& references)
{
    if (task->ReachesHost())
        references.push_back(task->DisownClient());
}

} // namespace

void TaskTable::SetWindow(Platform::WindowHandle handle)
{
    std::lock_guard<std::mutex> hold(lock);
    window = handle;
}

bool TaskTable::HasWindow()
{
    std::lock_guard<std::mutex> hold(lock);
    return window != nullptr;
}

Platform::WindowHandle TaskTable::TakeWindow()
{
    std::lock_guard<std::mutex> hold(lock);
    Platform::WindowHandle taken = window;
    window = nullptr;
    return taken;
}

// The finished and running lists get their room for the task now, on the
// host's thread, so that a worker needs no memory to start the task or to
// hand it back.
void TaskTable::Add(std::unique_ptr<CAsyncTask> task)
{
    std::lock_guard<std::mutex> hold(lock);
    finished.reserve(finished.size() + pendingTasks.size() + running.size() + 1);
    running.reserve(pendingTasks.size() + running.size() + 1);
    const int32_t taskId = task->Id();
    pendingTasks[taskId] = std::move(task);
}

// Room for every task is made before any is moved, so a withdrawal that
// finds no memory leaves the queue as it was.
std::vector<std::unique_ptr<CAsyncTask>> TaskTable::Withdraw(int32_t taskId)
{
    std::vector<std::unique_ptr<CAsyncTask>> withdrawn;
    std::lock_guard<std::mutex> hold(lock);
    if (taskId != 0) {
        auto entry = pendingTasks.find(taskId);
        if (entry != pendingTasks.end()) {
            withdrawn.push_back(std::move(entry->second));
            pendingTasks.erase(entry);
        }
        return withdrawn;
    }
    withdrawn.reserve(pendingTasks.size());
    for (auto& entry : pendingTasks)
        withdrawn.push_back(std::move(entry.second));
    pendingTasks.clear();
    return withdrawn;
}

std::unique_ptr<CAsyncTask> TaskTable::Start(int32_t taskId)
{
    std::lock_guard<std::mutex> hold(lock);
    return StartEntry(pendingTasks.find(taskId));
}

std::unique_ptr<CAsyncTask> TaskTable::StartNext()
{
    std::lock_guard<std::mutex> hold(lock);
    return StartEntry(pendingTasks.begin());
}

std::unique_ptr<CAsyncTask> TaskTable::StartEntry(TaskMap::iterator entry)
{
    if (entry == pendingTasks.end())
        return nullptr;
    std::unique_ptr<CAsyncTask> task = std::move(entry->second);
    pendingTasks.erase(entry);
    running.push_back(task.get());
    return task;
}

// The notice is posted under the lock, so that a host thread ending at the
// same time either finds the task here or the window still there. A notice
// that cannot be posted leaves the task to that thread's end. A task that is
// not the host's goes with the parameter, after the lock.
void TaskTable::Finish(std::unique_ptr<CAsyncTask> task, uint32_t doneMessage)
{
    std::lock_guard<std::mutex> hold(lock);
    running.erase(std::remove(running.begin(), running.end(), task.get()), running.end());
    if (!task->ReachesHost())
        return;
    const int32_t taskId = task->Id();
    // Without memory for the notice, the task of the host stays here (or, if
    // not even that fits, nowhere) rather than being given back off the
    // host's thread: its reference then keeps the client, and a host thread
    // that ends gives back what waits here.
    NoThrow([&] {
        finished.push_back(std::move(task));
        Platform::PostWindowMessage(window, doneMessage, reinterpret_cast<uintptr_t>(this), taskId);
    });
    // Still ours only when not even the list had room: let go, not destroyed.
    static_cast<void>(task.release());
}

std::unique_ptr<CAsyncTask> TaskTable::TakeFinished(int32_t taskId)
{
    std::lock_guard<std::mutex> hold(lock);
    auto entry = std::find_if(finished.begin(), finished.end(),
                              [taskId](const auto& task) { return task->Id() == taskId; });
    if (entry == finished.end())
        return nullptr;
    std::unique_ptr<CAsyncTask> taken = std::move(*entry);
    finished.erase(entry);
    return taken;
}

bool TaskTable::Busy()
{
    std::lock_guard<std::mutex> hold(lock);
    return !running.empty() || !pendingTasks.empty();
}

TaskTable::Abandoned TaskTable::AbandonHost()
{
    Abandoned abandoned;
    std::lock_guard<std::mutex> hold(lock);
    abandoned.finished.swap(finished);
    for (const auto& entry : pendingTasks)
        Disown(entry.second.get(), abandoned.references);
    for (CAsyncTask* task : running)
        Disown(task, abandoned.references);
    abandoned.window = window;
    window = nullptr;
    return abandoned;
}

} // namespace SMTPClientNS
