// Command-line text on its way into the library.
#ifndef SMTPSEND_INTERFACETEXT_H
#define SMTPSEND_INTERFACETEXT_H

#include <string>

#include "Utf16.h"

namespace SmtpSend {

// The UTF-16 form of an argument; throws InputError naming what when the
// argument is not valid UTF-8.
WText InterfaceText(const std::string& text, const std::string& what);

// As InterfaceText, but null for an empty text, where the library reads null
// as "none".
class OptionalText {
public:
    OptionalText(const std::string& text, const std::string& what);
    const SMTPClientNS::SmtpChar* Get() const;

private:
    WText text;
};

} // namespace SmtpSend

#endif
