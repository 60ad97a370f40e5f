#include "TestText.h"

#include <codecvt>
#include <locale>

namespace SMTPClientTest {

namespace {
// Test-only: std::wstring_convert is deprecated but exact for valid UTF-8.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t>& Converter()
{
    static thread_local std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t> converter;
    return converter;
}
#pragma GCC diagnostic pop
} // namespace

SMTPClientNS::WString W(const std::string& utf8)
{
    std::u16string text = Converter().from_bytes(utf8);
    return SMTPClientNS::WString(text.begin(), text.end());
}

std::string U8(const SMTPClientNS::WString& text)
{
    return Converter().to_bytes(std::u16string(text.begin(), text.end()));
}

std::string U8(const SMTPClientNS::SmtpChar* text)
{
    return U8(SMTPClientNS::WString(text ? text : SMTPCLIENT_TEXT("")));
}

std::string Repeated(const std::string& text, int times)
{
    std::string result;
    while (times-- > 0)
        result += text;
    return result;
}

std::string PseudoRandomBytes(size_t size, uint32_t seed)
{
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 24);
    }
    return bytes;
}

} // namespace SMTPClientTest
