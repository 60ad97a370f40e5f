#include "DomainName.h"

#include <idn2.h>

#include <cstdint>
#include <memory>

#include "../WideString.h"
#include "SystemCodePage.h"

namespace SMTPClientNS {
namespace Platform {

namespace {

struct FreeIdn2 {
    void operator()(uint8_t* text) const { idn2_free(text); }
};

std::string Utf8(const SmtpChar* text)
{
    const int needed = WideToMultiByte(kUtf8CodePage, text, nullptr, 0);
    if (needed <= 1)
        return std::string();
    std::string utf8(static_cast<size_t>(needed), '\0');
    WideToMultiByte(kUtf8CodePage, text, &utf8[0], needed);
    utf8.resize(static_cast<size_t>(needed) - 1);
    return utf8;
}

int LookUp(const std::string& utf8, int flags, std::unique_ptr<uint8_t, FreeIdn2>& ascii)
{
    uint8_t* converted = nullptr;
    const int rc =
        idn2_lookup_u8(reinterpret_cast<const uint8_t*>(utf8.c_str()), &converted, flags);
    ascii.reset(converted);
    return rc;
}

} // namespace

// IDNA2008 with the UTS #46 mapping, as libcurl looks names up; a name that
// only the transitional mapping allows is taken that way.
bool DomainToAscii(const SmtpChar* domain, std::string& ascii)
{
    const std::string utf8 = Utf8(domain);
    if (utf8.empty())
        return false;
    std::unique_ptr<uint8_t, FreeIdn2> converted;
    int rc = LookUp(utf8, IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL, converted);
    if (rc == IDN2_DISALLOWED)
        rc = LookUp(utf8, IDN2_TRANSITIONAL, converted);
    if (rc != IDN2_OK || !converted)
        return false;
    ascii = reinterpret_cast<const char*>(converted.get());
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS
