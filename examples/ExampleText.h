// Text helpers shared by the examples. The library takes and returns UTF-16
// text (SmtpChar); these examples take ASCII arguments and print ASCII, so a
// unit-by-unit copy is enough. A real host converts with its own string library.
#ifndef SMTPCLIENT_EXAMPLES_EXAMPLETEXT_H
#define SMTPCLIENT_EXAMPLES_EXAMPLETEXT_H

#include <smtpclient/ISmtpClient.h>

#include <cstring>
#include <string>

using SmtpText = std::basic_string<SMTPClientNS::SmtpChar>;

inline SmtpText Widen(const char* ascii)
{
    return SmtpText(ascii, ascii + std::strlen(ascii));
}

// Characters beyond ASCII print as '?'.
inline std::string Narrow(const SMTPClientNS::SmtpChar* text)
{
    std::string narrow;
    for (; text != nullptr && *text != 0; ++text)
        narrow += *text < 0x80 ? static_cast<char>(*text) : '?';
    return narrow;
}

#endif
