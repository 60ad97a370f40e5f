// The SMTP dialogue of a traced send as session entries a host can read:
// one per command the client sent ("C: MAIL FROM:<a@b>") and one per reply
// the server gave ("S: 250 2.1.0 Ok"), with login secrets masked, and a
// closing entry that says in plain words how the send ended.
#ifndef SMTPCLIENT_LOG_SESSIONDIALOGUE_H
#define SMTPCLIENT_LOG_SESSIONDIALOGUE_H

#include <curl/curl.h>

#include <cstddef>
#include <string>

#include "../IMimeMessage.h"
#include "../Outcomes.h"
#include "SendTrace.h"

namespace SMTPClientNS {

// Gives handle the trace's buffer in which libcurl describes a failure.
void StartSessionDialogue(SendTrace& trace, CURL* handle);

// One libcurl trace report. Commands and replies become session entries;
// message data, TLS records and libcurl's own text are left out.
void NoteSessionDialogue(SendTrace& trace, curl_infotype type, const char* data, size_t size);

// The command lines of a block the client sent, with their line breaks, as
// the session entries show them: the argument of AUTH and every line that
// answers a login challenge as "****", everything else byte for byte.
std::string MaskedCommands(const DialogueState& dialogue, const char* data, size_t size);

// The library's message for a raw outcome.
typedef const SmtpChar* (*ResultTextOf)(RawOutcome rawOutcome);

// Appends the closing entry of a send that ended in rawOutcome: the server's
// final reply on success; the refused command and its whole reply; or, when
// no reply refused anything, libcurl's description of the failure (for an
// outcome of the send pipeline itself, toResultText's).
void AppendClosingEntry(SendTrace& trace, RawOutcome rawOutcome, ResultTextOf toResultText);

} // namespace SMTPClientNS

#endif
