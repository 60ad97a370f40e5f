// Runs a conversion and keeps its outcome as a byte string. The library reads
// the output as a C string, so it must end with a zero.
#ifndef SMTPCLIENT_TESTS_CONVERTERHELPERS_H
#define SMTPCLIENT_TESTS_CONVERTERHELPERS_H

#include <gtest/gtest.h>

#include <string>

#include "smtpclient/encoding/CharsetConverter.h"

struct Conversion {
    int result;
    std::string bytes;
};

inline Conversion Convert(SMTPClientNS::CharsetConverter& converter, const std::string& charset,
                          const SMTPClientNS::WString& text)
{
    char* out = nullptr;
    size_t length = 0;
    Conversion conversion{
        SMTPClientNS::ConvertUtf16ToCharset(converter, charset, text.c_str(), &out, &length),
        std::string()};
    if (out != nullptr) {
        conversion.bytes.assign(out, length);
        EXPECT_EQ('\0', out[length]) << "after " << charset;
        SMTPClientNS::FreeConverted(out);
    }
    return conversion;
}

#endif
