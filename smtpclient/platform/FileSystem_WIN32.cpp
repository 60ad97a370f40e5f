#include "FileSystem.h"

#include <windows.h>

#include <algorithm>

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

bool ReadWholeFile(const SmtpChar* path, std::vector<char>& bytes)
{
    bytes.clear();
    if (path == nullptr)
        return false;
    FileHandle file(
        CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file.valid() || GetFileType(file.get()) != FILE_TYPE_DISK
        || !GetFileSizeEx(file.get(), &size))
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

FileReader::~FileReader()
{
    Close();
}

// A folder does not open without FILE_FLAG_BACKUP_SEMANTICS; a pipe or a
// device opens, and is told apart by its type.
bool FileReader::Open(const SmtpChar* path) noexcept
{
    Close();
    if (path == nullptr)
        return false;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    handle = reinterpret_cast<intptr_t>(file);
    return file != INVALID_HANDLE_VALUE;
}

long long FileReader::Read(void* buffer, size_t size) noexcept
{
    HANDLE file = reinterpret_cast<HANDLE>(handle);
    char* bytes = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < size) {
        const DWORD asked = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
        DWORD read = 0;
        if (!ReadFile(file, bytes + done, asked, &read, nullptr))
            return -1;
        if (read == 0)
            break;
        done += read;
    }
    return static_cast<long long>(done);
}

void FileReader::Close() noexcept
{
    if (handle != reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE))
        CloseHandle(reinterpret_cast<HANDLE>(handle));
    handle = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
}

} // namespace Platform
} // namespace SMTPClientNS
