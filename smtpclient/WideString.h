// The library's own UTF-16 string type and code-page numbers.
#ifndef SMTPCLIENT_WIDESTRING_H
#define SMTPCLIENT_WIDESTRING_H

#include <cstdint>
#include <string>

#include "IMimeMessage.h"

namespace SMTPClientNS {

typedef std::basic_string<SmtpChar> WString;

// Code pages understood by the code-page conversions: the system ANSI code
// page (UTF-8 on POSIX) and UTF-8.
const uint32_t kAnsiCodePage = 0;
const uint32_t kUtf8CodePage = 65001;

// The host's text, with a null pointer read as empty text.
inline const SmtpChar* TextOrEmpty(const SmtpChar* text)
{
    return text != nullptr ? text : SMTPCLIENT_TEXT("");
}

// True for a null pointer and for empty text alike.
inline bool IsEmptyText(const SmtpChar* text)
{
    return text == nullptr || text[0] == 0;
}

} // namespace SMTPClientNS

#endif
