// Host text that goes into a header line of the mail or into an SMTP
// command: a line break in it would start a header or a command of its own.
#ifndef SMTPCLIENT_MIME_HEADERTEXT_H
#define SMTPCLIENT_MIME_HEADERTEXT_H

#include "../WideString.h"

namespace SMTPClientNS {

// True when text holds a CR or an LF.
bool HasLineBreak(const WString& text);

// text with every CR and LF replaced by a space.
WString WithoutLineBreaks(WString text);

// True when text holds "=?", the start of an RFC 2047 encoded word: a reader
// would decode such text in a header and show something else.
bool LooksEncoded(const WString& text);

} // namespace SMTPClientNS

#endif
