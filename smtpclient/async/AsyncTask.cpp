// Placeholder until the asynchronous worker is written.
#include "AsyncTask.h"

namespace SMTPClientNS {

int32_t CAsyncTask::ExecuteTask(ISmtpClient*) { return -1; }
void DiscardTask(AsyncTaskRecord*) {}

} // namespace SMTPClientNS
