// The lines of a text that goes into the mail: SMTP and RFC 5322 know only
// CR LF as a line end and allow at most 998 octets before it.
#ifndef SMTPCLIENT_MIME_BODYLINES_H
#define SMTPCLIENT_MIME_BODYLINES_H

#include <cstddef>
#include <string>

namespace SMTPClientNS {

// The longest line, in octets without its line end, that a mail may carry.
const size_t kMaxLineOctets = 998;

// What a text part hands to libcurl: its bytes with CR LF line ends (text,
// when they had any other; the bytes go as they are when rewritten is
// false), and whether a line is too long, so that the part must go out
// quoted-printable.
struct WireText {
    bool rewritten;
    std::string text;
    bool quotedPrintable;
};

WireText TextForTheWire(const char* bytes, size_t length);

} // namespace SMTPClientNS

#endif
