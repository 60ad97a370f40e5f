// UTF-16 to a named character set, with one cached conversion.
#ifndef SMTPCLIENT_ENCODING_CHARSETCONVERTER_H
#define SMTPCLIENT_ENCODING_CHARSETCONVERTER_H

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "../Outcomes.h"
#include "../WideString.h"
#include "../platform/CharsetBackend.h"

namespace SMTPClientNS {

// What the conversion's inner step returns, before it becomes one of the
// conversion outcomes; a failed conversion returns its errno instead.
// Refused covers bad arguments and no memory for the output alike.
const int kConversionStepDone = 1;
const int kConversionStepRefused = -1;
const int kConversionStepOutOfMemory = -2;
const int kConversionStepUnknownCharset = -3;

// One open conversion from UTF-16LE and the charset name it was opened for.
struct CharsetConverter {
    CharsetConverter();
    ~CharsetConverter();
    CharsetConverter(const CharsetConverter&) = delete;
    CharsetConverter& operator=(const CharsetConverter&) = delete;

    CharsetBackend::Handle handle; // CharsetBackend::NoHandle() when none
    std::string charset;           // empty when handle is none
    // Held for each whole conversion, so that sends on different threads
    // (the hosts' own and the workers) never share the descriptor at the
    // same time.
    std::mutex lock;
};

// The process-wide converter, opened for "utf-8" on first use.
CharsetConverter& GetSharedConverter();

// Converts text into charset. On success (0) *out receives a zero-filled
// buffer of 10 bytes per code unit plus 1 (free it with FreeConverted) and
// *outLength the produced byte count. Failures: RawOutcome::BadState for
// bad arguments or empty text, otherwise one of the conversion outcomes, as
// their values.
int ConvertUtf16ToCharset(CharsetConverter& converter, std::string charset, const SmtpChar* text,
                          char** out, size_t* outLength);

// The inner step: kConversionStepDone, kConversionStepRefused (bad arguments
// or no memory), kConversionStepUnknownCharset, or the errno of a failed
// conversion.
int ConvertBytesToCharset(CharsetConverter& converter, const char* input, size_t inputLength,
                          const char* charset, char** out, size_t* outLength);

// The size of the buffer that a conversion hands out for inputLength bytes
// of UTF-16LE (two per code unit of ConvertUtf16ToCharset's text).
size_t ConvertedBufferSize(size_t inputLength);

// Releases a buffer handed out by a conversion.
void FreeConverted(char* buffer);

struct FreeConvertedText {
    void operator()(char* buffer) const { FreeConverted(buffer); }
};

// Owns a converted buffer, so that it is freed on every way out.
typedef std::unique_ptr<char, FreeConvertedText> ConvertedText;

} // namespace SMTPClientNS

#endif
