// Conversions between the UTF-8 text of the command line and terminal and the
// UTF-16 text of the library's interface.
#ifndef SMTPSEND_UTF16_H
#define SMTPSEND_UTF16_H

#include <smtpclient/ISmtpClient.h>

#include <string>

namespace SmtpSend {

using WText = std::basic_string<SMTPClientNS::SmtpChar>;

// Throws std::invalid_argument for bytes that are not well-formed UTF-8
// (overlong forms, surrogates and values above U+10FFFF included).
WText Utf8ToUtf16(const std::string& text);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const SMTPClientNS::SmtpChar* text);

} // namespace SmtpSend

#endif
