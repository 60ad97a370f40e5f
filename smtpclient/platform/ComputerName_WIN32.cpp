#include "ComputerName.h"

#include <windows.h>

namespace SMTPClientNS {
namespace Platform {

std::string ComputerName()
{
    char name[256] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameExA(ComputerNameNetBIOS, name, &size))
        return std::string();
    return std::string(name);
}

} // namespace Platform
} // namespace SMTPClientNS
