#include "Thread.h"

#include <windows.h>

#include "MessageQueue.h"

namespace SMTPClientNS {
namespace Platform {

namespace {

struct ThreadStart {
    ThreadProcedure procedure;
    void* argument;
    HANDLE queueReady;
};

const int kMaxTerminateAttempts = 10;

// The new thread makes its message queue before StartThread returns, so a
// thread message posted right after the start is never refused.
DWORD WINAPI RunThread(LPVOID parameter)
{
    const ThreadStart start = *static_cast<ThreadStart*>(parameter);
    EnsureMessageQueue();
    SetEvent(start.queueReady);
    return start.procedure(start.argument);
}

void TerminateUntilStopped(HANDLE thread)
{
    for (int attempt = 0; attempt < kMaxTerminateAttempts; ++attempt) {
        TerminateThread(thread, 1);
        DWORD exitCode = 0;
        if (GetExitCodeThread(thread, &exitCode) && exitCode != STILL_ACTIVE)
            return;
    }
}

} // namespace

ThreadHandle StartThread(ThreadProcedure procedure, void* argument, uint32_t& threadId)
{
    ThreadStart start = {procedure, argument, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    if (start.queueReady == nullptr)
        return nullptr;
    DWORD newId = 0;
    HANDLE thread = CreateThread(nullptr, 0, RunThread, &start, 0, &newId);
    if (thread != nullptr) {
        HANDLE readyOrEnded[2] = {start.queueReady, thread};
        WaitForMultipleObjects(2, readyOrEnded, FALSE, INFINITE);
        threadId = newId;
    }
    CloseHandle(start.queueReady);
    return thread;
}

bool WaitThread(ThreadHandle thread, uint32_t timeoutMs)
{
    return WaitForSingleObject(static_cast<HANDLE>(thread), timeoutMs) == WAIT_OBJECT_0;
}

void CloseThread(ThreadHandle thread, bool ended)
{
    if (!ended)
        TerminateUntilStopped(static_cast<HANDLE>(thread));
    CloseHandle(static_cast<HANDLE>(thread));
}

void DetachThread(ThreadHandle thread)
{
    CloseHandle(static_cast<HANDLE>(thread));
}

uint32_t CurrentThreadId()
{
    return GetCurrentThreadId();
}

} // namespace Platform
} // namespace SMTPClientNS
