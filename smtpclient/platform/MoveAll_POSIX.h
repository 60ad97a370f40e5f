// The retry loop around read-, write- and getrandom-like calls, which may
// move fewer bytes than asked or be interrupted by a signal.
#ifndef SMTPCLIENT_PLATFORM_MOVEALL_POSIX_H
#define SMTPCLIENT_PLATFORM_MOVEALL_POSIX_H

#include <sys/types.h>

#include <cerrno>
#include <cstddef>

namespace SMTPClientNS {
namespace Platform {

// call(done) moves the bytes from offset done on and returns how many it
// moved, 0 at the end of the data, or -1 on an error. Returns the bytes moved
// in all, or -1 on an error other than EINTR.
template <typename Call>
ssize_t MoveAll(size_t size, Call call)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t moved = call(done);
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved < 0)
            return -1;
        if (moved == 0)
            break;
        done += static_cast<size_t>(moved);
    }
    return static_cast<ssize_t>(done);
}

} // namespace Platform
} // namespace SMTPClientNS

#endif
