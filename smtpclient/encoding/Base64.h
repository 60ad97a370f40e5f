// Standard Base64 with "=" padding: plain for the header block's encoded
// words, and in MIME lines of 76 characters for file parts.
#ifndef SMTPCLIENT_ENCODING_BASE64_H
#define SMTPCLIENT_ENCODING_BASE64_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace SMTPClientNS {

// A full MIME line: 76 characters holding 57 bytes, and the CR LF that
// separates it from the line before.
const size_t kBase64LineBytes = 57;
const size_t kBase64LineChars = 76;
const size_t kBase64BrokenLineChars = kBase64LineChars + 2;

// Appends the Base64 text of the bytes, without line breaks.
void AppendBase64(const unsigned char* bytes, size_t length, std::string& out);

// Writes the bytes as lines of 76 characters (the last one shorter) with
// CR LF between them, and a CR LF first when afterLine says that a line of
// the same text came before. Every block but the last of a text must be a
// whole number of lines (57 bytes each). Returns the characters written, at
// most kBase64BrokenLineChars per started line.
size_t EncodeBase64Lines(const unsigned char* bytes, size_t length, bool afterLine, char* out);

// The length of the line-broken text of length bytes: no CR LF before the
// first line or after the last, nothing at all for no bytes.
uint64_t Base64LinesLength(uint64_t length);

} // namespace SMTPClientNS

#endif
