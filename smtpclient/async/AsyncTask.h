// One asynchronous send: its job, its id, and a reference on the client for
// as long as the host is to hear of it. Prepared on the host's thread, run
// on the worker, completed on the window's thread; whoever holds it last
// destroys it, and with it all it holds.
#ifndef SMTPCLIENT_ASYNC_ASYNCTASK_H
#define SMTPCLIENT_ASYNC_ASYNCTASK_H

#include <cstdint>
#include <memory>

#include "../ConnectionLane.h"
#include "../ISmtpClient.h"
#include "../SendJob.h"
#include "../WideString.h"

namespace SMTPClientNS {

class CAsyncTask {
public:
    // Takes a reference on client.
    CAsyncTask(ISmtpClient* client, std::unique_ptr<SendJob> job);
    // Gives back the client reference, if the task still holds it (then on
    // the host's thread, and it may destroy the client), and the job.
    ~CAsyncTask();
    CAsyncTask(const CAsyncTask&) = delete;
    CAsyncTask& operator=(const CAsyncTask&) = delete;

    int32_t Id() const { return id; }
    void SetId(int32_t taskId) { id = taskId; }

    // Builds the request, on the host's thread.
    void Prepare();
    // Performs a request that was built, on the worker, on its lane.
    void Execute(ConnectionLane& lane);
    // Ends a task that no worker can run, as a general error.
    void EndUnrun();
    // Tells the client's callback, read now, on the window's thread. A
    // client without one is not told. The text is the result message, or
    // for a traced task (completion detail) its closing log entry.
    void Complete();

    // False once the task can reach no host.
    bool ReachesHost() const { return client != nullptr; }
    // Hands over the client reference; the task then reaches no host.
    ISmtpClient* DisownClient();

private:
    ISmtpClient* client;
    std::unique_ptr<SendJob> job;
    int32_t id = 0;
    WString detail;
};

} // namespace SMTPClientNS

#endif
