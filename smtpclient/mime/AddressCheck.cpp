#include "AddressCheck.h"

#include "HeaderText.h"

namespace SMTPClientNS {

bool IsValidAddress(const SmtpChar* address)
{
    if (address == nullptr)
        return false;
    const WString text(address);
    const size_t at = text.find(SMTPCLIENT_TEXT('@'));
    if (at == WString::npos || at == 0 || at == text.size() - 1)
        return false;
    // libcurl writes envelope addresses into SMTP commands as they stand.
    return !HasLineBreak(text);
}

} // namespace SMTPClientNS
