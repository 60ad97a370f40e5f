// One asynchronous send: its record and the object that drives its three
// steps (prepare on the host's thread, execute on the worker, complete on the
// window's thread).
#ifndef SMTPCLIENT_ASYNC_ASYNCTASK_H
#define SMTPCLIENT_ASYNC_ASYNCTASK_H

#include <cstdint>
#include <memory>

#include "../ISmtpClient.h"
#include "../Transfer.h"

namespace SMTPClientNS {

class CAsyncThread;
struct AsyncTaskRecord;

// The three steps of one send. The nesting object points back at the record
// that owns it.
class INesting {
public:
    virtual ~INesting() {}
    virtual void Prepare() = 0;
    virtual void Execute() = 0;
    virtual void Complete() = 0;
    virtual void SetTaskRecord(AsyncTaskRecord* record) = 0;
    virtual AsyncTaskRecord* GetTaskRecord() = 0;
};

// Whoever holds the record last destroys it, and with it all the task holds.
struct AsyncTaskRecord {
    // Takes a reference on client.
    AsyncTaskRecord(ISmtpClient* client, std::unique_ptr<INesting> nesting);
    // Gives back the client reference, if the record still holds it (then on
    // the host's thread, and it may destroy the client), the transfer handles
    // and the nesting object.
    ~AsyncTaskRecord();
    AsyncTaskRecord(const AsyncTaskRecord&) = delete;
    AsyncTaskRecord& operator=(const AsyncTaskRecord&) = delete;

    std::unique_ptr<INesting> nesting;
    Transfer transfer;
    ISmtpClient* client; // the reference, or null for a task that can reach no host
    int32_t taskId = 0;
    int32_t result = 0; // raw outcome
};

class CAsyncTask {
public:
    // Queues a send of client on worker, the client's own; returns the task id.
    static int32_t ExecuteTask(CAsyncThread& worker, ISmtpClient* client);
};

} // namespace SMTPClientNS

#endif
