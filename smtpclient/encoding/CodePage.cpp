#include "CodePage.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "../platform/SystemCodePage.h"

namespace SMTPClientNS {

namespace {

// Every ANSI code page keeps ASCII as it is, so ASCII text, which is most of
// what a send converts, needs no code-page call. Returns false for other text.
bool NarrowAscii(const SmtpChar* text, std::string& out)
{
    size_t length = 0;
    for (; text[length] != 0; ++length) {
        if (static_cast<uint32_t>(text[length]) > 127)
            return false;
    }
    out.assign(text, text + length);
    return true;
}

void WideToCodePage(uint32_t codePage, const SmtpChar* text, std::string& out)
{
    if (text == nullptr || NarrowAscii(text, out))
        return;
    int needed = Platform::WideToMultiByte(codePage, text, nullptr, 0);
    if (needed == 0)
        return;
    out.assign(static_cast<size_t>(needed), '\0');
    Platform::WideToMultiByte(codePage, text, &out[0], needed);
    out.resize(std::strlen(out.c_str()));
}

} // namespace

void WideToAnsi(const SmtpChar* text, std::string& out)
{
    WideToCodePage(kAnsiCodePage, text, out);
}

std::string ToUtf8(const SmtpChar* text)
{
    std::string utf8;
    WideToCodePage(kUtf8CodePage, text, utf8);
    return utf8;
}

std::string ToAnsi(const SmtpChar* text)
{
    std::string ansi;
    WideToAnsi(text, ansi);
    return ansi;
}

void CodePageToWide(const char* text, WString& out, uint32_t codePage)
{
    if (text == nullptr || *text == '\0')
        return;
    // Every byte yields at most one UTF-16 code unit, so the byte count plus
    // the terminator always suffices.
    size_t capacity = std::strlen(text) + 1;
    if (capacity > static_cast<size_t>(INT32_MAX)) {
        out.clear();
        return;
    }
    std::vector<SmtpChar> buffer(capacity, 0);
    int converted =
        Platform::MultiByteToWide(codePage, text, buffer.data(), static_cast<int>(capacity));
    if (converted == 0) {
        out.clear();
        return;
    }
    out.assign(buffer.data(), static_cast<size_t>(converted) - 1);
}

int FindNonAscii(const WString& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (static_cast<uint32_t>(text[i]) > 127)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace SMTPClientNS
