#include "LocalTime.h"

#include <time.h>

namespace SMTPClientNS {
namespace Platform {

LocalTime LocalTimeNow()
{
    LocalTime now = {};
    __time64_t seconds = _time64(nullptr);
    if (_localtime64_s(&now.fields, &seconds) != 0)
        return now;

    // The local fields read as if they were UTC are ahead of the clock by
    // exactly the offset in force, daylight time included.
    std::tm fields = now.fields;
    __time64_t localAsUtc = _mkgmtime64(&fields);
    if (localAsUtc != -1)
        now.utcOffsetSeconds = static_cast<long>(localAsUtc - seconds);
    return now;
}

} // namespace Platform
} // namespace SMTPClientNS
