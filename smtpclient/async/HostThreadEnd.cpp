#include "HostThreadEnd.h"

#include <algorithm>
#include <new>
#include <vector>

#include "../platform/ThreadEnd.h"

namespace SMTPClientNS {

namespace {

// The tables of the clients whose windows a thread owns; a table that is
// gone (client destroyed, worker ended) leaves an expired entry.
typedef std::vector<std::weak_ptr<TaskTable>> HostTables;

// Trivially destructible, so that they can still be read at thread end and
// nothing is registered with the C library for them.
thread_local bool ending = false;
thread_local HostTables* hostTables = nullptr;

// The window goes first, so that no notice left in the thread's queue can
// be dispatched after its task was given back.
void GiveBack(TaskTable& tasks)
{
    TaskTable::Abandoned abandoned = tasks.AbandonHost();
    if (abandoned.window != nullptr && Platform::IsLiveWindow(abandoned.window))
        Platform::DestroyHiddenWindow(abandoned.window);
    // The finished tasks go whole, with the reference each holds.
    abandoned.finished.clear();
    for (ISmtpClient* client : abandoned.references)
        client->Release();
}

void EndHostThread(void* argument)
{
    ending = true;
    hostTables = nullptr;
    const std::unique_ptr<HostTables> tables(static_cast<HostTables*>(argument));
    for (const std::weak_ptr<TaskTable>& entry : *tables) {
        if (std::shared_ptr<TaskTable> tasks = entry.lock())
            GiveBack(*tasks);
    }
}

// The calling thread's tables, made with its first window; null when they
// or their end cannot be arranged.
HostTables* TablesOfThisThread()
{
    if (hostTables != nullptr)
        return hostTables;
    std::unique_ptr<HostTables> tables(new (std::nothrow) HostTables());
    if (!tables || !Platform::RunAtThreadEnd(EndHostThread, tables.get()))
        return nullptr;
    hostTables = tables.release();
    return hostTables;
}

} // namespace

bool WatchHostThreadEnd(const std::shared_ptr<TaskTable>& tasks)
{
    HostTables* tables = TablesOfThisThread();
    if (tables == nullptr)
        return false;
    tables->erase(
        std::remove_if(tables->begin(), tables->end(),
                       [](const std::weak_ptr<TaskTable>& entry) { return entry.expired(); }),
        tables->end());
    try {
        tables->push_back(tasks);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool HostThreadEnding()
{
    return ending;
}

} // namespace SMTPClientNS
