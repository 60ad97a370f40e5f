// Placeholder until the asynchronous worker is written.
#include "AsyncThread.h"

namespace SMTPClientNS {

CAsyncThread::CAsyncThread()
    : window(nullptr), worker(nullptr), workerId(0), lastTaskId(0) {}
CAsyncThread::~CAsyncThread() {}
int32_t CAsyncThread::PostTask(INesting*, AsyncTaskRecord*) { return -1; }
int32_t CAsyncThread::CancelTask(int32_t) { return -1; }

} // namespace SMTPClientNS
