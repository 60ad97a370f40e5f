// A mailbox as written on the command line: "addr" or "Display Name <addr>".
#ifndef SMTPSEND_MAILBOX_H
#define SMTPSEND_MAILBOX_H

#include <string>

namespace SmtpSend {

struct Mailbox {
    std::string name; // empty when none was given
    std::string address;
};

// Splits "Name <addr>" (the name may be in double quotes) or takes the whole
// text as the address. Spaces around either part are dropped. The address is
// not checked here: the library decides whether it accepts it.
Mailbox ParseMailbox(const std::string& text);

} // namespace SmtpSend

#endif
