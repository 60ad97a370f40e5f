// The file name that a file part of the mail carries.
#ifndef SMTPCLIENT_MIME_PARTFILENAME_H
#define SMTPCLIENT_MIME_PARTFILENAME_H

#include <string>

#include "../WideString.h"

namespace SMTPClientNS {

// A file part carries the base name of its path as libcurl writes it:
// filename="name", the bytes as they are. A name that is not plain ASCII
// would put 8-bit bytes into the part's header, and one that holds "=?"
// would be decoded by readers as an encoded word, so such a name goes into
// the part's own Content-Disposition line as an RFC 2231 parameter instead
// (filename*=UTF-8''name, percent-encoded). Returns that line, or "" for any
// other name, which is left to libcurl.
std::string ExtendedFileNameHeader(const WString& path);

} // namespace SMTPClientNS

#endif
