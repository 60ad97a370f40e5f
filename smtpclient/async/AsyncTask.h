// One asynchronous send: its record and the object that drives its three
// steps (prepare on the host's thread, execute on the worker, complete on the
// window's thread).
#ifndef SMTPCLIENT_ASYNC_ASYNCTASK_H
#define SMTPCLIENT_ASYNC_ASYNCTASK_H

#include <cstdint>

#include "../ISmtpClient.h"
#include "../Transfer.h"

namespace SMTPClientNS {

class CAsyncThread;
class INesting;

struct AsyncTaskRecord {
    Transfer transfer;
    ISmtpClient* client; // holds one reference from Prepare until Complete;
                         // null for a task that can reach no host
    INesting* nesting;
    int32_t taskId;
    int32_t result; // raw outcome
};

class INesting {
public:
    virtual ~INesting() {}
    virtual void Prepare() = 0;
    virtual void Execute() = 0;
    virtual void Complete() = 0;
    virtual void SetTaskRecord(AsyncTaskRecord* record) = 0;
    virtual AsyncTaskRecord* GetTaskRecord() = 0;
};

class CAsyncTask {
public:
    // Queues a send of client on its worker; returns the task id.
    static int32_t ExecuteTask(ISmtpClient* client);
    // The asynchronous machinery of a client implementation.
    static CAsyncThread& ThreadOf(ISmtpClient* client);
};

// Gives back everything a prepared task holds, for a task that will never
// complete: the client reference (if it still holds one), the transfer
// handles, the record and the nesting object. With a reference it runs on
// the host's thread and may destroy the client.
void DiscardTask(AsyncTaskRecord* record);

} // namespace SMTPClientNS

#endif
