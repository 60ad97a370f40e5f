// File names on POSIX are UTF-8 bytes; the host gives them as UTF-16.
#ifndef SMTPCLIENT_PLATFORM_UTF8PATH_POSIX_H
#define SMTPCLIENT_PLATFORM_UTF8PATH_POSIX_H

#include <string>

#include "../WideString.h"
#include "SystemCodePage.h"

namespace SMTPClientNS {
namespace Platform {

// False for a null path or one that does not convert.
inline bool ToUtf8Path(const SmtpChar* path, std::string& utf8)
{
    if (path == nullptr)
        return false;
    const int needed = WideToMultiByte(kUtf8CodePage, path, nullptr, 0);
    if (needed == 0)
        return false;
    utf8.assign(static_cast<size_t>(needed), '\0');
    if (WideToMultiByte(kUtf8CodePage, path, &utf8[0], needed) == 0)
        return false;
    utf8.resize(static_cast<size_t>(needed) - 1);
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS

#endif
