#include "MimeBodyTree.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <new>
#include <string>
#include <vector>

#include "../NoThrow.h"
#include "../encoding/CharsetConverter.h"
#include "../encoding/CodePage.h"
#include "../platform/FileInfo.h"
#include "BodyLines.h"
#include "ContentIdHeader.h"
#include "FileContentType.h"
#include "FilePartSource.h"
#include "MimeMessage.h"
#include "PartFileName.h"

namespace SMTPClientNS {

namespace {

// The body parts of the alternative container, in the order they are sent.
struct BodyKind {
    WString MessageSnapshot::*body;
    const char* typeFormat;
};

const BodyKind kBodyKinds[] = {
    {&MessageSnapshot::htmlBody, "text/html; charset=%s"},
    {&MessageSnapshot::textBody, "text/plain; charset=%s"},
};

struct ImageType {
    const char* extension;
    const char* type;
};

const ImageType kImageTypes[] = {
    {"bmp", "image/bmp"},
    {"png", "image/png"},
};

// Gives a part the converted body, up to its first zero byte. Every line end
// goes out as CR LF: a lone LF or CR would reach the server as it is, where a
// "." line after a bare LF may end the DATA and the rest run as commands. A
// body with a line too long for a mail goes out quoted-printable. The line
// ends are rewritten inside the conversion's buffer (capacity bytes), which
// has room to spare, so that a large body is not copied once more.
void SetBodyData(curl_mimepart* part, char* converted, size_t capacity)
{
    std::string spare;
    const WireText wire = TextForTheWire(converted, std::strlen(converted), capacity, spare);
    ThrowIfOutOfMemory(curl_mime_data(part, wire.bytes, wire.length));
    if (wire.quotedPrintable) {
        ThrowIfOutOfMemory(curl_mime_encoder(part, "quoted-printable"));
    }
}

// Converts a body into the charset and adds it as a text part.
int AddTextPart(curl_mime* mime, const SmtpChar* body, const char* typeFormat,
                const std::string& charset)
{
    char* converted = nullptr;
    size_t convertedLength = 0;
    const int rc =
        ConvertUtf16ToCharset(GetSharedConverter(), charset, body, &converted, &convertedLength);
    if (rc != 0) {
        return rc;
    }
    const ConvertedText text(converted);
    curl_mimepart* part = ThrowIfNull(curl_mime_addpart(mime));
    SetBodyData(part, text.get(),
                ConvertedBufferSize(2 * std::char_traits<SmtpChar>::length(body)));
    char type[56];
    std::snprintf(type, sizeof type, typeFormat, charset.c_str());
    ThrowIfOutOfMemory(curl_mime_type(part, type));
    return 0;
}

// The non-empty lines as a part's header list, or an exception with nothing
// left allocated.
curl_slist* PartHeaders(const std::vector<const char*>& lines)
{
    curl_slist* headers = nullptr;
    for (const char* line : lines) {
        if (line[0] == 0) {
            continue;
        }
        curl_slist* grown = curl_slist_append(headers, line);
        if (grown == nullptr) {
            curl_slist_free_all(headers);
            throw std::bad_alloc();
        }
        headers = grown;
    }
    return headers;
}

// Hands subparts to a new container part of root.
curl_mimepart* AddContainer(curl_mime* root, curl_mime* subparts, const char* type)
{
    curl_mimepart* container = ThrowIfNull(curl_mime_addpart(root));
    ThrowIfOutOfMemory(curl_mime_subparts(container, subparts));
    ThrowIfOutOfMemory(curl_mime_type(container, type));
    return container;
}

// The name that the part's Content-Disposition carries: the path's base name.
void SetPartFileName(curl_mimepart* part, const WString& path)
{
    const std::string name = ToAnsi(Platform::BaseName(path.c_str()));
    ThrowIfOutOfMemory(curl_mime_filename(part, name.c_str()));
}

// A part whose body is the file's Base64 text, named after the file. Its
// type is set outright, since libcurl's default for a file applies only to
// its own file parts; an empty type sets none. Its own header lines start
// with the encoding, where libcurl's encoder would have written it among
// them, and go on with the non-empty lines of extraHeaders.
void AddFilePart(curl_mime* mime, const WString& path, const char* type,
                 std::initializer_list<const char*> extraHeaders)
{
    curl_mimepart* part = ThrowIfNull(curl_mime_addpart(mime));
    SetFilePartSource(part, path);
    SetPartFileName(part, path);
    if (type[0] != 0) {
        ThrowIfOutOfMemory(curl_mime_type(part, type));
    }
    std::vector<const char*> lines = {"Content-Transfer-Encoding: base64"};
    lines.insert(lines.end(), extraHeaders.begin(), extraHeaders.end());
    curl_mime_headers(part, PartHeaders(lines), 1);
}

void AddInlineImagePart(curl_mime* related, const InlineImageEntry& image)
{
    const std::string path = ToAnsi(image.path.c_str());
    const char* type = GetImageMimeType(path.c_str());
    const std::string contentId = ContentIdHeader(image.contentId);
    AddFilePart(related, image.path, type[0] != 0 ? type : FileContentType(path.c_str()),
                {contentId.c_str(), "Content-Disposition: inline"});
}

} // namespace

int AddBodyParts(curl_mime** rootMime, curl_mime** alternativeMime, const MessageSnapshot& message)
{
    const std::string charset = ToAnsi(message.charset.c_str());
    bool anyBody = false;
    for (const BodyKind& kind : kBodyKinds) {
        const WString& body = message.*kind.body;
        if (body.empty()) {
            continue;
        }
        const int rc = AddTextPart(*alternativeMime, body.c_str(), kind.typeFormat, charset);
        if (rc != 0) {
            return rc;
        }
        anyBody = true;
    }
    if (anyBody) {
        curl_mimepart* container =
            AddContainer(*rootMime, *alternativeMime, "multipart/alternative");
        curl_mime_headers(container, PartHeaders({"Content-Disposition: inline"}), 1);
    } else {
        ThrowIfOutOfMemory(curl_mime_data(ThrowIfNull(curl_mime_addpart(*rootMime)), nullptr, 0));
    }
    return 0;
}

void AddInlineImageParts(curl_mime** rootMime, curl_mime** relatedMime,
                         const MessageSnapshot& message)
{
    if (message.htmlBody.empty() || message.inlineImages.empty()) {
        return;
    }
    for (const InlineImageEntry& image : message.inlineImages) {
        if (!image.path.empty() && !image.contentId.empty()) {
            AddInlineImagePart(*relatedMime, image);
        }
    }
    AddContainer(*rootMime, *relatedMime, "multipart/related");
}

void AddAttachmentParts(curl_mime** rootMime, curl_mime** mixedMime, const MessageSnapshot& message)
{
    if (message.attachments.empty()) {
        return;
    }
    for (const WString& path : message.attachments) {
        if (path.empty()) {
            continue;
        }
        const std::string ansiPath = ToAnsi(path.c_str());
        const std::string nameHeader = ExtendedFileNameHeader(path);
        AddFilePart(*mixedMime, path, FileContentType(ansiPath.c_str()), {nameHeader.c_str()});
    }
    AddContainer(*rootMime, *mixedMime, "multipart/mixed");
}

const char* GetImageMimeType(const char* path)
{
    const char* dot = path ? std::strrchr(path, '.') : nullptr;
    if (dot == nullptr) {
        return "";
    }
    std::string extension = dot + 1;
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    for (const ImageType& entry : kImageTypes) {
        if (extension == entry.extension) {
            return entry.type;
        }
    }
    return "";
}

} // namespace SMTPClientNS
