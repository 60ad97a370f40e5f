// A host for asynchronous sends: a callback that records every completion
// and a loop that pumps the calling thread's messages until they arrive.
#ifndef SMTPCLIENT_TESTS_ASYNCTESTSUPPORT_H
#define SMTPCLIENT_TESTS_ASYNCTESTSUPPORT_H

#include <dirent.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "TestText.h"
#include "smtpclient/ISmtpClient.h"
#include "smtpclient/SmtpClient.h"
#include "smtpclient/SmtpClientWrapper.h"
#include "smtpclient/mime/MimeMessage.h"
#include "smtpclient/platform/MessageQueue.h"

namespace SMTPClientTest {

struct Completion {
    int taskId;
    int resultCode;
    std::string message;
    std::thread::id thread;
};

class RecordingCallback : public SMTPClientNS::IAsyncCallback {
public:
    int OnSendComplete(int taskId, int resultCode, const SMTPClientNS::SmtpChar* message) override
    {
        completions.push_back(
            Completion{taskId, resultCode, U8(message), std::this_thread::get_id()});
        return 0;
    }

    std::vector<Completion> completions;
};

// Polls until done() holds, dispatching the calling thread's messages
// between tries when asked; false when timeoutMs passed first.
inline bool EventuallyTrue(const std::function<bool()>& done, int timeoutMs = 10000,
                           bool dispatch = false)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (dispatch)
            SMTPClientNS::Platform::DispatchWaitingMessages(100);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Dispatches the calling thread's messages until count completions arrived.
inline bool PumpUntil(const RecordingCallback& callback, size_t count, int timeoutMs = 30000)
{
    return EventuallyTrue([&] { return callback.completions.size() >= count; }, timeoutMs, true);
}

inline SMTPClientNS::ISmtpClient* NewClient()
{
    return new SMTPClientNS::CSmtpClient(new SMTPClientNS::CSmtpClientWrapper());
}

inline void Compose(SMTPClientNS::IMimeMessage& message, const std::string& recipient,
                    const std::string& subject)
{
    message.SetFrom(W("sender@example.test").c_str(), W("Sender").c_str());
    message.AddTo(W(recipient).c_str(), W("").c_str());
    message.SetSubject(W(subject).c_str());
    message.SetTextBody(W("Hello.\r\n").c_str());
}

// Host and port of a local listener, no TLS.
inline void UsePort(SMTPClientNS::ISmtpClient& client, int port)
{
    client.SetHost(W("127.0.0.1").c_str());
    client.SetPort(port);
    client.SetUseTls(false);
    client.SetConnectTimeout(5);
}

// Entries of a /proc folder: "/proc/self/task" counts the process's
// threads, "/proc/self/fd" its descriptors (one more while it is read).
inline int CountEntries(const char* folder)
{
    DIR* listing = opendir(folder);
    if (listing == nullptr)
        return -1;
    int count = 0;
    while (const dirent* entry = readdir(listing))
        count += entry->d_name[0] != '.' ? 1 : 0;
    closedir(listing);
    return count;
}

// The process's threads now, counted after one thread has come and gone,
// so that helper threads a sanitizer starts with the first one are there.
inline int ThreadsAtRest()
{
    std::thread([] {}).join();
    return CountEntries("/proc/self/task");
}

// True once the process has no more threads than before; a worker left to
// end on its own takes a moment.
inline bool ThreadsBackTo(int before, int timeoutMs = 10000)
{
    return EventuallyTrue([before] { return CountEntries("/proc/self/task") <= before; },
                          timeoutMs);
}

} // namespace SMTPClientTest

#endif
