#include "FileInfo.h"

#include <sys/stat.h>

namespace SMTPClientNS {
namespace Platform {

const SmtpChar* BaseName(const SmtpChar* path)
{
    const SmtpChar* base = path;
    for (const SmtpChar* at = path; *at != 0; ++at) {
        if (*at == '/')
            base = at + 1;
    }
    return base;
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
