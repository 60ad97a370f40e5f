// The file name that a file part of the mail carries.
#ifndef SMTPCLIENT_MIME_PARTFILENAME_H
#define SMTPCLIENT_MIME_PARTFILENAME_H

#include <curl/curl.h>

#include <string>

#include "../encoding/WideString.h"

namespace SMTPClientNS {

// A part made with curl_mime_filedata carries the base name of its path as
// libcurl writes it: filename="name", the bytes as they are. A name that is
// not plain ASCII would put 8-bit bytes into the part's header, so it goes
// into the part's Content-Disposition as an RFC 2231 parameter instead
// (filename*=UTF-8''name, percent-encoded); an ASCII name is left to libcurl.
void SetPartFileName(curl_mimepart* part, const WString& path);

// "attachment; filename*=UTF-8''" and the percent-encoded UTF-8 of name.
std::string ExtendedFileNameDisposition(const WString& name);

} // namespace SMTPClientNS

#endif
