// The address check on fuzzed addresses: what it accepts has an inner at
// sign and no line break, and the message's adders agree with it.
#include <string>

#include "FuzzInput.h"
#include "smtpclient/mime/AddressCheck.h"
#include "smtpclient/mime/MimeMessage.h"

namespace SMTPClientFuzz {

int FuzzAddressCheck(const uint8_t* data, size_t size)
{
    using SMTPClientNS::WString;
    const WString address =
        FuzzedText(std::string(reinterpret_cast<const char*>(data), size)).c_str();
    const bool valid = SMTPClientNS::IsValidAddress(address.c_str());
    if (valid) {
        const size_t at = address.find(SMTPCLIENT_TEXT('@'));
        Expect(at != WString::npos && at > 0 && at + 1 < address.size(),
               "accepted an address without an inner at");
        Expect(address.find_first_of(SMTPCLIENT_TEXT("\r\n")) == WString::npos,
               "accepted a line break");
    }
    SMTPClientNS::CMimeMessage message;
    Expect((message.AddTo(address.c_str(), nullptr) > 0) == valid,
           "AddTo disagrees with the check");
    Expect((message.SetFrom(address.c_str(), nullptr) > 0) == valid,
           "SetFrom disagrees with the check");
    return 0;
}

} // namespace SMTPClientFuzz
