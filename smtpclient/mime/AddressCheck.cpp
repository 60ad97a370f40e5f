#include "AddressCheck.h"

#include "../encoding/WideString.h"

namespace SMTPClientNS {

namespace {

// libcurl writes envelope addresses into SMTP commands as they stand, so a
// line break would let an address inject commands of its own.
bool HasLineBreak(const WString& address)
{
    return address.find_first_of(SMTPCLIENT_TEXT("\r\n")) != WString::npos;
}

} // namespace

bool IsValidAddress(const SmtpChar* address)
{
    if (address == nullptr)
        return false;
    const WString text(address);
    const size_t at = text.find(SMTPCLIENT_TEXT('@'));
    if (at == WString::npos || at == 0 || at == text.size() - 1)
        return false;
    return !HasLineBreak(text);
}

} // namespace SMTPClientNS
