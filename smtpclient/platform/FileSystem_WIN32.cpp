#include "FileSystem.h"

#include <windows.h>

namespace SMTPClientNS {
namespace Platform {

namespace {

// Closes the handle when the scope ends.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

} // namespace

bool FileExists(const SmtpChar* path)
{
    return path != nullptr && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool ReadWholeFile(const SmtpChar* path, std::vector<char>& bytes)
{
    bytes.clear();
    if (path == nullptr)
        return false;
    FileHandle file(
        CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file.valid() || !GetFileSizeEx(file.get(), &size))
        return false;

    // The size is taken as a 32-bit count.
    DWORD length = size.LowPart;
    bytes.assign(static_cast<size_t>(length) + 1, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), length, &read, nullptr)) {
        bytes.clear();
        return false;
    }
    return true;
}

bool WriteFileExclusive(const SmtpChar* path, bool append, const std::string& bytes)
{
    if (path == nullptr)
        return false;
    bool toEnd = append && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
    FileHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                toEnd ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.valid())
        return false;
    if (toEnd && SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER
        && GetLastError() != NO_ERROR)
        return false;

    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
           && written == bytes.size();
}

} // namespace Platform
} // namespace SMTPClientNS
