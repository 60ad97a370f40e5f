#include "TaskTable.h"

#include "../NoThrow.h"

#include <algorithm>
#include <utility>

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

// The finished list gets its room for the task now, on the host's thread,
// so that the worker needs no memory to hand the task back.
void TaskTable::Add(int32_t taskId, std::unique_ptr<AsyncTaskRecord> record)
{
    std::lock_guard<std::mutex> hold(lock);
    finished.reserve(finished.size() + pendingTasks.size() + (running != nullptr ? 1 : 0) + 1);
    pendingTasks[taskId] = std::move(record);
}

// Room for every record is made before any is moved, so a withdrawal that
// finds no memory leaves the queue as it was.
std::vector<std::unique_ptr<AsyncTaskRecord>> TaskTable::Withdraw(int32_t taskId)
{
    std::vector<std::unique_ptr<AsyncTaskRecord>> withdrawn;
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

std::unique_ptr<AsyncTaskRecord> TaskTable::Start(int32_t taskId)
{
    std::lock_guard<std::mutex> hold(lock);
    auto entry = pendingTasks.find(taskId);
    if (entry == pendingTasks.end())
        return nullptr;
    std::unique_ptr<AsyncTaskRecord> record = std::move(entry->second);
    pendingTasks.erase(entry);
    running = record.get();
    return record;
}

// The notice is posted under the lock, so that a host thread ending at the
// same time either finds the record here or the window still there. A
// notice that cannot be posted leaves the record to that thread's end. A
// record that is not the host's goes with the parameter, after the lock.
void TaskTable::Finish(std::unique_ptr<AsyncTaskRecord> record, uint32_t doneMessage)
{
    std::lock_guard<std::mutex> hold(lock);
    if (running == record.get())
        running = nullptr;
    if (record->client == nullptr)
        return;
    const intptr_t notice = reinterpret_cast<intptr_t>(record.get());
    // Without memory for the notice, the task of the host stays here (or, if
    // not even that fits, nowhere) rather than being given back off the
    // host's thread: its reference then keeps the client, and a host thread
    // that ends gives back what waits here.
    NoThrow([&] {
        finished.push_back(std::move(record));
        Platform::PostWindowMessage(window, doneMessage, reinterpret_cast<uintptr_t>(this), notice);
    });
    // Still ours only when not even the list had room: let go, not destroyed.
    static_cast<void>(record.release());
}

std::unique_ptr<AsyncTaskRecord> TaskTable::TakeFinished(const AsyncTaskRecord* record)
{
    std::lock_guard<std::mutex> hold(lock);
    auto entry = std::find_if(finished.begin(), finished.end(),
                              [record](const std::unique_ptr<AsyncTaskRecord>& waiting) {
                                  return waiting.get() == record;
                              });
    if (entry == finished.end())
        return nullptr;
    std::unique_ptr<AsyncTaskRecord> taken = std::move(*entry);
    finished.erase(entry);
    return taken;
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
        Disown(entry.second.get(), abandoned.references);
    if (running != nullptr)
        Disown(running, abandoned.references);
    abandoned.window = window;
    window = nullptr;
    return abandoned;
}

} // namespace SMTPClientNS
