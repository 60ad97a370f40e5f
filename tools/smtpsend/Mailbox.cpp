#include "Mailbox.h"

namespace SmtpSend {

namespace {

std::string Trimmed(const std::string& text)
{
    const char* const spaces = " \t";
    const size_t first = text.find_first_not_of(spaces);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(spaces) - first + 1);
}

std::string Unquoted(const std::string& name)
{
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return name.substr(1, name.size() - 2);
    return name;
}

} // namespace

Mailbox ParseMailbox(const std::string& text)
{
    const std::string trimmed = Trimmed(text);
    const size_t open = trimmed.rfind('<');
    if (trimmed.empty() || trimmed.back() != '>' || open == std::string::npos)
        return Mailbox{std::string(), trimmed};
    Mailbox mailbox;
    mailbox.name = Unquoted(Trimmed(trimmed.substr(0, open)));
    mailbox.address = Trimmed(trimmed.substr(open + 1, trimmed.size() - open - 2));
    return mailbox;
}

} // namespace SmtpSend
