#include "Thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "MessageQueue.h"
#include "MessageQueueSetup_POSIX.h"

namespace SMTPClientNS {
namespace Platform {

namespace {

// Ids are handed out once and never reused, so a message meant for a thread
// that has ended cannot reach a newer one.
std::atomic<uint32_t> nextThreadId(1);
thread_local uint32_t currentThreadId = 0;

// std::thread has no bounded join; the thread reports its own start (it
// took its queue over, or could not and ended) and its end here.
struct ThreadSignals {
    std::mutex lock;
    std::condition_variable changed;
    bool started = false;
    bool failed = false;
    bool ended = false;
};

struct PosixThread {
    std::thread thread;
    std::shared_ptr<ThreadSignals> signals;
};

void Report(ThreadSignals& signals, bool ThreadSignals::*state)
{
    std::lock_guard<std::mutex> hold(signals.lock);
    signals.*state = true;
    signals.changed.notify_all();
}

// Allocates nothing: the queue was made before the thread started, and the
// thread only arranges for it to go when the thread ends.
void RunThread(ThreadProcedure procedure, void* argument, uint32_t threadId,
               std::shared_ptr<ThreadSignals> signals)
{
    currentThreadId = threadId;
    if (!EnsureMessageQueue()) {
        Report(*signals, &ThreadSignals::failed);
        return;
    }
    Report(*signals, &ThreadSignals::started);
    procedure(argument);
    Report(*signals, &ThreadSignals::ended);
}

// Null when the thread cannot be started: no memory, or no thread left.
PosixThread* Launch(ThreadProcedure procedure, void* argument, uint32_t threadId)
{
    try {
        std::shared_ptr<ThreadSignals> signals = std::make_shared<ThreadSignals>();
        return new PosixThread{std::thread(RunThread, procedure, argument, threadId, signals),
                               signals};
    } catch (const std::system_error&) {
        return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Waits for the thread's start; a thread that could not take its queue over
// has ended, and is joined and given up.
bool TookItsQueue(PosixThread* thread)
{
    ThreadSignals& signals = *thread->signals;
    std::unique_lock<std::mutex> hold(signals.lock);
    signals.changed.wait(hold, [&signals] { return signals.started || signals.failed; });
    if (signals.started)
        return true;
    hold.unlock();
    thread->thread.join();
    delete thread;
    return false;
}

} // namespace

ThreadHandle StartThread(ThreadProcedure procedure, void* argument, uint32_t& threadId)
{
    const uint32_t newId = nextThreadId.fetch_add(1);
    if (!MakeQueueForThread(newId))
        return nullptr;
    PosixThread* started = Launch(procedure, argument, newId);
    if (started == nullptr || !TookItsQueue(started)) {
        DropQueueOfThread(newId);
        return nullptr;
    }
    threadId = newId;
    return started;
}

bool WaitThread(ThreadHandle thread, uint32_t timeoutMs)
{
    ThreadSignals& signals = *static_cast<PosixThread*>(thread)->signals;
    std::unique_lock<std::mutex> hold(signals.lock);
    return signals.changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                                    [&signals] { return signals.ended; });
}

void CloseThread(ThreadHandle thread, bool ended)
{
    if (!ended) {
        DetachThread(thread);
        return;
    }
    PosixThread* posixThread = static_cast<PosixThread*>(thread);
    posixThread->thread.join();
    delete posixThread;
}

void DetachThread(ThreadHandle thread)
{
    PosixThread* posixThread = static_cast<PosixThread*>(thread);
    posixThread->thread.detach();
    delete posixThread;
}

uint32_t CurrentThreadId()
{
    if (currentThreadId == 0)
        currentThreadId = nextThreadId.fetch_add(1);
    return currentThreadId;
}

} // namespace Platform
} // namespace SMTPClientNS
