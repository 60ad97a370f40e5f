#include "../platform/CharsetBackend.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

namespace SMTPClientNS {
namespace CharsetBackend {

namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);
const size_t kIconvFailed = static_cast<size_t>(-1);
const char kSourceCharset[] = "utf-16le";
const size_t kTargetNameSize = 512;

iconv_t AsIconv(Handle handle)
{
    return reinterpret_cast<iconv_t>(handle);
}

// With "//IGNORE", glibc drops the characters the target lacks but still
// ends the call with EILSEQ, and on long inputs it even stops after the
// internal chunk in which it dropped one. Such a call has consumed input, so
// it is resumed; the pass ends when the input is used up, or when a call
// fails without consuming anything.
int ConvertAll(iconv_t descriptor, const char* input, size_t inputLength, char*& output,
               size_t& outputLeft)
{
    // iconv only reads through its input pointer; its signature is not const.
    char* next = const_cast<char*>(input);
    while (true) {
        size_t before = inputLength;
        errno = 0;
        size_t result = iconv(descriptor, &next, &inputLength, &output, &outputLeft);
        if (result != kIconvFailed || inputLength == 0)
            return 0;
        int error = errno;
        if (error != EILSEQ || inputLength == before)
            return error;
    }
}

} // namespace

Handle NoHandle()
{
    return reinterpret_cast<Handle>(kNoIconv);
}

Handle Open(const char* charset)
{
    char targetName[kTargetNameSize];
    int written = std::snprintf(targetName, sizeof targetName, "%s//IGNORE", charset);
    if (written < 0 || static_cast<size_t>(written) >= sizeof targetName)
        return NoHandle();
    return reinterpret_cast<Handle>(iconv_open(targetName, kSourceCharset));
}

void Close(Handle handle)
{
    iconv_close(AsIconv(handle));
}

// The closing call writes what brings a stateful charset back to its
// initial state (ESC ( B after Japanese in ISO-2022-JP), so that every
// converted text, a body or one encoded word, stands complete on its own.
int Convert(Handle handle, const char* input, size_t inputLength, char* output, size_t& outputLeft)
{
    iconv_t descriptor = AsIconv(handle);
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    const int error = ConvertAll(descriptor, input, inputLength, output, outputLeft);
    if (error != 0)
        return error;
    if (iconv(descriptor, nullptr, nullptr, &output, &outputLeft) == kIconvFailed)
        return errno;
    return 0;
}

} // namespace CharsetBackend
} // namespace SMTPClientNS
