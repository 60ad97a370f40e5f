#include "CharsetBackend.h"

#include <windows.h>

#include <cerrno>
#include <string>

namespace SMTPClientNS {
namespace CharsetBackend {

namespace {

// A charset name and the code pages that carry it, the preferred first; a
// 0 ends the list early. Where Windows lacks the exact charset, a superset
// stands in (windows-874 for ISO-8859-11, GBK for GB2312, UHC for EUC-KR
// where 51949 is missing).
struct CharsetName {
    const char* name;
    UINT codePages[2];
};

const CharsetName kCharsets[] = {
    {"utf-8", {65001, 0}},       {"utf8", {65001, 0}},        {"us-ascii", {20127, 0}},
    {"ascii", {20127, 0}},       {"iso-8859-1", {28591, 0}},  {"iso8859-1", {28591, 0}},
    {"latin1", {28591, 0}},      {"iso-8859-2", {28592, 0}},  {"iso8859-2", {28592, 0}},
    {"latin2", {28592, 0}},      {"iso-8859-3", {28593, 0}},  {"iso8859-3", {28593, 0}},
    {"iso-8859-4", {28594, 0}},  {"iso8859-4", {28594, 0}},   {"iso-8859-5", {28595, 0}},
    {"iso8859-5", {28595, 0}},   {"iso-8859-6", {28596, 0}},  {"iso8859-6", {28596, 0}},
    {"iso-8859-7", {28597, 0}},  {"iso8859-7", {28597, 0}},   {"iso-8859-8", {28598, 0}},
    {"iso8859-8", {28598, 0}},   {"iso-8859-9", {28599, 0}},  {"iso8859-9", {28599, 0}},
    {"latin5", {28599, 0}},      {"iso-8859-11", {874, 0}},   {"iso8859-11", {874, 0}},
    {"tis-620", {874, 0}},       {"iso-8859-13", {28603, 0}}, {"iso8859-13", {28603, 0}},
    {"iso-8859-15", {28605, 0}}, {"iso8859-15", {28605, 0}},  {"latin9", {28605, 0}},
    {"windows-874", {874, 0}},   {"cp874", {874, 0}},         {"windows-1250", {1250, 0}},
    {"cp1250", {1250, 0}},       {"windows-1251", {1251, 0}}, {"cp1251", {1251, 0}},
    {"windows-1252", {1252, 0}}, {"cp1252", {1252, 0}},       {"windows-1253", {1253, 0}},
    {"cp1253", {1253, 0}},       {"windows-1254", {1254, 0}}, {"cp1254", {1254, 0}},
    {"windows-1255", {1255, 0}}, {"cp1255", {1255, 0}},       {"windows-1256", {1256, 0}},
    {"cp1256", {1256, 0}},       {"windows-1257", {1257, 0}}, {"cp1257", {1257, 0}},
    {"windows-1258", {1258, 0}}, {"cp1258", {1258, 0}},       {"koi8-r", {20866, 0}},
    {"koi8-u", {21866, 0}},      {"shift_jis", {932, 0}},     {"shift-jis", {932, 0}},
    {"sjis", {932, 0}},          {"cp932", {932, 0}},         {"euc-jp", {20932, 0}},
    {"eucjp", {20932, 0}},       {"iso-2022-jp", {50220, 0}}, {"gb2312", {936, 0}},
    {"gbk", {936, 0}},           {"cp936", {936, 0}},         {"gb18030", {54936, 0}},
    {"big5", {950, 0}},          {"cp950", {950, 0}},         {"euc-kr", {51949, 949}},
    {"euckr", {51949, 949}},     {"cp949", {949, 0}},
};

struct Conversion {
    UINT codePage;
};

bool SameNameIgnoringCase(const char* a, const char* b)
{
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
}

UINT CodePageFor(const char* charset)
{
    for (const CharsetName& entry : kCharsets) {
        if (!SameNameIgnoringCase(entry.name, charset))
            continue;
        for (UINT codePage : entry.codePages) {
            if (codePage != 0 && IsValidCodePage(codePage))
                return codePage;
        }
        return 0;
    }
    return 0;
}

std::wstring FromUtf16LeBytes(const char* input, size_t inputLength)
{
    std::wstring text(inputLength / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned low = static_cast<unsigned char>(input[2 * i]);
        unsigned high = static_cast<unsigned char>(input[2 * i + 1]);
        text[i] = static_cast<wchar_t>(low | (high << 8));
    }
    return text;
}

bool IsHighSurrogate(wchar_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Code units of the code point at index: 1 or 2, or 0 for an unpaired
// surrogate.
size_t CodePointLength(const std::wstring& text, size_t index)
{
    wchar_t unit = text[index];
    if (IsLowSurrogate(unit))
        return 0;
    if (!IsHighSurrogate(unit))
        return 1;
    return index + 1 < text.size() && IsLowSurrogate(text[index + 1]) ? 2 : 0;
}

// The code page has the text when it comes back unchanged from a round trip;
// this also refuses the "best fit" look-alikes Windows would substitute.
bool RoundTrips(UINT codePage, const wchar_t* text, int length)
{
    int bytes = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return false;
    std::string encoded(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text, length, &encoded[0], bytes, nullptr, nullptr);
    int units = MultiByteToWideChar(codePage, 0, encoded.data(), bytes, nullptr, 0);
    if (units != length)
        return false;
    std::wstring decoded(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, encoded.data(), bytes, &decoded[0], units);
    return decoded.compare(0, decoded.size(), text, static_cast<size_t>(length)) == 0;
}

// The code points of text that the code page can carry, in order.
std::wstring KeepRepresentable(UINT codePage, const std::wstring& text)
{
    if (RoundTrips(codePage, text.data(), static_cast<int>(text.size())))
        return text;
    std::wstring kept;
    for (size_t i = 0; i < text.size();) {
        size_t length = CodePointLength(text, i);
        if (RoundTrips(codePage, text.data() + i, static_cast<int>(length)))
            kept.append(text, i, length);
        i += length;
    }
    return kept;
}

// Length of the leading run of text that holds no unpaired surrogate.
size_t WellFormedPrefix(const std::wstring& text)
{
    size_t i = 0;
    while (i < text.size()) {
        size_t length = CodePointLength(text, i);
        if (length == 0)
            break;
        i += length;
    }
    return i;
}

// How iconv reports the unpaired surrogate that ends the convertible text.
int SurrogateError(const std::wstring& text, size_t at)
{
    return at + 1 == text.size() && IsHighSurrogate(text[at]) ? EINVAL : EILSEQ;
}

int Encode(UINT codePage, const std::wstring& text, char*& output, size_t& outputLeft)
{
    if (text.empty())
        return 0;
    int length = static_cast<int>(text.size());
    int bytes = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return EILSEQ;
    if (static_cast<size_t>(bytes) > outputLeft)
        return E2BIG;
    WideCharToMultiByte(codePage, 0, text.data(), length, output, bytes, nullptr, nullptr);
    output += bytes;
    outputLeft -= static_cast<size_t>(bytes);
    return 0;
}

} // namespace

Handle NoHandle()
{
    return nullptr;
}

Handle Open(const char* charset)
{
    UINT codePage = CodePageFor(charset);
    if (codePage == 0)
        return NoHandle();
    return new Conversion{codePage};
}

void Close(Handle handle)
{
    delete static_cast<Conversion*>(handle);
}

int Convert(Handle handle, const char* input, size_t inputLength, char* output, size_t& outputLeft)
{
    UINT codePage = static_cast<Conversion*>(handle)->codePage;
    std::wstring text = FromUtf16LeBytes(input, inputLength);
    size_t wellFormed = WellFormedPrefix(text);
    int error = Encode(codePage, KeepRepresentable(codePage, text.substr(0, wellFormed)), output,
                       outputLeft);
    if (error != 0 || wellFormed == text.size())
        return error;
    return SurrogateError(text, wellFormed);
}

} // namespace CharsetBackend
} // namespace SMTPClientNS
