// EmbedHtmlImages on fuzzed HTML: the rewritten body is the original with
// "cid:" put in before image references, and nothing else changes.
#include <string>

#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "smtpclient/mime/BodyFromFile.h"
#include "smtpclient/mime/MimeMessage.h"

namespace SMTPClientFuzz {

namespace {

using SMTPClientNS::WString;

// The text with every "cid:" taken out, also those that appear only once an
// inner one is gone. "cid:" cannot overlap itself, so the result does not
// depend on the order of removal, and a text with "cid:" inserted anywhere
// reduces to the same result as the text without.
WString WithoutCids(const WString& text)
{
    static const WString kCid = SMTPCLIENT_TEXT("cid:");
    WString reduced;
    for (SMTPClientNS::SmtpChar c : text) {
        reduced += c;
        if (reduced.size() >= kCid.size()
            && reduced.compare(reduced.size() - kCid.size(), kCid.size(), kCid) == 0)
            reduced.resize(reduced.size() - kCid.size());
    }
    return reduced;
}

} // namespace

int FuzzEmbedHtmlImages(const uint8_t* data, size_t size)
{
    const WString html = FuzzedText(std::string(reinterpret_cast<const char*>(data), size));
    SMTPClientNS::CMimeMessage message;
    message.SetHtmlBody(html.c_str());
    SMTPClientNS::EmbedHtmlImages(message);

    const WString original = html.c_str();
    const WString rebuilt = message.GetHtmlBody();
    Expect(rebuilt.size() >= original.size() && (rebuilt.size() - original.size()) % 4 == 0,
           "rebuilt body grew by something other than cid: prefixes");
    Expect(WithoutCids(rebuilt) == WithoutCids(original), "rebuilt body is not the original plus cid:");
    const size_t inserted = (rebuilt.size() - original.size()) / 4;
    Expect(static_cast<size_t>(message.GetInlineImageCount()) <= inserted,
           "an inline image without a rewritten reference");
    return 0;
}

} // namespace SMTPClientFuzz
