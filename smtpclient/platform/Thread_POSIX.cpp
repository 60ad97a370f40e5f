#include "Thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace SMTPClientNS {
namespace Platform {

namespace {

// Ids are handed out once and never reused, so a message meant for a thread
// that has ended cannot reach a newer one.
std::atomic<uint32_t> nextThreadId(1);
thread_local uint32_t currentThreadId = 0;

// std::thread has no bounded join; the thread reports its own end here.
struct EndSignal {
    std::mutex lock;
    std::condition_variable changed;
    bool ended = false;
};

struct PosixThread {
    std::thread thread;
    std::shared_ptr<EndSignal> end;
};

void RunThread(ThreadProcedure procedure, void* argument, uint32_t threadId,
               std::shared_ptr<EndSignal> end)
{
    currentThreadId = threadId;
    procedure(argument);
    std::lock_guard<std::mutex> hold(end->lock);
    end->ended = true;
    end->changed.notify_all();
}

} // namespace

ThreadHandle StartThread(ThreadProcedure procedure, void* argument, uint32_t& threadId)
{
    const uint32_t newId = nextThreadId.fetch_add(1);
    std::shared_ptr<EndSignal> end = std::make_shared<EndSignal>();
    try {
        PosixThread* started = new PosixThread{
            std::thread(RunThread, procedure, argument, newId, end), end};
        threadId = newId;
        return started;
    } catch (const std::system_error&) {
        return nullptr;
    }
}

bool WaitThread(ThreadHandle thread, uint32_t timeoutMs)
{
    EndSignal& end = *static_cast<PosixThread*>(thread)->end;
    std::unique_lock<std::mutex> hold(end.lock);
    return end.changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                                [&end] { return end.ended; });
}

void CloseThread(ThreadHandle thread, bool ended)
{
    PosixThread* posixThread = static_cast<PosixThread*>(thread);
    if (ended)
        posixThread->thread.join();
    else
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
