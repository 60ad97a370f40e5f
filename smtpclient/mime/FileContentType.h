// The type libcurl gives a file part that carries none of its own.
#ifndef SMTPCLIENT_MIME_FILECONTENTTYPE_H
#define SMTPCLIENT_MIME_FILECONTENTTYPE_H

namespace SMTPClientNS {

// The type to set on a file part so that it goes out as libcurl would send
// it: libcurl's type for the file name's ending (letter case ignored),
// "application/octet-stream" for every ending it does not know, and the
// empty string, for no type at all, where libcurl leaves its guess out.
const char* FileContentType(const char* fileName);

} // namespace SMTPClientNS

#endif
