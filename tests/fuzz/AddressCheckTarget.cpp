// The address check on fuzzed addresses: what it accepts has an inner at
// sign and no line break, and the message's adders agree with it.
#include <string>

#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "smtpclient/mime/AddressCheck.h"
#include "smtpclient/mime/MimeMessage.h"

namespace SMTPClientFuzz {

namespace {

bool HasInnerAt(const SMTPClientNS::WString& address)
{
    const size_t at = address.find(SMTPCLIENT_TEXT('@'));
    return at != SMTPClientNS::WString::npos && at > 0 && at + 1 < address.size();
}

bool HasLineBreak(const SMTPClientNS::WString& address)
{
    return address.find_first_of(SMTPCLIENT_TEXT("\r\n")) != SMTPClientNS::WString::npos;
}

} // namespace

int FuzzAddressCheck(const uint8_t* data, size_t size)
{
    const SMTPClientNS::WString fuzzed = FuzzedText(std::string(reinterpret_cast<const char*>(data), size));
    const SMTPClientNS::WString address = fuzzed.c_str();
    const bool valid = SMTPClientNS::IsValidAddress(address.c_str());
    if (valid) {
        Expect(HasInnerAt(address), "accepted an address without an inner at sign");
        Expect(!HasLineBreak(address), "accepted an address with a line break");
    }

    SMTPClientNS::CMimeMessage message;
    Expect((message.AddTo(address.c_str(), nullptr) > 0) == valid, "AddTo disagrees with the check");
    Expect((message.AddCc(address.c_str(), nullptr) > 0) == valid, "AddCc disagrees with the check");
    Expect((message.AddBcc(address.c_str(), nullptr) > 0) == valid, "AddBcc disagrees with the check");
    Expect((message.SetFrom(address.c_str(), nullptr) > 0) == valid, "SetFrom disagrees with the check");
    return 0;
}

} // namespace SMTPClientFuzz
