// For StartThread: the queue of a thread about to start is made before it
// starts, on the starting thread, where a failure can be reported; the new
// thread then only takes it over.
#ifndef SMTPCLIENT_PLATFORM_MESSAGEQUEUESETUP_POSIX_H
#define SMTPCLIENT_PLATFORM_MESSAGEQUEUESETUP_POSIX_H

#include <cstdint>

namespace SMTPClientNS {
namespace Platform {

// Makes the queue of the thread that will have threadId; false when there
// is no memory for it.
bool MakeQueueForThread(uint32_t threadId);

// Removes the queue of a thread that did not start, or could not take it.
void DropQueueOfThread(uint32_t threadId);

} // namespace Platform
} // namespace SMTPClientNS

#endif
