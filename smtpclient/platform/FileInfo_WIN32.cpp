#include "FileInfo.h"

#include <windows.h>

namespace SMTPClientNS {
namespace Platform {

// Either slash separates folders, and a drive letter's colon ends a prefix.
const SmtpChar* BaseName(const SmtpChar* path)
{
    const SmtpChar* base = path;
    for (const SmtpChar* at = path; *at != 0; ++at) {
        if (*at == '\\' || *at == '/' || *at == ':')
            base = at + 1;
    }
    return base;
}

bool RegularFileSize(const char* path, uint64_t& size)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)
        || (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return false;
    size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS
