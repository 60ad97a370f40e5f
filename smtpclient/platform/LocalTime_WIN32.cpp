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

    // The runtime keeps the zone as seconds west of UTC and the daylight
    // bias as a further (negative) shift while daylight time is in force.
    long west = 0;
    long daylightBias = 0;
    _get_timezone(&west);
    if (now.fields.tm_isdst > 0)
        _get_dstbias(&daylightBias);
    now.utcOffsetSeconds = -(west + daylightBias);
    return now;
}

} // namespace Platform
} // namespace SMTPClientNS
