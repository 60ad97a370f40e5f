#include "ComputerName.h"

#include <unistd.h>

namespace SMTPClientNS {
namespace Platform {

std::string ComputerName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return std::string();
    // The short name: a fully qualified host name up to its first dot.
    std::string host(name);
    return host.substr(0, host.find('.'));
}

} // namespace Platform
} // namespace SMTPClientNS
