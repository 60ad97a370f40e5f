#include "HostThreadEnd.h"

#include <algorithm>
#include <vector>

namespace SMTPClientNS {

namespace {

// Trivially destructible, so it can still be read while the thread's other
// thread-local objects are destroyed.
thread_local bool ending = false;

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

// The tables of the clients whose windows this thread owns; a table that is
// gone (client destroyed, worker ended) leaves an expired entry.
struct HostThread {
    std::vector<std::weak_ptr<TaskTable>> tables;

    ~HostThread()
    {
        ending = true;
        for (const std::weak_ptr<TaskTable>& entry : tables) {
            if (std::shared_ptr<TaskTable> tasks = entry.lock())
                GiveBack(*tasks);
        }
    }
};

thread_local HostThread hostThread;

} // namespace

void WatchHostThreadEnd(const std::shared_ptr<TaskTable>& tasks)
{
    std::vector<std::weak_ptr<TaskTable>>& tables = hostThread.tables;
    tables.erase(
        std::remove_if(tables.begin(), tables.end(),
                       [](const std::weak_ptr<TaskTable>& entry) { return entry.expired(); }),
        tables.end());
    tables.push_back(tasks);
}

bool HostThreadEnding()
{
    return ending;
}

} // namespace SMTPClientNS
