#include "QuietStandardError.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace SmtpSend {

namespace {

const int kStandardErrorFd = 2;

} // namespace

// Descriptor 2 is the library's too when both use the same C runtime, as
// they do when built together.
QuietStandardError::QuietStandardError() : saved(-1)
{
    std::fflush(stderr);
    const int nullDevice = _open("NUL", _O_WRONLY);
    if (nullDevice < 0)
        return;
    saved = _dup(kStandardErrorFd);
    if (saved >= 0 && _dup2(nullDevice, kStandardErrorFd) != 0) {
        _close(saved);
        saved = -1;
    }
    _close(nullDevice);
}

QuietStandardError::~QuietStandardError()
{
    if (saved < 0)
        return;
    std::fflush(stderr);
    _dup2(saved, kStandardErrorFd);
    _close(saved);
}

} // namespace SmtpSend
