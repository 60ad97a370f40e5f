// The password and bearer token, gathered from files, the environment or the
// terminal; never from the command line itself.
#ifndef SMTPSEND_CREDENTIALS_H
#define SMTPSEND_CREDENTIALS_H

#include <string>

#include "Options.h"

namespace SmtpSend {

struct Credentials {
    std::string password;    // empty: none
    std::string oauth2Token; // empty: none
};

// Throws InputError for an unreadable file, an unset variable or a prompt
// that ends without an answer.
Credentials GatherCredentials(const SendOptions& options);

} // namespace SmtpSend

#endif
