// What goes on the wire from fuzzed header text and bodies: the header block
// and the text of each body part as handed to libcurl hold no CR or LF
// outside a CR LF pair, and no line over 998 octets unless the part goes out
// quoted-printable (whose encoder keeps lines short); the body text is the
// host's text with CR LF line ends; an inline image's Content-ID line, when
// the image is taken, holds no line break and at most 998 octets. In the
// display names and the subject, "=?" stands only at the start of an encoded
// word, and no encoded word decodes to a CR or LF. Input: charset, subject,
// display name, text body, HTML body and content identifier, separated by
// 0x1F.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzInput.h"
#include "smtpclient/encoding/CharsetConverter.h"
#include "smtpclient/encoding/CodePage.h"
#include "smtpclient/mime/BodyLines.h"
#include "smtpclient/mime/ContentIdHeader.h"

namespace SMTPClientFuzz {

namespace {

using SMTPClientNS::WString;

// Real charset names are short; a very long one could not fit its own
// encoded word on a line.
const size_t kMaxCharsetLength = 40;

// Checks the lines of text; false when a line is longer than the limit.
bool CheckLineEnds(const std::string& text, const char* what)
{
    bool fits = true;
    size_t lineStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        Expect(text.compare(i, 2, "\r\n") == 0, what);
        fits = fits && i - lineStart <= SMTPClientNS::kMaxLineOctets;
        lineStart = ++i + 1;
    }
    return fits && text.size() - lineStart <= SMTPClientNS::kMaxLineOctets;
}

const std::string kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Decoded(const std::string& text)
{
    std::string bytes;
    uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        const size_t value = kBase64Alphabet.find(c);
        if (value == std::string::npos)
            break;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return bytes;
}

// The length of the encoded word "=?charset?b?text?=" that starts at at in
// line, its Base64 text into base64; 0 when none starts there.
size_t EncodedWordAt(const std::string& line, size_t at, std::string& base64)
{
    const size_t charsetEnd = line.find('?', at + 2);
    if (charsetEnd == std::string::npos || charsetEnd == at + 2
        || line.find_first_of(" \t", at + 2) < charsetEnd
        || line.compare(charsetEnd, 3, "?b?") != 0)
        return 0;
    const size_t end = line.find("?=", charsetEnd + 3);
    if (end == std::string::npos)
        return 0;
    base64 = line.substr(charsetEnd + 3, end - charsetEnd - 3);
    if (base64.find_first_not_of(kBase64Alphabet + "=") != std::string::npos)
        return 0;
    return end + 2 - at;
}

bool IsWordHeader(const std::string& line)
{
    for (const char* name : {"From: ", "To: ", "Cc: ", "Subject: "}) {
        if (line.rfind(name, 0) == 0)
            return true;
    }
    return false;
}

// The From, To, Cc and Subject lines, unfolded: every "=?" in them starts
// an encoded word, and no encoded word holds the byte of a CR or an LF (the
// charsets kept are those that write ASCII as ASCII).
void CheckHeaderWords(const std::string& block)
{
    std::string unfolded;
    for (size_t i = 0; i < block.size(); ++i) {
        if (block.compare(i, 3, "\r\n ") == 0)
            i += 2;
        unfolded += block[i];
    }
    for (size_t start = 0, end; (end = unfolded.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string line = unfolded.substr(start, end - start);
        if (!IsWordHeader(line))
            continue;
        std::string base64;
        for (size_t at = line.find("=?"); at != std::string::npos;) {
            const size_t length = EncodedWordAt(line, at, base64);
            Expect(length > 0, "\"=?\" outside an encoded word");
            Expect(Base64Decoded(base64).find_first_of("\r\n") == std::string::npos,
                   "encoded word that decodes to a line break");
            at = line.find("=?", at + length);
        }
    }
}

std::string WithLfLineEnds(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        result += text[i] == '\r' ? '\n' : text[i];
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return result;
}

void CheckBody(const std::string& charset, const WString& body)
{
    char* converted = nullptr;
    size_t length = 0;
    if (body.empty()
        || SMTPClientNS::ConvertUtf16ToCharset(SMTPClientNS::GetSharedConverter(), charset,
                                               body.c_str(), &converted, &length)
               != 0)
        return;
    const SMTPClientNS::ConvertedText buffer(converted);
    // The part's data ends at the first zero byte.
    const std::string given(converted, std::strlen(converted));
    std::string spare;
    const SMTPClientNS::WireText wire = SMTPClientNS::TextForTheWire(
        converted, given.size(),
        SMTPClientNS::ConvertedBufferSize(2 * WString::traits_type::length(body.c_str())), spare);
    const std::string sent(wire.bytes, wire.length);
    const bool fits = CheckLineEnds(sent, "lone CR or LF in a body part");
    Expect(fits || wire.quotedPrintable, "long body line without quoted-printable");
    Expect(fits == !wire.quotedPrintable, "quoted-printable for a body whose lines fit");
    Expect(WithLfLineEnds(sent) == WithLfLineEnds(given), "body text changed beyond its line ends");
}

// The inline image of this process, removed when the process ends.
struct ImageFile {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path()
        / ("smtpclient-fuzz-image-" + std::to_string(getpid()) + ".png");
    ImageFile() { std::ofstream(path, std::ios::binary) << "\x89PNG\r\n\x1a\n"; }
    ~ImageFile()
    {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};

void CheckContentId(SMTPClientNS::CMimeMessage& message, const WString& contentId)
{
    static const ImageFile kImage;
    const WString path = FuzzedText(kImage.path.string());
    if (message.AddInlineImage(path.c_str(), contentId.c_str()) < 1)
        return;
    const std::string line = SMTPClientNS::ContentIdHeader(message.GetInlineImageContentId(1));
    Expect(line.find_first_of("\r\n") == std::string::npos, "line break in a Content-ID line");
    Expect(line.size() <= SMTPClientNS::kMaxLineOctets, "Content-ID line over 998 octets");
}

} // namespace

int FuzzWireLines(const uint8_t* data, size_t size)
{
    const std::vector<std::string> fields = Fields(data, size, '\x1F', 6);
    const WString charset = FuzzedText(fields[0].substr(0, kMaxCharsetLength));
    SMTPClientNS::CMimeMessage message;
    message.SetCharset(charset.c_str());
    message.SetSubject(FuzzedText(fields[1]).c_str());
    const WString name = FuzzedText(fields[2]);
    message.SetFrom(FuzzedText("sender@example.com").c_str(), name.c_str());
    message.AddTo(FuzzedText("first@example.org").c_str(), FuzzedText("First").c_str());
    message.AddTo(FuzzedText("second@example.org").c_str(), name.c_str());
    message.AddCc(FuzzedText("copy@example.org").c_str(), name.c_str());
    message.SetTextBody(FuzzedText(fields[3]).c_str());
    message.SetHtmlBody(FuzzedText(fields[4]).c_str());

    std::string block;
    BuildHeaderBlockFor(message, block);
    Expect(CheckLineEnds(block, "lone CR or LF in the header block"),
           "header line over 998 octets");
    CheckHeaderWords(block);

    std::string charsetName;
    SMTPClientNS::WideToAnsi(charset.c_str(), charsetName);
    CheckBody(charsetName, FuzzedText(fields[3]));
    CheckBody(charsetName, FuzzedText(fields[4]));
    CheckContentId(message, FuzzedText(fields[5]));
    return 0;
}

} // namespace SMTPClientFuzz
