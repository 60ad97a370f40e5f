#include "FileInfo.h"

#include <sys/stat.h>

#include <string>

#include "Utf8Path_POSIX.h"

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

bool RegularFileSize(const SmtpChar* path, uint64_t& size)
{
    std::string utf8;
    struct stat status;
    if (!ToUtf8Path(path, utf8) || stat(utf8.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    size = static_cast<uint64_t>(status.st_size);
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS
