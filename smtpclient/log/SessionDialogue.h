// The SMTP dialogue of a traced send as session entries a host can read:
// one per command the client sent ("C: MAIL FROM:<a@b>") and one per reply
// the server gave ("S: 250 2.1.0 Ok"), with login secrets masked, and a
// closing entry that says in plain words how the send ended.
#ifndef SMTPCLIENT_LOG_SESSIONDIALOGUE_H
#define SMTPCLIENT_LOG_SESSIONDIALOGUE_H

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>

#include "../IMimeMessage.h"

namespace SMTPClientNS {

// Forgets the dialogue of any earlier send and gives handle the buffer in
// which libcurl describes a failure. Returns that buffer, for a caller that
// ends the transfer on its own to say why.
char* StartSessionDialogue(CURL* handle);

// One libcurl trace report. Commands and replies become session entries;
// message data, TLS records and libcurl's own text are left out.
void NoteSessionDialogue(curl_infotype type, const char* data, size_t size);

// The library's message for a raw outcome.
typedef const SmtpChar* (*ResultTextOf)(int32_t rawOutcome);

// Queues the closing entry of a send that ended in rawOutcome: the server's
// final reply on success; the refused command and its whole reply; or, when
// no reply refused anything, libcurl's description of the failure (for an
// outcome of the send pipeline itself, toResultText's).
void QueueClosingEntry(int rawOutcome, ResultTextOf toResultText);

} // namespace SMTPClientNS

#endif
