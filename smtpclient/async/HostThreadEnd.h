// A host thread that ends with completions still to come can dispatch them
// no more: as it ends, what its tasks hold is given back, without a word to
// the host.
#ifndef SMTPCLIENT_ASYNC_HOSTTHREADEND_H
#define SMTPCLIENT_ASYNC_HOSTTHREADEND_H

#include <memory>

#include "TaskTable.h"

namespace SMTPClientNS {

// Has the calling thread, which owns the table's window, give back the
// table's tasks when it ends: the finished ones whole, and the client
// references of those queued or running, which their worker then performs
// and gives back itself. False when there is no memory to arrange it.
bool WatchHostThreadEnd(const std::shared_ptr<TaskTable>& tasks);

// True on a host thread that has begun to end.
bool HostThreadEnding();

} // namespace SMTPClientNS

#endif
