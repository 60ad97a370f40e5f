// Keeps what the library writes to standard error (libcurl's progress text)
// off the terminal while it lives.
#ifndef SMTPSEND_QUIETSTANDARDERROR_H
#define SMTPSEND_QUIETSTANDARDERROR_H

namespace SmtpSend {

class QuietStandardError {
public:
    // Points the process's standard error at the null device; when that
    // fails, standard error stays as it was.
    QuietStandardError();
    // Points it back.
    ~QuietStandardError();
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved; // the original standard error, or -1
};

} // namespace SmtpSend

#endif
