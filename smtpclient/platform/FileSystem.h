// File services used by the message and the session log.
#ifndef SMTPCLIENT_PLATFORM_FILESYSTEM_H
#define SMTPCLIENT_PLATFORM_FILESYSTEM_H

#include <string>
#include <vector>

#include "../WideString.h"

namespace SMTPClientNS {
namespace Platform {

// True when any file-system entry (a folder too) exists at path.
bool FileExists(const SmtpChar* path);

// Reads an existing file, opened without sharing, into bytes: the file's
// content followed by one zero byte. False when it cannot be opened, sized
// or read; bytes is then empty.
bool ReadWholeFile(const SmtpChar* path, std::vector<char>& bytes);

// Writes bytes to path in one write, holding the file exclusively. Without
// append (or when the file does not exist) the file is created or replaced;
// with append the bytes go to its end. False, with nothing written, when the
// file cannot be opened, is held by another writer, or cannot be positioned.
bool WriteFileExclusive(const SmtpChar* path, bool append, const std::string& bytes);

} // namespace Platform
} // namespace SMTPClientNS

#endif
