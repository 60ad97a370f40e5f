#include "FileInfo.h"

#include <sys/stat.h>

#include <cstring>

namespace SMTPClientNS {
namespace Platform {

const char* BaseName(const char* path)
{
    const char* separator = std::strrchr(path, '/');
    return separator ? separator + 1 : path;
}

bool RegularFileSize(const char* path, uint64_t& size)
{
    struct stat status;
    if (stat(path, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    size = static_cast<uint64_t>(status.st_size);
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS
