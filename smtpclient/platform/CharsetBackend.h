// The engine behind CharsetConverter: conversions from UTF-16LE bytes into a
// named character set, dropping the characters the target lacks. One engine
// is built in: iconv where the system or a library provides it, the Windows
// code pages otherwise.
#ifndef SMTPCLIENT_PLATFORM_CHARSETBACKEND_H
#define SMTPCLIENT_PLATFORM_CHARSETBACKEND_H

#include <cstddef>

namespace SMTPClientNS {
namespace CharsetBackend {

// An open conversion; its meaning belongs to the engine.
typedef void* Handle;

// The value of a handle that is not open.
Handle NoHandle();

// Opens a conversion into charset; NoHandle() when the name is unknown.
Handle Open(const char* charset);

void Close(Handle handle);

// Converts all of input (UTF-16LE bytes) from the initial shift state and
// back to it, appending at output and decreasing outputLeft by the bytes
// produced.
// Returns 0, or an errno value when part of the input could not be
// converted (what was converted before it stays in the output).
int Convert(Handle handle, const char* input, size_t inputLength, char* output, size_t& outputLeft);

} // namespace CharsetBackend
} // namespace SMTPClientNS

#endif
