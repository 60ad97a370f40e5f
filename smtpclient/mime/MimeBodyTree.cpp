#include "MimeBodyTree.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <new>
#include <string>

#include "../encoding/CharsetConverter.h"
#include "../NoThrow.h"
#include "../encoding/CodePage.h"
#include "HeaderText.h"

namespace SMTPClientNS {

namespace {

// The body parts of the alternative container, in the order they are sent.
struct BodyKind {
    const SmtpChar* (IMimeMessage::*body)();
    const char* typeFormat;
};

const BodyKind kBodyKinds[] = {
    {&IMimeMessage::GetHtmlBody, "text/html; charset=%s"},
    {&IMimeMessage::GetTextBody, "text/plain; charset=%s"},
};

struct ImageType {
    const char* extension;
    const char* type;
};

const ImageType kImageTypes[] = {
    {"bmp", "image/bmp"},
    {"png", "image/png"},
};

IMimeMessage* MessageOf(ISmtpClient* client)
{
    return client ? client->GetMimeMessage() : nullptr;
}

std::string Ansi(const SmtpChar* text)
{
    std::string ansi;
    WideToAnsi(text, ansi);
    return ansi;
}

// Converts a body into the charset and adds it as a zero-terminated text part.
int AddTextPart(curl_mime* mime, const SmtpChar* body, const char* typeFormat,
                const std::string& charset)
{
    char* converted = nullptr;
    size_t convertedLength = 0;
    const int rc = ConvertUtf16ToCharset(GetSharedConverter(), charset, body,
                                         &converted, &convertedLength);
    if (rc != 0) {
        return rc;
    }
    const ConvertedText text(converted);
    curl_mimepart* part = ThrowIfNull(curl_mime_addpart(mime));
    ThrowIfOutOfMemory(curl_mime_data(part, text.get(), CURL_ZERO_TERMINATED));
    char type[56];
    std::snprintf(type, sizeof type, typeFormat, charset.c_str());
    ThrowIfOutOfMemory(curl_mime_type(part, type));
    return 0;
}

// Header lines for a part, or an exception with nothing left allocated.
curl_slist* PartHeaders(std::initializer_list<const char*> lines)
{
    curl_slist* headers = nullptr;
    for (const char* line : lines) {
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

void AddInlineImagePart(curl_mime* related, const InlineImageEntry& image)
{
    curl_mimepart* part = ThrowIfNull(curl_mime_addpart(related));
    const std::string path = Ansi(image.path.c_str());
    ThrowIfOutOfMemory(curl_mime_filedata(part, path.c_str()));
    const char* type = GetImageMimeType(path.c_str());
    if (type[0] != 0) {
        ThrowIfOutOfMemory(curl_mime_type(part, type));
    }
    // The identifier is the host's text in a part header line.
    const WString identifier = WithoutLineBreaks(image.contentId);
    const std::string contentId = "Content-ID: <" + Ansi(identifier.c_str()) + ">";
    curl_mime_headers(part, PartHeaders({contentId.c_str(), "Content-Disposition: inline"}), 1);
    curl_mime_encoder(part, "base64");
}

} // namespace

int AddBodyParts(curl_mime** rootMime, curl_mime** alternativeMime, ISmtpClient* client)
{
    IMimeMessage* message = MessageOf(client);
    if (message == nullptr) {
        return 0;
    }
    const std::string charset = Ansi(message->GetCharset());
    bool anyBody = false;
    for (const BodyKind& kind : kBodyKinds) {
        const SmtpChar* body = (message->*kind.body)();
        if (body == nullptr || body[0] == 0) {
            continue;
        }
        const int rc = AddTextPart(*alternativeMime, body, kind.typeFormat, charset);
        if (rc != 0) {
            return rc;
        }
        anyBody = true;
    }
    if (anyBody) {
        curl_mimepart* container = AddContainer(*rootMime, *alternativeMime, "multipart/alternative");
        curl_mime_headers(container, PartHeaders({"Content-Disposition: inline"}), 1);
    } else {
        ThrowIfOutOfMemory(curl_mime_data(ThrowIfNull(curl_mime_addpart(*rootMime)), nullptr, 0));
    }
    return 0;
}

void AddInlineImageParts(curl_mime** rootMime, curl_mime** relatedMime, ISmtpClient* client)
{
    IMimeMessage* message = MessageOf(client);
    if (message == nullptr) {
        return;
    }
    const SmtpChar* html = message->GetHtmlBody();
    if (html == nullptr || html[0] == 0) {
        return;
    }
    std::vector<InlineImageEntry> images;
    CollectInlineImages(message, images);
    if (images.empty()) {
        return;
    }
    for (const InlineImageEntry& image : images) {
        if (!image.path.empty() && !image.contentId.empty()) {
            AddInlineImagePart(*relatedMime, image);
        }
    }
    AddContainer(*rootMime, *relatedMime, "multipart/related");
}

void AddAttachmentParts(curl_mime** rootMime, curl_mime** mixedMime, ISmtpClient* client)
{
    IMimeMessage* message = MessageOf(client);
    if (message == nullptr) {
        return;
    }
    std::vector<WString> paths;
    const int count = message->GetAttachmentCount();
    for (int i = 1; i <= count; ++i) {
        paths.push_back(message->GetAttachment(i));
    }
    if (paths.empty()) {
        return;
    }
    for (const WString& path : paths) {
        if (path.empty()) {
            continue;
        }
        curl_mimepart* part = ThrowIfNull(curl_mime_addpart(*mixedMime));
        ThrowIfOutOfMemory(curl_mime_filedata(part, Ansi(path.c_str()).c_str()));
        curl_mime_encoder(part, "base64");
    }
    AddContainer(*rootMime, *mixedMime, "multipart/mixed");
}

void CollectInlineImages(IMimeMessage* message, std::vector<InlineImageEntry>& images)
{
    const int count = message->GetInlineImageCount();
    for (int i = 1; i <= count; ++i) {
        images.push_back(InlineImageEntry{message->GetInlineImageContentId(i),
                                          message->GetInlineImagePath(i)});
    }
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
