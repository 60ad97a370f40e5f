#include "QuietStandardError.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace SmtpSend {

QuietStandardError::QuietStandardError() : saved(-1)
{
    std::fflush(stderr);
    const int nullDevice = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nullDevice < 0)
        return;
    saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved >= 0 && dup2(nullDevice, STDERR_FILENO) < 0) {
        close(saved);
        saved = -1;
    }
    close(nullDevice);
}

QuietStandardError::~QuietStandardError()
{
    if (saved < 0)
        return;
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
}

} // namespace SmtpSend
