#include "FilePartSource.h"

#include "../NoThrow.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "../platform/FileInfo.h"
#include "../platform/FileSystem.h"

namespace SMTPClientNS {

namespace {

// What libcurl's own file parts return for a file they cannot open: the
// transfer then ends with CURLE_READ_ERROR. CURL_READFUNC_ABORT would end it
// with CURLE_ABORTED_BY_CALLBACK instead.
const size_t kReadError = static_cast<size_t>(-1);

size_t ReadSource(char* buffer, size_t size, size_t count, void* source)
{
    return static_cast<FilePartSource*>(source)->Read(buffer, size * count);
}

// Only the rewind to the start that a repeated transfer asks for.
int SeekSource(void* source, curl_off_t offset, int origin)
{
    if (offset != 0 || origin != SEEK_SET)
        return CURL_SEEKFUNC_CANTSEEK;
    static_cast<FilePartSource*>(source)->Rewind();
    return CURL_SEEKFUNC_OK;
}

void FreeSource(void* source)
{
    delete static_cast<FilePartSource*>(source);
}

} // namespace

void SetFilePartSource(curl_mimepart* part, const WString& path)
{
    uint64_t size = 0;
    const curl_off_t length = Platform::RegularFileSize(path.c_str(), size)
                                  ? static_cast<curl_off_t>(Base64LinesLength(size))
                                  : -1;
    std::unique_ptr<FilePartSource> source(new FilePartSource(path));
    const CURLcode rc =
        curl_mime_data_cb(part, length, ReadSource, SeekSource, FreeSource, source.get());
    if (ThrowIfOutOfMemory(rc) == CURLE_OK)
        source.release();
}

FilePartSource::FilePartSource(WString path) : path(std::move(path)) {}

FilePartSource::~FilePartSource()
{
    Close();
}

size_t FilePartSource::Read(char* buffer, size_t capacity)
{
    if (!file.IsOpen() && !atEnd && !Open())
        return kReadError;
    size_t written = 0;
    while (written < capacity) {
        if (carryAt < carryEnd) {
            const size_t length = std::min(capacity - written, carryEnd - carryAt);
            std::memcpy(buffer + written, carry + carryAt, length);
            carryAt += length;
            written += length;
            continue;
        }
        if (blockAt == blockEnd) {
            if (atEnd)
                break;
            if (!ReadBlock())
                return kReadError;
            continue;
        }
        // Whole lines go straight into libcurl's buffer; a line that does
        // not fit is encoded aside and handed out in pieces.
        const size_t lines = (capacity - written) / kBase64BrokenLineChars;
        const size_t bytes =
            std::min(std::max<size_t>(lines, 1) * kBase64LineBytes, blockEnd - blockAt);
        if (lines > 0) {
            written += EncodeBase64Lines(block.get() + blockAt, bytes, afterLine, buffer + written);
        } else {
            carryAt = 0;
            carryEnd = EncodeBase64Lines(block.get() + blockAt, bytes, afterLine, carry);
        }
        blockAt += bytes;
        afterLine = true;
    }
    if (written == 0)
        Close();
    return written;
}

void FilePartSource::Rewind()
{
    Close();
    atEnd = false;
    afterLine = false;
    carryAt = carryEnd = 0;
}

// Every read is a whole block straight into the block buffer. Nothing may
// throw here, inside libcurl's call.
bool FilePartSource::Open()
{
    block.reset(new (std::nothrow) unsigned char[kFileBlockBytes]);
    if (!block)
        return false;
    return file.Open(path.c_str());
}

// A short block is the file's last; the file is closed right away.
bool FilePartSource::ReadBlock()
{
    const long long length = file.Read(block.get(), kFileBlockBytes);
    if (length < 0 || static_cast<size_t>(length) < kFileBlockBytes) {
        file.Close();
        atEnd = true;
        if (length < 0)
            return false;
    }
    blockAt = 0;
    blockEnd = static_cast<size_t>(length);
    return true;
}

void FilePartSource::Close()
{
    file.Close();
    block.reset();
    blockAt = blockEnd = 0;
}

} // namespace SMTPClientNS
