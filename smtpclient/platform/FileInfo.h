// What the MIME builder learns about a file part's path before the send,
// without opening the file: its base name and its size.
#ifndef SMTPCLIENT_PLATFORM_FILEINFO_H
#define SMTPCLIENT_PLATFORM_FILEINFO_H

#include <cstdint>

#include "../IMimeMessage.h"

namespace SMTPClientNS {
namespace Platform {

// The part of path after its last folder separator. Taken from the host's
// UTF-16 text, so that no byte of a multi-byte character counts as one.
const SmtpChar* BaseName(const SmtpChar* path);

// The size of the regular file at path (ANSI bytes); false when path names
// nothing, a folder or a device.
bool RegularFileSize(const char* path, uint64_t& size);

} // namespace Platform
} // namespace SMTPClientNS

#endif
