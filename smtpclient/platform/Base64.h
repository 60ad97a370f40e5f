// Standard Base64 with "=" padding and no line breaks.
#ifndef SMTPCLIENT_PLATFORM_BASE64_H
#define SMTPCLIENT_PLATFORM_BASE64_H

#include <cstdint>
#include <string>

namespace SMTPClientNS {
namespace Platform {

// Appends the Base64 text of bytes to out; false (out unchanged) on failure.
bool AppendBase64(const unsigned char* bytes, uint32_t length, std::string& out);

} // namespace Platform
} // namespace SMTPClientNS

#endif
