// The lines of a text that goes into the mail: SMTP and RFC 5322 know only
// CR LF as a line end and allow at most 998 octets before it.
#ifndef SMTPCLIENT_MIME_BODYLINES_H
#define SMTPCLIENT_MIME_BODYLINES_H

#include <cstddef>
#include <string>

namespace SMTPClientNS {

// The longest line, in octets without its line end, that a mail may carry.
const size_t kMaxLineOctets = 998;

// What a text part hands to libcurl: its bytes with CR LF line ends, and
// whether a line is too long, so that the part must go out quoted-printable.
struct WireText {
    const char* bytes;
    size_t length;
    bool quotedPrintable;
};

// The length bytes at text, with every other line end (LF or CR) written as
// CR LF. The text is rewritten in place when its buffer of capacity bytes
// has room, and into spare otherwise; text with CR LF line ends only is
// left as it is.
WireText TextForTheWire(char* text, size_t length, size_t capacity, std::string& spare);

} // namespace SMTPClientNS

#endif
