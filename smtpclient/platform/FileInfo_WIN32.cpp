#include "FileInfo.h"

#include <windows.h>

namespace SMTPClientNS {
namespace Platform {

// Either slash separates folders, and a drive letter's colon ends a prefix.
// In a double-byte code page a backslash byte may be the second half of a
// character, so lead bytes take their trail byte with them.
const char* BaseName(const char* path)
{
    const char* base = path;
    for (const char* at = path; *at != 0; ++at) {
        if (IsDBCSLeadByte(static_cast<BYTE>(*at)) && at[1] != 0)
            ++at;
        else if (*at == '\\' || *at == '/' || *at == ':')
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
