// The lines of a text that goes into the mail: SMTP and RFC 5322 know only
// CR LF as a line end and allow at most 998 octets before it.
#ifndef SMTPCLIENT_MIME_BODYLINES_H
#define SMTPCLIENT_MIME_BODYLINES_H

#include <cstddef>
#include <string>

namespace SMTPClientNS {

// The longest line, in octets without its line end, that a mail may carry.
const size_t kMaxLineOctets = 998;

struct BodyLines {
    bool loneLineBreaks;  // a CR or an LF that is not part of a CR LF
    bool longLines;       // a line longer than kMaxLineOctets
};

// One pass over bytes; LF, CR and CR LF each end a line.
BodyLines ScanBodyLines(const char* bytes, size_t length);

// bytes with every line end (LF, CR or CR LF) written as CR LF.
std::string WithCrLfLineEnds(const char* bytes, size_t length);

} // namespace SMTPClientNS

#endif
