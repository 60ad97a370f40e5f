// File services used by the message and the session log.
#ifndef SMTPCLIENT_PLATFORM_FILESYSTEM_H
#define SMTPCLIENT_PLATFORM_FILESYSTEM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "../WideString.h"

namespace SMTPClientNS {
namespace Platform {

// Reads an existing regular file, opened without sharing, into bytes: the
// file's content followed by one zero byte. False when it cannot be opened
// (a folder, pipe or device is not), sized or read; bytes is then empty.
bool ReadWholeFile(const SmtpChar* path, std::vector<char>& bytes);

// Writes bytes to path in one write, holding the file exclusively. Without
// append (or when the file does not exist) the file is created or replaced;
// with append the bytes go to its end. False, with nothing written, when the
// file cannot be opened, is held by another writer, or cannot be positioned.
bool WriteFileExclusive(const SmtpChar* path, bool append, const std::string& bytes);

// A regular file read from its start, shared with other readers and
// writers. The open never waits: a path that names a pipe, a device or a
// folder (also one put in a file's place after the file was checked) does
// not open.
class FileReader {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // None of these throws: they run inside libcurl's read callback.
    bool Open(const SmtpChar* path) noexcept;
    // Fills buffer with up to size bytes, fewer only at the end of the file;
    // the count, or -1 on a read error.
    long long Read(void* buffer, size_t size) noexcept;
    void Close() noexcept;
    bool IsOpen() const noexcept { return handle != -1; }

private:
    intptr_t handle = -1; // a descriptor, or a Win32 handle (-1: none)
};

} // namespace Platform
} // namespace SMTPClientNS

#endif
