// Conversions between UTF-16 and narrow text in a code page.
#ifndef SMTPCLIENT_ENCODING_CODEPAGE_H
#define SMTPCLIENT_ENCODING_CODEPAGE_H

#include <string>

#include "../WideString.h"

namespace SMTPClientNS {

// UTF-16 to the system ANSI code page. A null text, or one the code page
// cannot size, leaves out unchanged; unrepresentable characters become the
// system's replacement character.
void WideToAnsi(const SmtpChar* text, std::string& out);

// WideToAnsi into a new string.
std::string ToAnsi(const SmtpChar* text);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD, a null text "".
std::string ToUtf8(const SmtpChar* text);

// Narrow text in codePage (kAnsiCodePage or kUtf8CodePage) to UTF-16. A null
// or empty text leaves out unchanged; a failed conversion empties it.
void CodePageToWide(const char* text, WString& out, uint32_t codePage);

// Index of the first code unit above 127, or -1.
int FindNonAscii(const WString& text);

} // namespace SMTPClientNS

#endif
