// RFC 2047 encoded words ("b" encoding) for display names and subjects.
#ifndef SMTPCLIENT_MIME_ENCODEDWORDS_H
#define SMTPCLIENT_MIME_ENCODEDWORDS_H

#include <string>

#include "../WideString.h"

namespace SMTPClientNS {

// out becomes the name as ASCII text or, when it is not plain ASCII or holds
// "=?" (which a reader would decode), as one encoded word. Returns 0 or the
// negative conversion code (out then unchanged).
int EncodeDisplayName(std::string charset, const SmtpChar* text, std::string& out);

// Appends the subject as plain and encoded words (a word that is not plain
// ASCII or holds "=?" encoded); always returns 1.
int EncodeSubjectText(std::string charset, const SmtpChar* text, std::string& out);

// Appends text as encoded words for a header line that would be too long
// otherwise: each word at most 75 characters, the second and later ones on
// continuation lines. Words end between characters, and each is complete on
// its own (a stateful charset back in its initial state), so together they
// decode to text, with its CR and LF as spaces. Returns 0, or the negative
// conversion code (the words before the failing one stay).
int FoldedEncodedWords(const std::string& charset, const WString& text, std::string& out);

// Escapes double quotes and backslashes when text holds one of the 13
// specials; true when the caller must then enclose it in double quotes.
bool QuoteIfSpecial(std::string& text);
} // namespace SMTPClientNS

#endif
