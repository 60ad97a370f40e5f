#include "Base64.h"

namespace SMTPClientNS {
namespace Platform {

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

} // namespace

bool AppendBase64(const unsigned char* bytes, uint32_t length, std::string& out)
{
    if (bytes == nullptr)
        return false;

    size_t start = out.size();
    out.resize(start + (static_cast<size_t>(length) + 2) / 3 * 4);
    char* text = &out[0] + start;

    uint32_t i = 0;
    for (; length - i >= 3; i += 3) {
        uint32_t group = (uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8) | bytes[i + 2];
        *text++ = kAlphabet[group >> 18];
        *text++ = kAlphabet[(group >> 12) & 0x3F];
        *text++ = kAlphabet[(group >> 6) & 0x3F];
        *text++ = kAlphabet[group & 0x3F];
    }
    if (length - i == 1) {
        uint32_t group = uint32_t(bytes[i]) << 16;
        *text++ = kAlphabet[group >> 18];
        *text++ = kAlphabet[(group >> 12) & 0x3F];
        *text++ = '=';
        *text++ = '=';
    } else if (length - i == 2) {
        uint32_t group = (uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8);
        *text++ = kAlphabet[group >> 18];
        *text++ = kAlphabet[(group >> 12) & 0x3F];
        *text++ = kAlphabet[(group >> 6) & 0x3F];
        *text++ = '=';
    }
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS
