// The short (NetBIOS-style) name of this computer.
#ifndef SMTPCLIENT_PLATFORM_COMPUTERNAME_H
#define SMTPCLIENT_PLATFORM_COMPUTERNAME_H

#include <string>

namespace SMTPClientNS {
namespace Platform {

// Empty when it cannot be read.
std::string ComputerName();

} // namespace Platform
} // namespace SMTPClientNS

#endif
