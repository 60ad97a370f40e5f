// A message as one send uses it, copied once on the host's thread through
// IMimeMessage, so that the send never reads the host's object again.
// Attachments and inline images are kept as paths: their files are read
// while the mail goes out.
#ifndef SMTPCLIENT_MIME_MESSAGESNAPSHOT_H
#define SMTPCLIENT_MIME_MESSAGESNAPSHOT_H

#include <array>
#include <vector>

#include "../IMimeMessage.h"
#include "../WideString.h"
#include "MimeMessage.h"
#include "RecipientKinds.h"

namespace SMTPClientNS {

struct MessageSnapshot {
    RecipientEntry sender;
    // To, Cc and Bcc, in the order of kRecipientKinds.
    std::array<std::vector<RecipientEntry>, kRecipientKindCount> recipients;
    int priority = 0;
    WString subject;
    WString charset;
    WString htmlBody;
    WString textBody;
    std::vector<WString> attachments;
    std::vector<InlineImageEntry> inlineImages;
};

// Throws std::bad_alloc when memory runs out.
MessageSnapshot TakeMessageSnapshot(IMimeMessage& message);

} // namespace SMTPClientNS

#endif
