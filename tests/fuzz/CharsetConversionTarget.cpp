// The charset conversion with fuzzed charset names and text, through the
// process-wide converter, as UTF-16 text and as raw bytes. Input: the
// charset name, a line feed, the text.
#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "smtpclient/encoding/CharsetConverter.h"

namespace SMTPClientFuzz {

namespace {

void CheckConverted(char* out, size_t length)
{
    Expect(out != nullptr && out[length] == '\0', "converted buffer missing or not terminated");
    SMTPClientNS::FreeConverted(out);
}

// Such a name would break the header line or content type it goes into.
bool HasControlCharacter(const std::string& charset)
{
    return std::any_of(charset.begin(), charset.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

void ConvertText(const std::string& charset, const std::string& rest)
{
    const SMTPClientNS::WString text = FuzzedText(rest).c_str();
    char* out = nullptr;
    size_t length = 0;
    const int rc = SMTPClientNS::ConvertUtf16ToCharset(SMTPClientNS::GetSharedConverter(), charset,
                                                       text.c_str(), &out, &length);
    Expect(rc == 0 || rc == -1 || (rc <= -19 && rc >= -22), "unexpected conversion code");
    if (rc != 0)
        return;
    Expect(!HasControlCharacter(charset.c_str()), "converted into a name with a control character");
    Expect(length <= text.size() * 10, "more than 10 bytes per code unit");
    CheckConverted(out, length);
}

void ConvertBytes(const std::string& charset, const std::string& rest)
{
    SMTPClientNS::CharsetConverter& converter = SMTPClientNS::GetSharedConverter();
    std::lock_guard<std::mutex> guard(converter.lock);
    char* out = nullptr;
    size_t length = 0;
    if (SMTPClientNS::ConvertBytesToCharset(converter, rest.data(), rest.size(), charset.c_str(),
                                            &out, &length)
        == 1)
        CheckConverted(out, length);
}

} // namespace

int FuzzCharsetConversion(const uint8_t* data, size_t size)
{
    const std::vector<std::string> fields = Fields(data, size, '\n', 2);
    ConvertText(fields[0], fields[1]);
    ConvertBytes(fields[0], fields[1]);
    return 0;
}

} // namespace SMTPClientFuzz
