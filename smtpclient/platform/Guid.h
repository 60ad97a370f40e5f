// A new random GUID.
#ifndef SMTPCLIENT_PLATFORM_GUID_H
#define SMTPCLIENT_PLATFORM_GUID_H

#include <cstdint>

namespace SMTPClientNS {
namespace Platform {

struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

// False when the system could not make one.
bool CreateGuid(Guid& guid);

} // namespace Platform
} // namespace SMTPClientNS

#endif
