// The current local time with its offset from UTC.
#ifndef SMTPCLIENT_PLATFORM_LOCALTIME_H
#define SMTPCLIENT_PLATFORM_LOCALTIME_H

#include <ctime>

namespace SMTPClientNS {
namespace Platform {

struct LocalTime {
    std::tm fields;        // broken-down local time (tm_year from 1900, ...)
    long utcOffsetSeconds; // local time minus UTC
};

LocalTime LocalTimeNow();

} // namespace Platform
} // namespace SMTPClientNS

#endif
