#include "FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "MoveAll_POSIX.h"
#include "SystemCodePage.h"

namespace SMTPClientNS {
namespace Platform {

namespace {

// File names on POSIX are UTF-8 bytes.
bool ToUtf8Path(const SmtpChar* path, std::string& utf8)
{
    if (path == nullptr)
        return false;
    int needed = WideToMultiByte(kUtf8CodePage, path, nullptr, 0);
    if (needed == 0)
        return false;
    utf8.assign(static_cast<size_t>(needed), '\0');
    if (WideToMultiByte(kUtf8CodePage, path, &utf8[0], needed) == 0)
        return false;
    utf8.resize(static_cast<size_t>(needed) - 1);
    return true;
}

// Closes the descriptor when the scope ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd; }
    bool Valid() const { return fd >= 0; }

private:
    int fd;
};

bool ReadFully(int fd, char* buffer, size_t size)
{
    return MoveAll(size, [&](size_t done) { return read(fd, buffer + done, size - done); }) >= 0;
}

bool WriteFully(int fd, const char* bytes, size_t size)
{
    return MoveAll(size, [&](size_t done) { return write(fd, bytes + done, size - done); })
           == static_cast<ssize_t>(size);
}

} // namespace

bool FileExists(const SmtpChar* path)
{
    std::string utf8;
    struct stat info;
    return ToUtf8Path(path, utf8) && stat(utf8.c_str(), &info) == 0;
}

bool ReadWholeFile(const SmtpChar* path, std::vector<char>& bytes)
{
    bytes.clear();
    std::string utf8;
    if (!ToUtf8Path(path, utf8))
        return false;
    // Non-blocking, so that opening a FIFO by mistake cannot hang; only
    // regular files are read.
    Descriptor file(open(utf8.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info;
    if (!file.Valid() || fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;

    // The size is a 32-bit count, as on the Windows side.
    uint32_t size = static_cast<uint32_t>(info.st_size);
    bytes.assign(static_cast<size_t>(size) + 1, '\0');
    if (!ReadFully(file.Get(), bytes.data(), size)) {
        bytes.clear();
        return false;
    }
    return true;
}

bool WriteFileExclusive(const SmtpChar* path, bool append, const std::string& bytes)
{
    std::string utf8;
    if (!ToUtf8Path(path, utf8))
        return false;
    // Not truncated at open: a file that another writer holds must stay as
    // it is, and the lock can only be tried once the file is open.
    Descriptor file(open(utf8.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!file.Valid() || flock(file.Get(), LOCK_EX | LOCK_NB) != 0)
        return false;

    bool positioned = append ? lseek(file.Get(), 0, SEEK_END) >= 0 : ftruncate(file.Get(), 0) == 0;
    return positioned && WriteFully(file.Get(), bytes.data(), bytes.size());
}

} // namespace Platform
} // namespace SMTPClientNS
