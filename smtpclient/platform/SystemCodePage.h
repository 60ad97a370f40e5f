// The operating system's code-page conversions, with the semantics of
// WideCharToMultiByte and MultiByteToWideChar called without flags on a
// zero-terminated source: the returned counts include the terminator.
#ifndef SMTPCLIENT_PLATFORM_SYSTEMCODEPAGE_H
#define SMTPCLIENT_PLATFORM_SYSTEMCODEPAGE_H

#include <cstdint>

#include "../WideString.h"

namespace SMTPClientNS {
namespace Platform {

// Converts the zero-terminated text into out (outSize bytes). With outSize 0
// only the needed size is returned. Returns the bytes written or needed,
// terminator included, or 0 on failure. Unpaired surrogates become the
// replacement character.
int WideToMultiByte(uint32_t codePage, const SmtpChar* text, char* out, int outSize);

// The reverse direction; invalid bytes become U+FFFD. Counts are in code
// units, terminator included.
int MultiByteToWide(uint32_t codePage, const char* text, SmtpChar* out, int outSize);

} // namespace Platform
} // namespace SMTPClientNS

#endif
