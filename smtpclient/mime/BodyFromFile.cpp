#include "BodyFromFile.h"

#include <vector>

#include "../WideString.h"
#include "../encoding/CodePage.h"
#include "../platform/FileSystem.h"

namespace SMTPClientNS {

namespace {

// What each kind of LoadBodyFromFile reads and fills.
struct BodyFileKind {
    bool html;
    uint32_t codePage;
    bool embedImages;
};

const BodyFileKind kBodyFileKinds[] = {
    {false, kAnsiCodePage, false}, {false, kUtf8CodePage, false}, {true, kAnsiCodePage, false},
    {true, kUtf8CodePage, false},  {true, kAnsiCodePage, true},   {true, kUtf8CodePage, true},
};

const int kBodyFileKindCount = static_cast<int>(sizeof kBodyFileKinds / sizeof kBodyFileKinds[0]);

// A piece of the HTML that ends just after a closing angle bracket (or at the
// end of the text), and where its image reference starts, if it has one.
struct HtmlSegment {
    WString text;
    bool hasImage;
    size_t quote; // the opening double quote of the reference, within text
};

bool IsImgTag(const WString& html, size_t open)
{
    static const char kImg[] = "img";
    if (open + 3 >= html.size()) {
        return false;
    }
    for (size_t i = 0; i < 3; ++i) {
        SmtpChar c = html[open + 1 + i];
        if (c >= SMTPCLIENT_TEXT('A') && c <= SMTPCLIENT_TEXT('Z')) {
            c = static_cast<SmtpChar>(c - SMTPCLIENT_TEXT('A') + SMTPCLIENT_TEXT('a'));
        }
        if (c != static_cast<SmtpChar>(kImg[i])) {
            return false;
        }
    }
    return true;
}

// Cuts html after every closing angle bracket. A segment whose first opening
// angle bracket starts an img tag refers to the first double-quoted value of
// that tag; the value goes to paths.
std::vector<HtmlSegment> CutSegments(const WString& html, std::vector<WString>& paths)
{
    std::vector<HtmlSegment> segments;
    size_t start = 0;
    for (;;) {
        const size_t close = html.find(SMTPCLIENT_TEXT('>'), start);
        if (close == WString::npos) {
            if (start < html.size()) {
                segments.push_back(HtmlSegment{html.substr(start), false, 0});
            }
            return segments;
        }
        HtmlSegment segment{html.substr(start, close + 1 - start), false, 0};
        const size_t open = html.find(SMTPCLIENT_TEXT('<'), start);
        if (open < close && IsImgTag(html, open)) {
            const size_t first = html.find(SMTPCLIENT_TEXT('"'), open);
            const size_t second =
                first < close ? html.find(SMTPCLIENT_TEXT('"'), first + 1) : WString::npos;
            if (second < close) {
                paths.push_back(html.substr(first + 1, second - first - 1));
                segment.hasImage = true;
                segment.quote = first - start;
            }
        }
        segments.push_back(segment);
        start = close + 1;
    }
}

} // namespace

void LoadBodyFromFile(IMimeMessage& message, const SmtpChar* path, int kind)
{
    std::vector<char> bytes;
    if (kind < 0 || kind >= kBodyFileKindCount || path == nullptr
        || !Platform::ReadWholeFile(path, bytes)) {
        return;
    }
    const BodyFileKind& fileKind = kBodyFileKinds[kind];
    // The text ends at the first zero byte; an empty text keeps the old body.
    WString text;
    CodePageToWide(bytes.data(), text, fileKind.codePage);
    if (!text.empty()) {
        if (fileKind.html) {
            message.SetHtmlBody(text.c_str());
        } else {
            message.SetTextBody(text.c_str());
        }
    }
    if (fileKind.embedImages) {
        EmbedHtmlImages(message);
    }
}

void EmbedHtmlImages(IMimeMessage& message)
{
    const WString html = message.GetHtmlBody();
    if (html.empty()) {
        return;
    }
    std::vector<WString> paths;
    const std::vector<HtmlSegment> segments = CutSegments(html, paths);

    // A path the message refuses (no such file) is still rewritten below.
    for (const WString& path : paths) {
        message.AddInlineImage(path.c_str(), path.c_str());
    }

    WString rebuilt;
    for (const HtmlSegment& segment : segments) {
        WString text = segment.text;
        if (segment.hasImage) {
            text.insert(segment.quote + 1, SMTPCLIENT_TEXT("cid:"));
        }
        rebuilt += text;
    }
    message.SetHtmlBody(rebuilt.c_str());
}

} // namespace SMTPClientNS
