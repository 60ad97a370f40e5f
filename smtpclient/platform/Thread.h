// Threads as the asynchronous worker needs them.
#ifndef SMTPCLIENT_PLATFORM_THREAD_H
#define SMTPCLIENT_PLATFORM_THREAD_H

#include <cstdint>

namespace SMTPClientNS {
namespace Platform {

typedef void* ThreadHandle;
typedef unsigned long (*ThreadProcedure)(void* argument);

// Starts procedure(argument) at once. Returns null when the thread, or its
// message queue, cannot be made; otherwise threadId receives its id (never
// 0). The new thread has its message queue before this returns, so thread
// messages posted to that id right away are kept for it.
ThreadHandle StartThread(ThreadProcedure procedure, void* argument, uint32_t& threadId);

// Waits at most timeoutMs for the thread to end; true when it ended.
bool WaitThread(ThreadHandle thread, uint32_t timeoutMs);

// Gives up the handle. A thread that has not ended is terminated on Win32
// and detached on POSIX, where a thread cannot be killed safely.
void CloseThread(ThreadHandle thread, bool ended);

// Gives up the handle and leaves the thread to end on its own.
void DetachThread(ThreadHandle thread);

// Id of the calling thread, as used for thread messages; never 0.
uint32_t CurrentThreadId();

} // namespace Platform
} // namespace SMTPClientNS

#endif
