#include "LocalTime.h"

namespace SMTPClientNS {
namespace Platform {

LocalTime LocalTimeNow()
{
    LocalTime now = {};
    std::time_t seconds = std::time(nullptr);
    if (localtime_r(&seconds, &now.fields) != nullptr)
        now.utcOffsetSeconds = now.fields.tm_gmtoff;
    return now;
}

} // namespace Platform
} // namespace SMTPClientNS
