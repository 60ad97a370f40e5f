// The charset conversion with fuzzed charset names and text, through the
// process-wide converter, as UTF-16 text and as raw bytes.
#include <string>

#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "smtpclient/encoding/CharsetConverter.h"

namespace SMTPClientFuzz {

namespace {

bool IsConversionCode(int rc)
{
    return rc == 0 || rc == -1 || (rc <= -19 && rc >= -22);
}

// A converted buffer holds its bytes and is zero-terminated after them.
void CheckConverted(const char* out, size_t length)
{
    Expect(out != nullptr, "success without a buffer");
    Expect(out[length] == '\0', "converted buffer not terminated");
}

bool HasControlCharacter(const std::string& charset)
{
    for (char c : charset) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

void ConvertText(const std::string& charset, const std::string& rest)
{
    const SMTPClientNS::WString text = FuzzedText(rest);
    char* out = nullptr;
    size_t length = 0;
    const int rc = SMTPClientNS::ConvertUtf16ToCharset(SMTPClientNS::GetSharedConverter(),
                                                       charset, text.c_str(), &out, &length);
    Expect(IsConversionCode(rc), "unexpected conversion code");
    // Such a name would break the header line or content type it goes into.
    Expect(rc != 0 || !HasControlCharacter(charset.c_str()), "converted into a name with a control character");
    if (rc == 0) {
        Expect(length <= std::char_traits<SMTPClientNS::SmtpChar>::length(text.c_str()) * 10,
               "more than 10 bytes per code unit");
        CheckConverted(out, length);
        SMTPClientNS::FreeConverted(out);
    }
}

void ConvertBytes(const std::string& charset, const std::string& rest)
{
    SMTPClientNS::CharsetConverter& converter = SMTPClientNS::GetSharedConverter();
    std::lock_guard<std::mutex> guard(converter.lock);
    char* out = nullptr;
    size_t length = 0;
    const int rc = SMTPClientNS::ConvertBytesToCharset(converter, rest.data(), rest.size(),
                                                       charset.c_str(), &out, &length);
    if (rc == 1) {
        CheckConverted(out, length);
        SMTPClientNS::FreeConverted(out);
    }
}

} // namespace

int FuzzCharsetConversion(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string charset = input.substr(0, newline);
    const std::string rest = newline == std::string::npos ? std::string() : input.substr(newline + 1);
    ConvertText(charset, rest);
    ConvertBytes(charset, rest);
    return 0;
}

} // namespace SMTPClientFuzz
