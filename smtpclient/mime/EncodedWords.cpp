#include "EncodedWords.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "../encoding/Base64.h"
#include "../encoding/CharsetConverter.h"
#include "../encoding/CodePage.h"
#include "HeaderText.h"

namespace SMTPClientNS {

namespace {

struct WordPiece {
    int32_t index;
    bool nonAscii;
    WString text; // the word with the single space that ended it
};

typedef std::map<int32_t, WordPiece> WordPieces;

// Appends the words of text, each non-ASCII one as an encoded word. Returns 1
// or the negative conversion code of the word that failed.
int EncodeWords(std::string charset, WString text, std::string& out);

// Cuts text after every space.
void SplitWords(WString text, WordPieces& words);

// out becomes the Base64 text of the bytes (empty for null bytes).
void Base64Encode(const unsigned char* bytes, uint32_t length, std::string& out);

const char kSpecials[] = "\".,;:\\()<>[]@";

// RFC 2047's limit for one encoded word, and what separates folded words.
const size_t kMaxEncodedWordLength = 75;
const char kFold[] = "\r\n ";

// Encoded, text that looks like an encoded word shows as the host wrote it.
bool NeedsEncoding(const WString& text)
{
    return FindNonAscii(text) >= 0 || LooksEncoded(text);
}

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
    Base64Encode(reinterpret_cast<const unsigned char*>(bytes), static_cast<uint32_t>(length),
                 base64);
    return "=?" + charset + "?b?" + base64 + "?=";
}

// The length of "=?charset?b?...?=" for byteCount bytes.
size_t EncodedWordLength(const std::string& charset, size_t byteCount)
{
    return charset.size() + 7 + (byteCount + 2) / 3 * 4;
}

bool IsHighSurrogate(SmtpChar unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// Where each character of text starts, and text's end: a surrogate pair is
// one character.
std::vector<size_t> CharacterStarts(const WString& text)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size();
         i += IsHighSurrogate(text[i]) && i + 1 < text.size() ? 2 : 1) {
        starts.push_back(i);
    }
    starts.push_back(text.size());
    return starts;
}

// The bytes of an encoded word. As in plain header text, line breaks become
// spaces: a reader that shows the decoded header must not find a line of its
// own in it.
int ConvertPiece(const std::string& charset, const WString& piece, std::string& bytes)
{
    char* converted = nullptr;
    size_t convertedLength = 0;
    const int rc =
        ConvertUtf16ToCharset(GetSharedConverter(), charset, WithoutLineBreaks(piece).c_str(),
                              &converted, &convertedLength);
    if (rc != 0) {
        return rc;
    }
    const ConvertedText text(converted);
    bytes.assign(text.get(), convertedLength);
    return 0;
}

void AppendFoldedWord(const std::string& charset, const std::string& bytes, std::string& out)
{
    if (bytes.empty()) {
        return;
    }
    if (!out.empty()) {
        out += kFold;
    }
    out += EncodedWord(charset, bytes.data(), bytes.size());
}

} // namespace

int FoldedEncodedWords(const std::string& charset, const WString& text, std::string& out)
{
    const std::vector<size_t> starts = CharacterStarts(text);
    const size_t characters = starts.size() - 1;
    // Each piece is converted on its own, so that a stateful charset's
    // closing sequence is counted in. A longer piece never has fewer bytes,
    // so the longest piece that fits is searched for: first by doubling from
    // a guess, then by halving. A character too long for a word of its own
    // still makes one.
    const size_t guess =
        (kMaxEncodedWordLength - std::min(kMaxEncodedWordLength, charset.size() + 7)) / 4 * 3;
    std::string folded;
    int rc = 0;
    for (size_t first = 0; first < characters && rc == 0;) {
        size_t fits = first;
        size_t tooLong = characters + 1;
        std::string word;
        size_t probe = std::min(characters, first + std::max<size_t>(guess, 1));
        while (rc == 0 && fits + 1 < tooLong) {
            std::string bytes;
            rc = ConvertPiece(charset, text.substr(starts[first], starts[probe] - starts[first]),
                              bytes);
            if (rc == 0
                && (probe == first + 1
                    || EncodedWordLength(charset, bytes.size()) <= kMaxEncodedWordLength)) {
                fits = probe;
                word = bytes;
            } else {
                tooLong = probe;
            }
            probe = tooLong > characters ? std::min(characters, first + 2 * (probe - first))
                                         : (fits + tooLong) / 2;
            if (fits == characters) {
                break;
            }
        }
        AppendFoldedWord(charset, word, folded);
        first = fits;
    }
    out += folded;
    return rc;
}

int EncodeDisplayName(std::string charset, const SmtpChar* text, std::string& out)
{
    const WString name = TextOrEmpty(text);
    if (!NeedsEncoding(name)) {
        out.clear();
        AppendPlainText(name, out);
        return 0;
    }
    std::string bytes;
    const int rc = ConvertPiece(charset, name, bytes);
    if (rc != 0) {
        return rc;
    }
    // The name ends at its first zero byte.
    const size_t length = std::strlen(bytes.c_str());
    if (length > 0) {
        out = EncodedWord(charset, bytes.data(), length);
    }
    return 0;
}

int EncodeSubjectText(std::string charset, const SmtpChar* text, std::string& out)
{
    const WString subject = TextOrEmpty(text);
    if (!NeedsEncoding(subject)) {
        AppendPlainText(subject, out);
        return 1;
    }
    // A failing word only cuts the subject short; the words before it stay.
    std::string encoded;
    EncodeWords(charset, subject, encoded);
    out += encoded;
    return 1;
}

namespace {

int EncodeWords(std::string charset, WString text, std::string& out)
{
    WordPieces words;
    SplitWords(text, words);
    for (const auto& entry : words) {
        const WordPiece& word = entry.second;
        if (!word.nonAscii && !LooksEncoded(word.text)) {
            AppendPlainText(word.text, out);
            continue;
        }
        std::string bytes;
        const int rc = ConvertPiece(charset, word.text, bytes);
        if (rc != 0) {
            return rc;
        }
        out += EncodedWord(charset, bytes.data(), bytes.size());
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

} // namespace

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

namespace {

void Base64Encode(const unsigned char* bytes, uint32_t length, std::string& out)
{
    out.clear();
    if (bytes == nullptr) {
        return;
    }
    AppendBase64(bytes, length, out);
}

} // namespace

} // namespace SMTPClientNS
