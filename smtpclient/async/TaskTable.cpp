#include "TaskTable.h"

#include "../NoThrow.h"

#include <algorithm>

namespace SMTPClientNS {

namespace {

void Disown(AsyncTaskRecord* record, std::vector<ISmtpClient*>& references)
{
    if (record->client == nullptr)
        return;
    references.push_back(record->client);
    record->client = nullptr;
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

void TaskTable::Add(int32_t taskId, AsyncTaskRecord* record)
{
    std::lock_guard<std::mutex> hold(lock);
    pendingTasks[taskId] = record;
}

std::vector<AsyncTaskRecord*> TaskTable::Withdraw(int32_t taskId)
{
    std::vector<AsyncTaskRecord*> withdrawn;
    std::lock_guard<std::mutex> hold(lock);
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

AsyncTaskRecord* TaskTable::Start(int32_t taskId)
{
    std::lock_guard<std::mutex> hold(lock);
    auto entry = pendingTasks.find(taskId);
    if (entry == pendingTasks.end())
        return nullptr;
    running = entry->second;
    pendingTasks.erase(entry);
    return running;
}

// The notice is posted under the lock, so that a host thread ending at the
// same time either finds the record here or the window still there. A
// notice that cannot be posted leaves the record to that thread's end.
bool TaskTable::Finish(AsyncTaskRecord* record, uint32_t doneMessage)
{
    std::lock_guard<std::mutex> hold(lock);
    if (running == record)
        running = nullptr;
    if (record->client == nullptr)
        return false;
    // Without memory for the notice, the task of the host stays here (or, if
    // not even that fits, nowhere) rather than being given back off the
    // host's thread: its reference then keeps the client, and a host thread
    // that ends gives back what waits here.
    NoThrow([&] {
        finished.push_back(record);
        Platform::PostWindowMessage(window, doneMessage, 0, reinterpret_cast<intptr_t>(record));
    });
    return true;
}

bool TaskTable::TakeFinished(AsyncTaskRecord* record)
{
    std::lock_guard<std::mutex> hold(lock);
    auto entry = std::find(finished.begin(), finished.end(), record);
    if (entry == finished.end())
        return false;
    finished.erase(entry);
    return true;
}

bool TaskTable::Busy()
{
    std::lock_guard<std::mutex> hold(lock);
    return running != nullptr || !pendingTasks.empty();
}

TaskTable::Abandoned TaskTable::AbandonHost()
{
    Abandoned abandoned;
    std::lock_guard<std::mutex> hold(lock);
    abandoned.finished.swap(finished);
    for (const auto& entry : pendingTasks)
        Disown(entry.second, abandoned.references);
    if (running != nullptr)
        Disown(running, abandoned.references);
    abandoned.window = window;
    window = nullptr;
    return abandoned;
}

} // namespace SMTPClientNS
