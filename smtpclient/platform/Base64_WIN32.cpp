#include "Base64.h"

#include <windows.h>
#include <wincrypt.h>

#include <vector>

namespace SMTPClientNS {
namespace Platform {

bool AppendBase64(const unsigned char* bytes, uint32_t length, std::string& out)
{
    if (bytes == nullptr)
        return false;
    if (length == 0)
        return true;

    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    DWORD size = 0;
    if (!CryptBinaryToStringA(bytes, length, flags, nullptr, &size))
        return false;
    std::vector<char> text(size, '\0');
    if (!CryptBinaryToStringA(bytes, length, flags, text.data(), &size))
        return false;
    // The second call reports the characters written, terminator excluded.
    out.append(text.data(), size);
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS
