#include "CharsetConverter.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace SMTPClientNS {

namespace {

const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);
const size_t kIconvFailed = static_cast<size_t>(-1);
const char kSourceCharset[] = "utf-16le";
const size_t kTargetNameSize = 512;

// The shared converter starts out open for "utf-8", the most common target.
struct SharedConverter : CharsetConverter {
    SharedConverter()
    {
        handle = iconv_open("utf-8", kSourceCharset);
        if (handle != kNoHandle)
            charset = "utf-8";
    }
};

// Makes the converter's handle one for charset, reusing it when the name is
// the cached one (compared case-sensitively). False, with the converter as it
// was, when iconv does not know the name.
bool OpenFor(CharsetConverter& converter, const char* charset)
{
    if (converter.handle != kNoHandle && converter.charset == charset)
        return true;

    char targetName[kTargetNameSize];
    int written = std::snprintf(targetName, sizeof targetName, "%s//IGNORE", charset);
    if (written < 0 || static_cast<size_t>(written) >= sizeof targetName)
        return false;

    iconv_t opened = iconv_open(targetName, kSourceCharset);
    if (opened == kNoHandle)
        return false;
    if (converter.handle != kNoHandle)
        iconv_close(converter.handle);
    converter.handle = opened;
    converter.charset = charset;
    return true;
}

void Close(CharsetConverter& converter)
{
    iconv_close(converter.handle);
    converter.handle = kNoHandle;
    converter.charset.clear();
}

// Converts all of the input in one pass. With "//IGNORE", glibc drops the
// characters the target lacks but still ends the call with EILSEQ, and on
// long inputs it even stops after the internal chunk in which it dropped one.
// Such a call has consumed input, so it is resumed; the pass ends when the
// input is used up, or when a call fails without consuming anything. Returns
// 0, or the errno of a failure that left input unconverted.
int ConvertAll(iconv_t handle, char* input, size_t inputLength, char* output, size_t& outputLeft)
{
    while (true) {
        size_t before = inputLength;
        errno = 0;
        size_t result = iconv(handle, &input, &inputLength, &output, &outputLeft);
        if (result != kIconvFailed || inputLength == 0)
            return 0;
        int error = errno;
        if (error != EILSEQ || inputLength == before)
            return error;
    }
}

int MapConversionResult(int result)
{
    switch (result) {
    case 1: return 0;
    case -1: return -19;
    case -2: return -20;
    case -3: return -21;
    default: return -22;
    }
}

} // namespace

CharsetConverter::CharsetConverter() : handle(kNoHandle) {}

CharsetConverter::~CharsetConverter()
{
    if (handle != kNoHandle)
        iconv_close(handle);
}

CharsetConverter& GetSharedConverter()
{
    static SharedConverter shared;
    return shared;
}

int ConvertUtf16ToCharset(CharsetConverter& converter, std::string charset,
                          const SmtpChar* text, char** out, size_t* outLength)
{
    if (charset.empty() || out == nullptr || outLength == nullptr || text == nullptr)
        return -1;

    size_t units = std::char_traits<SmtpChar>::length(text);
    if (units == 0 || units > static_cast<size_t>(INT32_MAX))
        return -1;

    // The input is the text as UTF-16LE bytes, copied so the conversion can
    // walk it freely.
    size_t byteLength = units * 2;
    std::unique_ptr<char[]> copy(new (std::nothrow) char[byteLength + 1]);
    if (!copy)
        return -20;
    std::memset(copy.get(), 0, byteLength + 1);
    for (size_t i = 0; i < units; ++i) {
        uint16_t unit = static_cast<uint16_t>(text[i]);
        copy[2 * i] = static_cast<char>(unit & 0xFF);
        copy[2 * i + 1] = static_cast<char>(unit >> 8);
    }

    std::lock_guard<std::mutex> guard(converter.lock);
    int result = ConvertBytesToCharset(converter, copy.get(), byteLength,
                                       charset.c_str(), out, outLength);
    return MapConversionResult(result);
}

int ConvertBytesToCharset(CharsetConverter& converter, const char* input,
                          size_t inputLength, const char* charset,
                          char** out, size_t* outLength)
{
    if (input == nullptr || inputLength == 0 || charset == nullptr
        || out == nullptr || outLength == nullptr)
        return -1;

    try {
        // 5 bytes per input byte (10 per UTF-16 unit) covers every charset's
        // longest encoding, so the buffer never grows; the zeros after the
        // output terminate it for callers that read it as a C string.
        size_t outputSize = inputLength * 5 + 1;
        std::unique_ptr<char[]> output(new char[outputSize]());

        if (!OpenFor(converter, charset))
            return -3;

        iconv(converter.handle, nullptr, nullptr, nullptr, nullptr);

        // iconv only reads through its input pointer; its signature is not const.
        size_t outputLeft = outputSize;
        int error = ConvertAll(converter.handle, const_cast<char*>(input), inputLength,
                               output.get(), outputLeft);
        size_t produced = outputSize - outputLeft;

        // A failure before any byte was produced (the text starts with what
        // cannot be converted, like a lone high surrogate) is taken as an
        // empty success: the callers cope with zero bytes, and the handle,
        // which produced nothing, stays usable.
        if (error != 0 && produced > 0) {
            Close(converter);
            return error;
        }

        *out = output.release();
        *outLength = produced;
        return 1;
    } catch (...) {
        return -1;
    }
}

void FreeConverted(char* buffer)
{
    delete[] buffer;
}

} // namespace SMTPClientNS
