// Wall-clock timing and the process's peak resident memory.
#ifndef SMTPCLIENT_BENCH_BENCHCLOCK_H
#define SMTPCLIENT_BENCH_BENCHCLOCK_H

#include <sys/resource.h>

#include <chrono>

namespace SMTPClientBench {

class Stopwatch {
public:
    Stopwatch() : start(std::chrono::steady_clock::now()) {}

    double Seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

private:
    std::chrono::steady_clock::time_point start;
};

// CPU time of the whole process so far (user and system), in seconds.
inline double ProcessCpuSeconds()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Peak resident set of the whole process so far, in kilobytes.
inline long PeakResidentKb()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace SMTPClientBench

#endif
