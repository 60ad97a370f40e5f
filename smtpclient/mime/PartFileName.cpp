#include "PartFileName.h"

#include <cstring>
#include <string>

#include "../encoding/CharsetConverter.h"
#include "../encoding/CodePage.h"
#include "../platform/FileInfo.h"
#include "HeaderText.h"

namespace SMTPClientNS {

namespace {

// The characters that an RFC 2231 value may hold as they are.
const char kAttributeChars[] = "!#$&+-.^_`|~";

bool IsAttributeChar(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
           || (c != 0 && std::strchr(kAttributeChars, c) != nullptr);
}

// UTF-8 through a conversion of its own, so that the shared converter keeps
// the message's charset.
std::string Utf8(const WString& text)
{
    CharsetConverter converter;
    char* converted = nullptr;
    size_t length = 0;
    if (ConvertUtf16ToCharset(converter, "UTF-8", text.c_str(), &converted, &length) != 0)
        return std::string();
    const ConvertedText utf8(converted);
    return std::string(utf8.get(), length);
}

// "attachment; filename*=UTF-8''" and the percent-encoded UTF-8 of name.
std::string ExtendedFileNameDisposition(const WString& name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string disposition = "attachment; filename*=UTF-8''";
    for (const unsigned char c : Utf8(name)) {
        if (IsAttributeChar(c)) {
            disposition += static_cast<char>(c);
        } else {
            disposition += '%';
            disposition += kHex[c >> 4];
            disposition += kHex[c & 0x0F];
        }
    }
    return disposition;
}

} // namespace

std::string ExtendedFileNameHeader(const WString& path)
{
    const WString name = Platform::BaseName(path.c_str());
    if (FindNonAscii(name) < 0 && !LooksEncoded(name))
        return std::string();
    return "Content-Disposition: " + ExtendedFileNameDisposition(name);
}

} // namespace SMTPClientNS
