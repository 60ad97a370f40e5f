#include "DomainName.h"

#include <windows.h>

#include <string>
#include <vector>

namespace SMTPClientNS {
namespace Platform {

// The counts of IdnToAscii include the terminator, given a source length of
// -1. Its result is ASCII, one character per code unit.
bool DomainToAscii(const SmtpChar* domain, std::string& ascii)
{
    const int needed = IdnToAscii(0, domain, -1, nullptr, 0);
    if (needed <= 1)
        return false;
    std::vector<wchar_t> converted(static_cast<size_t>(needed), L'\0');
    if (IdnToAscii(0, domain, -1, converted.data(), needed) != needed)
        return false;
    std::string text;
    for (size_t i = 0; i + 1 < converted.size(); ++i)
        text += static_cast<char>(converted[i]);
    ascii = text;
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS
