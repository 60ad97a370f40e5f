// Problems found before anything is sent. main prints them and exits with 2.
#ifndef SMTPSEND_ERRORS_H
#define SMTPSEND_ERRORS_H

#include <stdexcept>

namespace SmtpSend {

// The command line itself is wrong: main adds a pointer to --help.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The command line is well formed but names something unusable: an address
// the library refuses, a file that cannot be read, an unset variable.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace SmtpSend

#endif
