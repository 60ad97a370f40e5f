// The body of a file part: the file read in large blocks while libcurl
// sends, handed out as Base64 lines of 76 characters with CR LF between
// them, as libcurl's own "base64" encoder writes them.
#ifndef SMTPCLIENT_MIME_FILEPARTSOURCE_H
#define SMTPCLIENT_MIME_FILEPARTSOURCE_H

#include <curl/curl.h>

#include <memory>

#include "../WideString.h"
#include "../encoding/Base64.h"
#include "../platform/FileSystem.h"

namespace SMTPClientNS {

// Bytes read from the file at a time: whole Base64 lines.
const size_t kFileBlockBytes = 2048 * kBase64LineBytes;

// Makes the file at path the body of part, which owns the source from then
// on. The path stays the host's text up to the open, which goes through the
// platform's file services. The file is opened when libcurl first reads the
// body; a file that cannot be opened (no longer a regular file, too) or read
// then ends the transfer with CURLE_READ_ERROR. The body's length is
// announced from the file's size now, as libcurl does for its own file parts.
void SetFilePartSource(curl_mimepart* part, const WString& path);

class FilePartSource {
public:
    explicit FilePartSource(WString path);
    ~FilePartSource();
    FilePartSource(const FilePartSource&) = delete;
    FilePartSource& operator=(const FilePartSource&) = delete;

    // libcurl's read callback: up to capacity bytes of the Base64 text, 0 at
    // its end, or the read-error value.
    size_t Read(char* buffer, size_t capacity);

    // Back to the start of the text, for a transfer that sends it again.
    void Rewind();

private:
    bool Open();
    bool ReadBlock();
    void Close();

    const WString path;
    Platform::FileReader file;
    bool atEnd = false;
    // The block being encoded and how far it is consumed.
    std::unique_ptr<unsigned char[]> block;
    size_t blockAt = 0;
    size_t blockEnd = 0;
    bool afterLine = false;
    // A line that did not fit whole into libcurl's buffer, and what of it
    // is still to be handed out.
    char carry[kBase64BrokenLineChars];
    size_t carryAt = 0;
    size_t carryEnd = 0;
};

} // namespace SMTPClientNS

#endif
