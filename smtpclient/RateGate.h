// The client's messages-per-minute rate, shared by all its senders: each
// transfer takes the next free moment, spaced evenly, and waits for it.
#ifndef SMTPCLIENT_RATEGATE_H
#define SMTPCLIENT_RATEGATE_H

#include <chrono>
#include <cstdint>
#include <mutex>

namespace SMTPClientNS {

class RateGate {
public:
    explicit RateGate(int32_t messagesPerMinute) : messagesPerMinute(messagesPerMinute) {}

    // Waits, on the calling thread, until a transfer may start.
    void Pass();

private:
    typedef std::chrono::steady_clock Clock;

    std::mutex lock;
    const int32_t messagesPerMinute;
    Clock::time_point nextStart;
};

} // namespace SMTPClientNS

#endif
