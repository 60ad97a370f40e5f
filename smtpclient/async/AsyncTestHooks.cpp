#include "AsyncTestHooks.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace SMTPClientNS {
namespace AsyncTestHooks {

namespace {

struct Hooks {
    std::mutex lock;
    std::condition_variable released;
    bool holdWorkers = false;
    std::atomic<bool> failWindowCreation{false};
};

// Never destroyed: a worker left to end on its own may pass here during exit.
Hooks& TheHooks()
{
    static Hooks* hooks = new Hooks();
    return *hooks;
}

} // namespace

void HoldWorkers(bool hold)
{
    Hooks& hooks = TheHooks();
    std::lock_guard<std::mutex> guard(hooks.lock);
    hooks.holdWorkers = hold;
    hooks.released.notify_all();
}

void FailWindowCreation(bool fail)
{
    TheHooks().failWindowCreation = fail;
}

void WaitWhileWorkersHeld()
{
    Hooks& hooks = TheHooks();
    std::unique_lock<std::mutex> guard(hooks.lock);
    hooks.released.wait(guard, [&hooks] { return !hooks.holdWorkers; });
}

bool WindowCreationFails()
{
    return TheHooks().failWindowCreation;
}

} // namespace AsyncTestHooks
} // namespace SMTPClientNS
