#include "SystemCodePage.h"

#include <windows.h>

namespace SMTPClientNS {
namespace Platform {

int WideToMultiByte(uint32_t codePage, const SmtpChar* text, char* out, int outSize)
{
    return WideCharToMultiByte(codePage, 0, text, -1, out, outSize, nullptr, nullptr);
}

int MultiByteToWide(uint32_t codePage, const char* text, SmtpChar* out, int outSize)
{
    return MultiByteToWideChar(codePage, 0, text, -1, out, outSize);
}

} // namespace Platform
} // namespace SMTPClientNS
