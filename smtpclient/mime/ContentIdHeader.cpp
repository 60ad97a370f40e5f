#include "ContentIdHeader.h"

#include "../encoding/CodePage.h"
#include "BodyLines.h"
#include "HeaderText.h"

namespace SMTPClientNS {

// The identifier is the host's text in a part header line.
std::string ContentIdHeader(const WString& contentId)
{
    const WString identifier = WithoutLineBreaks(contentId);
    return "Content-ID: <" + ToAnsi(identifier.c_str()) + ">";
}

bool FitsContentIdHeader(const WString& contentId)
{
    return ContentIdHeader(contentId).size() <= kMaxLineOctets;
}

} // namespace SMTPClientNS
