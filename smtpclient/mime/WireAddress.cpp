#include "WireAddress.h"

#include "../encoding/CodePage.h"
#include "../platform/DomainName.h"

namespace SMTPClientNS {

namespace {

std::string WireDomain(const WString& domain)
{
    std::string ascii;
    if (FindNonAscii(domain) >= 0 && Platform::DomainToAscii(domain.c_str(), ascii))
        return ascii;
    return ToUtf8(domain.c_str());
}

} // namespace

std::string WireAddress(const SmtpChar* address)
{
    const WString text = TextOrEmpty(address);
    if (FindNonAscii(text) < 0)
        return ToAnsi(text.c_str());
    const size_t at = text.rfind(SMTPCLIENT_TEXT('@'));
    if (at == WString::npos)
        return ToUtf8(text.c_str());
    return ToUtf8(text.substr(0, at + 1).c_str()) + WireDomain(text.substr(at + 1));
}

bool NeedsSmtputf8(const std::string& wireAddress)
{
    for (const char c : wireAddress) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

} // namespace SMTPClientNS
