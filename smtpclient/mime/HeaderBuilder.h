// The header block of the outgoing mail: From, To, Cc, X-Priority, Date,
// Subject and Message-ID, then a blank line and the historical "Message - ID"
// line. Blind copies have no line: their recipients are in the envelope
// only, so the others do not learn of them.
#ifndef SMTPCLIENT_MIME_HEADERBUILDER_H
#define SMTPCLIENT_MIME_HEADERBUILDER_H

#include <string>

#include "MessageSnapshot.h"

namespace SMTPClientNS {

// Appends the whole block to header. Returns 0, or the first negative code of
// an address header (the lines built before it stay).
int BuildHeaderBlock(const MessageSnapshot& message, std::string& header);

// "%a, %d %b %Y %H:%M:%S %z" of the local time, classic locale.
std::string FormatHeaderDate();

} // namespace SMTPClientNS

#endif
