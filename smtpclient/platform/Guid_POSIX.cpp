#include "Guid.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace SMTPClientNS {
namespace Platform {

namespace {

bool FillFromGetrandom(unsigned char* bytes, size_t size)
{
    size_t done = 0;
    while (done < size) {
        ssize_t got = getrandom(bytes + done, size - done, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

// For kernels without getrandom.
bool FillFromDevice(unsigned char* bytes, size_t size)
{
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < size) {
        ssize_t got = read(fd, bytes + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    close(fd);
    return done == size;
}

} // namespace

bool CreateGuid(Guid& guid)
{
    unsigned char bytes[16];
    if (!FillFromGetrandom(bytes, sizeof bytes) && !FillFromDevice(bytes, sizeof bytes))
        return false;
    std::memcpy(&guid.data1, bytes, 4);
    std::memcpy(&guid.data2, bytes + 4, 2);
    std::memcpy(&guid.data3, bytes + 6, 2);
    std::memcpy(guid.data4, bytes + 8, 8);
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS
