// The part header line that carries an inline image's content identifier.
// An identifier cannot be folded, so one whose line would pass the line
// limit is refused when the image is added.
#ifndef SMTPCLIENT_MIME_CONTENTIDHEADER_H
#define SMTPCLIENT_MIME_CONTENTIDHEADER_H

#include <string>

#include "../WideString.h"

namespace SMTPClientNS {

// "Content-ID: <contentId>" in the ANSI code page, CR and LF as spaces.
std::string ContentIdHeader(const WString& contentId);

// True when the identifier's header line holds at most 998 octets.
bool FitsContentIdHeader(const WString& contentId);

} // namespace SMTPClientNS

#endif
