#include "EncodedWords.h"

#include <cstring>

#include "../encoding/CharsetConverter.h"
#include "../encoding/CodePage.h"
#include "../platform/Base64.h"
#include "HeaderText.h"

namespace SMTPClientNS {

namespace {

const char kSpecials[] = "\".,;:\\()<>[]@";

// ASCII header text from the host goes out as it is, except that CR and LF
// become spaces: no display name or subject may start a header line of its
// own.
void AppendPlainText(const WString& text, std::string& out)
{
    std::string ansi;
    WideToAnsi(WithoutLineBreaks(text).c_str(), ansi);
    out += ansi;
}

std::string EncodedWord(const std::string& charset, const char* bytes, size_t length)
{
    std::string base64;
    Base64Encode(reinterpret_cast<const unsigned char*>(bytes), static_cast<uint32_t>(length), base64);
    return "=?" + charset + "?b?" + base64 + "?=";
}

} // namespace

int EncodeDisplayName(std::string charset, const SmtpChar* text, std::string& out)
{
    const WString name = TextOrEmpty(text);
    if (FindNonAscii(name) < 0) {
        out.clear();
        AppendPlainText(name, out);
        return 0;
    }
    char* converted = nullptr;
    size_t convertedLength = 0;
    const int rc = ConvertUtf16ToCharset(GetSharedConverter(), charset, name.c_str(),
                                         &converted, &convertedLength);
    if (rc != 0) {
        return rc;
    }
    const ConvertedText bytes(converted);
    // The name ends at its first zero byte.
    const size_t length = std::strlen(bytes.get());
    if (length > 0) {
        out = EncodedWord(charset, bytes.get(), length);
    }
    return 0;
}

int EncodeSubjectText(std::string charset, const SmtpChar* text, std::string& out)
{
    const WString subject = TextOrEmpty(text);
    if (FindNonAscii(subject) < 0) {
        AppendPlainText(subject, out);
        return 1;
    }
    // A failing word only cuts the subject short; the words before it stay.
    std::string encoded;
    EncodeWords(charset, subject, encoded);
    out += encoded;
    return 1;
}

int EncodeWords(std::string charset, WString text, std::string& out)
{
    WordPieces words;
    SplitWords(text, words);
    for (const auto& entry : words) {
        const WordPiece& word = entry.second;
        if (!word.nonAscii) {
            AppendPlainText(word.text, out);
            continue;
        }
        char* converted = nullptr;
        size_t convertedLength = 0;
        const int rc = ConvertUtf16ToCharset(GetSharedConverter(), charset, word.text.c_str(),
                                             &converted, &convertedLength);
        if (rc != 0) {
            return rc;
        }
        const ConvertedText bytes(converted);
        out += EncodedWord(charset, bytes.get(), convertedLength);
    }
    return 1;
}

void SplitWords(WString text, WordPieces& words)
{
    int32_t index = 0;
    size_t start = 0;
    bool nonAscii = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] > 127) {
            nonAscii = true;
        }
        if (text[i] == SMTPCLIENT_TEXT(' ')) {
            words[index] = WordPiece{index, nonAscii, text.substr(start, i + 1 - start)};
            ++index;
            start = i + 1;
            nonAscii = false;
        }
    }
    if (start < text.size()) {
        words[index] = WordPiece{index, nonAscii, text.substr(start)};
    }
}

bool QuoteIfSpecial(std::string& text)
{
    if (text.find_first_of(kSpecials) == std::string::npos) {
        return false;
    }
    std::string escaped;
    escaped.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '"' || c == '\\') {
            escaped += '\\';
        }
        escaped += c;
    }
    text = escaped;
    return true;
}

void Base64Encode(const unsigned char* bytes, uint32_t length, std::string& out)
{
    out.clear();
    if (bytes == nullptr) {
        return;
    }
    Platform::AppendBase64(bytes, length, out);
}

} // namespace SMTPClientNS
