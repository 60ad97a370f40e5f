#include "FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <new>

#include "MoveAll_POSIX.h"
#include "Utf8Path_POSIX.h"

namespace SMTPClientNS {
namespace Platform {

namespace {

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

// Non-blocking, so that a FIFO or a device met by mistake cannot hold up
// the open; only a regular file stays open. -1 otherwise.
int OpenRegularFile(const std::string& utf8)
{
    const int fd = open(utf8.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

bool WriteFully(int fd, const char* bytes, size_t size)
{
    return MoveAll(size, [&](size_t done) { return write(fd, bytes + done, size - done); })
           == static_cast<ssize_t>(size);
}

} // namespace

bool ReadWholeFile(const SmtpChar* path, std::vector<char>& bytes)
{
    bytes.clear();
    std::string utf8;
    if (!ToUtf8Path(path, utf8))
        return false;
    Descriptor file(OpenRegularFile(utf8));
    struct stat info;
    if (!file.Valid() || fstat(file.Get(), &info) != 0)
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

FileReader::~FileReader()
{
    Close();
}

// The path's conversion allocates; without memory the file does not open.
bool FileReader::Open(const SmtpChar* path) noexcept
{
    Close();
    try {
        std::string utf8;
        if (!ToUtf8Path(path, utf8))
            return false;
        handle = OpenRegularFile(utf8);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return handle >= 0;
}

long long FileReader::Read(void* buffer, size_t size) noexcept
{
    char* bytes = static_cast<char*>(buffer);
    const int fd = static_cast<int>(handle);
    return MoveAll(size, [&](size_t done) { return read(fd, bytes + done, size - done); });
}

void FileReader::Close() noexcept
{
    if (handle >= 0)
        close(static_cast<int>(handle));
    handle = -1;
}

} // namespace Platform
} // namespace SMTPClientNS
