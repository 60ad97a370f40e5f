#include "InterfaceText.h"

#include <stdexcept>

#include "Errors.h"

namespace SmtpSend {

WText InterfaceText(const std::string& text, const std::string& what)
{
    try {
        return Utf8ToUtf16(text);
    } catch (const std::invalid_argument&) {
        throw InputError(what + " is not valid UTF-8");
    }
}

OptionalText::OptionalText(const std::string& text, const std::string& what)
    : text(InterfaceText(text, what))
{}

const SMTPClientNS::SmtpChar* OptionalText::Get() const
{
    return text.empty() ? nullptr : text.c_str();
}

} // namespace SmtpSend
