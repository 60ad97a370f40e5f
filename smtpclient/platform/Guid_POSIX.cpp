#include "Guid.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cstring>

#include "MoveAll_POSIX.h"

namespace SMTPClientNS {
namespace Platform {

namespace {

bool FillFromGetrandom(unsigned char* bytes, size_t size)
{
    return MoveAll(size, [&](size_t done) { return getrandom(bytes + done, size - done, 0); })
           == static_cast<ssize_t>(size);
}

// For kernels without getrandom.
bool FillFromDevice(unsigned char* bytes, size_t size)
{
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const ssize_t moved =
        MoveAll(size, [&](size_t done) { return read(fd, bytes + done, size - done); });
    close(fd);
    return moved == static_cast<ssize_t>(size);
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
