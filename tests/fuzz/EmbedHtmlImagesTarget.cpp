// EmbedHtmlImages on fuzzed HTML: the rewritten body is the original with
// "cid:" put in before image references, and nothing else changes.
#include <string>

#include "FuzzInput.h"
#include "smtpclient/mime/BodyFromFile.h"
#include "smtpclient/mime/MimeMessage.h"

namespace SMTPClientFuzz {

namespace {

using SMTPClientNS::WString;

// The text with every "cid:" taken out, also those that appear once an inner
// one is gone: "cid:" cannot overlap itself, so a text with "cid:" inserted
// anywhere reduces to the same result as the text without.
WString WithoutCids(const WString& text)
{
    const WString cid = SMTPCLIENT_TEXT("cid:");
    WString reduced;
    for (SMTPClientNS::SmtpChar c : text) {
        reduced += c;
        if (reduced.size() >= cid.size()
            && reduced.compare(reduced.size() - cid.size(), cid.size(), cid) == 0)
            reduced.resize(reduced.size() - cid.size());
    }
    return reduced;
}

} // namespace

int FuzzEmbedHtmlImages(const uint8_t* data, size_t size)
{
    // Up to its first zero, as the library reads it.
    const WString html = FuzzedText(std::string(reinterpret_cast<const char*>(data), size)).c_str();
    SMTPClientNS::CMimeMessage message;
    message.SetHtmlBody(html.c_str());
    SMTPClientNS::EmbedHtmlImages(message);

    const WString rebuilt = message.GetHtmlBody();
    Expect(rebuilt.size() >= html.size() && (rebuilt.size() - html.size()) % 4 == 0,
           "rebuilt body grew by something other than cid: prefixes");
    Expect(WithoutCids(rebuilt) == WithoutCids(html), "rebuilt body is not the original plus cid:");
    Expect(static_cast<size_t>(message.GetInlineImageCount()) <= (rebuilt.size() - html.size()) / 4,
           "an inline image without a rewritten reference");
    return 0;
}

} // namespace SMTPClientFuzz
