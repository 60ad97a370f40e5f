#include "RateGate.h"

#include <algorithm>
#include <thread>

namespace SMTPClientNS {

// The moment is taken under the lock and waited for outside it, so senders
// line up one interval apart however many wait.
void RateGate::Pass()
{
    Clock::time_point start;
    {
        std::lock_guard<std::mutex> hold(lock);
        start = std::max(Clock::now(), nextStart);
        nextStart = start + std::chrono::microseconds(60000000 / messagesPerMinute);
    }
    std::this_thread::sleep_until(start);
}

} // namespace SMTPClientNS
