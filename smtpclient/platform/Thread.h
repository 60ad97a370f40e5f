// Threads as the asynchronous worker needs them.
#ifndef SMTPCLIENT_PLATFORM_THREAD_H
#define SMTPCLIENT_PLATFORM_THREAD_H

#include <cstdint>

namespace SMTPClientNS {
namespace Platform {

typedef void* ThreadHandle;
typedef unsigned long (*ThreadProcedure)(void* argument);

// Starts procedure(argument) at once. Returns null when the thread cannot be
// started; otherwise threadId receives its id (never 0).
ThreadHandle StartThread(ThreadProcedure procedure, void* argument, uint32_t& threadId);

// Waits at most timeoutMs for the thread to end; true when it ended.
bool WaitThread(ThreadHandle thread, uint32_t timeoutMs);

// Gives up a thread that ended. After a failed wait, the Win32 side
// terminates the thread; the POSIX side detaches it.
void CloseThread(ThreadHandle thread, bool ended);

// Id of the calling thread, as used for thread messages.
uint32_t CurrentThreadId();

} // namespace Platform
} // namespace SMTPClientNS

#endif
