#include "CharsetConverter.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace SMTPClientNS {

namespace {

const char kFirstCharset[] = "utf-8";

bool IsOpen(const CharsetConverter& converter)
{
    return converter.handle != CharsetBackend::NoHandle();
}

// The shared converter starts out open for "utf-8", the most common target.
struct SharedConverter : CharsetConverter {
    SharedConverter()
    {
        handle = CharsetBackend::Open(kFirstCharset);
        if (IsOpen(*this))
            charset = kFirstCharset;
    }
};

// The name goes into header lines, encoded words and content types as it
// stands, so it may hold only printable ASCII without spaces, and no "?",
// which ends an encoded word's charset. iconv skips the other characters
// when it matches a name: it would take "iso\r8859-1" for "iso8859-1",
// leaving the CR to break the line it is written into, and "UTF-8 x" for
// UTF-8, leaving words that no reader decodes.
bool IsPrintableName(const char* charset)
{
    for (const char* c = charset; *c != '\0'; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        if (byte <= 0x20 || byte >= 0x7F || byte == '?')
            return false;
    }
    return true;
}

// Header lines, SMTP and the bodies' line ends take ASCII text to stay ASCII
// in the message's charset. One that turns it into anything else (UTF-16
// and UTF-32 in any byte order, UCS-2 and UCS-4, EBCDIC) would cut the text
// at its first zero byte or make it unreadable, so it is refused like an
// unknown one. The probe may follow an announcing escape sequence of 7-bit
// bytes, as ISO-2022-KR's ESC $ ) C.
bool KeepsAscii(CharsetBackend::Handle handle)
{
    static const char kProbe[] = {'A', 0, '\r', 0, '\n', 0};
    static const std::string kProbeText = "A\r\n";
    char output[64] = {};
    size_t outputLeft = sizeof output;
    if (CharsetBackend::Convert(handle, kProbe, sizeof kProbe, output, outputLeft) != 0)
        return false;
    const std::string produced(output, sizeof output - outputLeft);
    if (produced.size() < kProbeText.size()
        || produced.compare(produced.size() - kProbeText.size(), kProbeText.size(), kProbeText)
               != 0)
        return false;
    const std::string announcer = produced.substr(0, produced.size() - kProbeText.size());
    if (announcer.empty())
        return true;
    return announcer[0] == '\x1B'
           && std::all_of(announcer.begin() + 1, announcer.end(),
                          [](char c) { return c >= 0x20 && c < 0x7F; });
}

// Makes the converter's handle one for charset, reusing it when the name is
// the cached one (compared case-sensitively). False, with the converter as it
// was, when the name is not printable, the backend does not know it or the
// charset does not keep ASCII text.
bool OpenFor(CharsetConverter& converter, const char* charset)
{
    if (IsOpen(converter) && converter.charset == charset)
        return true;
    if (!IsPrintableName(charset))
        return false;

    CharsetBackend::Handle opened = CharsetBackend::Open(charset);
    if (opened == CharsetBackend::NoHandle())
        return false;
    if (!KeepsAscii(opened)) {
        CharsetBackend::Close(opened);
        return false;
    }
    if (IsOpen(converter))
        CharsetBackend::Close(converter.handle);
    converter.handle = opened;
    converter.charset = charset;
    return true;
}

void Close(CharsetConverter& converter)
{
    CharsetBackend::Close(converter.handle);
    converter.handle = CharsetBackend::NoHandle();
    converter.charset.clear();
}

int MapConversionResult(int result)
{
    switch (result) {
    case kConversionStepDone:
        return 0;
    case kConversionStepRefused:
        return ValueOf(RawOutcome::ConversionInvalidParameter);
    case kConversionStepOutOfMemory:
        return ValueOf(RawOutcome::ConversionOutOfMemory);
    case kConversionStepUnknownCharset:
        return ValueOf(RawOutcome::ConversionUnsupported);
    default:
        return ValueOf(RawOutcome::ConversionFailed);
    }
}

} // namespace

CharsetConverter::CharsetConverter() : handle(CharsetBackend::NoHandle()) {}

CharsetConverter::~CharsetConverter()
{
    if (IsOpen(*this))
        CharsetBackend::Close(handle);
}

CharsetConverter& GetSharedConverter()
{
    static SharedConverter shared;
    return shared;
}

int ConvertUtf16ToCharset(CharsetConverter& converter, std::string charset, const SmtpChar* text,
                          char** out, size_t* outLength)
{
    if (charset.empty() || out == nullptr || outLength == nullptr || text == nullptr)
        return ValueOf(RawOutcome::BadState);

    size_t units = std::char_traits<SmtpChar>::length(text);
    if (units == 0 || units > static_cast<size_t>(INT32_MAX))
        return ValueOf(RawOutcome::BadState);

    // The input is the text as UTF-16LE bytes, copied so the conversion can
    // walk it freely.
    size_t byteLength = units * 2;
    std::unique_ptr<char[]> copy(new (std::nothrow) char[byteLength + 1]);
    if (!copy)
        return ValueOf(RawOutcome::ConversionOutOfMemory);
    std::memset(copy.get(), 0, byteLength + 1);
    for (size_t i = 0; i < units; ++i) {
        uint16_t unit = static_cast<uint16_t>(text[i]);
        copy[2 * i] = static_cast<char>(unit & 0xFF);
        copy[2 * i + 1] = static_cast<char>(unit >> 8);
    }

    std::lock_guard<std::mutex> guard(converter.lock);
    int result =
        ConvertBytesToCharset(converter, copy.get(), byteLength, charset.c_str(), out, outLength);
    return MapConversionResult(result);
}

int ConvertBytesToCharset(CharsetConverter& converter, const char* input, size_t inputLength,
                          const char* charset, char** out, size_t* outLength)
{
    if (input == nullptr || inputLength == 0 || charset == nullptr || out == nullptr
        || outLength == nullptr)
        return kConversionStepRefused;

    try {
        // 5 bytes per input byte (10 per UTF-16 unit) covers every charset's
        // longest encoding, so the buffer never grows; the zeros after the
        // output terminate it for callers that read it as a C string. calloc
        // takes large blocks as fresh pages that are zero already, so only
        // the pages the conversion writes are ever touched.
        size_t outputSize = ConvertedBufferSize(inputLength);
        std::unique_ptr<char, void (*)(void*)> output(
            static_cast<char*>(std::calloc(outputSize, 1)), std::free);
        if (!output)
            return kConversionStepRefused;

        if (!OpenFor(converter, charset))
            return kConversionStepUnknownCharset;

        size_t outputLeft = outputSize;
        int error =
            CharsetBackend::Convert(converter.handle, input, inputLength, output.get(), outputLeft);
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
        return kConversionStepDone;
    } catch (...) {
        return kConversionStepRefused;
    }
}

size_t ConvertedBufferSize(size_t inputLength)
{
    return inputLength * 5 + 1;
}

void FreeConverted(char* buffer)
{
    std::free(buffer);
}

} // namespace SMTPClientNS
