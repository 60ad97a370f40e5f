// The libcurl MIME tree of the mail body: text and HTML alternatives, inline
// images and attachments.
#ifndef SMTPCLIENT_MIME_MIMEBODYTREE_H
#define SMTPCLIENT_MIME_MIMEBODYTREE_H

#include <curl/curl.h>

#include "MessageSnapshot.h"

namespace SMTPClientNS {

// 0, or the negative conversion code of a body.
int AddBodyParts(curl_mime** rootMime, curl_mime** alternativeMime, const MessageSnapshot& message);
void AddInlineImageParts(curl_mime** rootMime, curl_mime** relatedMime,
                         const MessageSnapshot& message);
void AddAttachmentParts(curl_mime** rootMime, curl_mime** mixedMime,
                        const MessageSnapshot& message);

// "image/bmp", "image/png" or "" by the extension of path.
const char* GetImageMimeType(const char* path);

} // namespace SMTPClientNS

#endif
