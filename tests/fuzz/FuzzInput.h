// The fuzz targets and what they share. A target runs one input through the
// library and aborts when the outcome breaks what the library promises.
#ifndef SMTPCLIENT_TESTS_FUZZ_FUZZINPUT_H
#define SMTPCLIENT_TESTS_FUZZ_FUZZINPUT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "smtpclient/WideString.h"
#include "smtpclient/mime/HeaderBuilder.h"
#include "smtpclient/mime/MimeMessage.h"

namespace SMTPClientFuzz {

// Each target's file tells how it reads the input.
int FuzzHeaderBlock(const uint8_t* data, size_t size);
int FuzzEmbedHtmlImages(const uint8_t* data, size_t size);
int FuzzTraceFormat(const uint8_t* data, size_t size);
int FuzzCharsetConversion(const uint8_t* data, size_t size);
int FuzzAddressCheck(const uint8_t* data, size_t size);
int FuzzBodyFromFile(const uint8_t* data, size_t size);
int FuzzWireLines(const uint8_t* data, size_t size);

inline void Expect(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz expectation failed: %s\n", what);
        std::abort();
    }
}

// The input as count fields between separators; the last keeps any further
// separators, and fields the input lacks are empty.
inline std::vector<std::string> Fields(const uint8_t* data, size_t size, char separator,
                                       size_t count)
{
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < size; ++i) {
        if (static_cast<char>(data[i]) == separator && fields.size() < count)
            fields.emplace_back();
        else
            fields.back() += static_cast<char>(data[i]);
    }
    fields.resize(count);
    return fields;
}

// The header block a client builds for message, and the builder's code.
inline int BuildHeaderBlockFor(SMTPClientNS::CMimeMessage& message, std::string& block)
{
    return SMTPClientNS::BuildHeaderBlock(SMTPClientNS::TakeMessageSnapshot(message), block);
}

// Bytes read leniently as UTF-8: three-byte forms may encode lone surrogates
// and a byte that starts no valid form stands for itself, so every UTF-16
// code unit is reachable.
inline SMTPClientNS::WString FuzzedText(const std::string& bytes)
{
    SMTPClientNS::WString text;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        size_t length = lead > 0xF4    ? 1
                        : lead >= 0xF0 ? 4
                        : lead >= 0xE0 ? 3
                        : lead >= 0xC2 ? 2
                                       : 1;
        uint32_t code = lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const unsigned char next =
                i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0;
            code = (code << 6) | (next & 0x3F);
            if ((next & 0xC0) != 0x80)
                length = 1;
        }
        if (length == 1 || code > 0x10FFFF) {
            length = 1;
            code = lead;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            text += static_cast<SMTPClientNS::SmtpChar>(0xD800 | (code >> 10));
            code = 0xDC00 | (code & 0x3FF);
        }
        text += static_cast<SMTPClientNS::SmtpChar>(code);
        i += length;
    }
    return text;
}

} // namespace SMTPClientFuzz

#endif
