// The three recipient lists of a message, in the order the envelope takes
// them: To, Cc, Bcc. Only To and Cc have a header line; blind copies are in
// the envelope only, so the others do not learn of them.
#ifndef SMTPCLIENT_MIME_RECIPIENTKINDS_H
#define SMTPCLIENT_MIME_RECIPIENTKINDS_H

#include "../IMimeMessage.h"

namespace SMTPClientNS {

struct RecipientKind {
    const char* lineStart; // "To: ", "Cc: ", or null where no line is written
    int (IMimeMessage::*count)();
    const SmtpChar* (IMimeMessage::*entry)(int index, int what);
};

const int kRecipientKindCount = 3;

inline const RecipientKind kRecipientKinds[kRecipientKindCount] = {
    {"To: ", &IMimeMessage::GetToCount, &IMimeMessage::GetTo},
    {"Cc: ", &IMimeMessage::GetCcCount, &IMimeMessage::GetCc},
    {nullptr, &IMimeMessage::GetBccCount, &IMimeMessage::GetBcc},
};

} // namespace SMTPClientNS

#endif
