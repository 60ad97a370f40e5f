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

// The attributes rule out a folder cheaply; a pipe or a device (a name
// like NUL or CON has attributes too) is told apart by the type of the
// file once it is open, for attributes only.
bool RegularFileSize(const SmtpChar* path, uint64_t& size)
{
    if (path == nullptr)
        return false;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length;
    const bool regular = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &length);
    CloseHandle(file);
    if (regular)
        size = static_cast<uint64_t>(length.QuadPart);
    return regular;
}

} // namespace Platform
} // namespace SMTPClientNS
