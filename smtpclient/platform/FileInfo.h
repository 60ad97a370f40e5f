// What the message and the MIME builder learn about a file's path before
// the send: its base name, whether it is a regular file, and its size.
#ifndef SMTPCLIENT_PLATFORM_FILEINFO_H
#define SMTPCLIENT_PLATFORM_FILEINFO_H

#include <cstdint>

#include "../IMimeMessage.h"

namespace SMTPClientNS {
namespace Platform {

// The part of path after its last folder separator. Taken from the host's
// UTF-16 text, so that no byte of a multi-byte character counts as one.
const SmtpChar* BaseName(const SmtpChar* path);

// The size of the regular file at path; false when path names nothing, a
// folder, a pipe or a device.
bool RegularFileSize(const SmtpChar* path, uint64_t& size);

// True when path names a regular file.
inline bool IsRegularFile(const SmtpChar* path)
{
    uint64_t size = 0;
    return RegularFileSize(path, size);
}

} // namespace Platform
} // namespace SMTPClientNS

#endif
