#include "MessageSnapshot.h"

namespace SMTPClientNS {

namespace {

void CopyRecipients(IMimeMessage& message, const RecipientKind& kind,
                    std::vector<RecipientEntry>& entries)
{
    const int count = (message.*kind.count)();
    for (int index = 1; index <= count; ++index)
        entries.push_back(RecipientEntry{TextOrEmpty((message.*kind.entry)(index, 1)),
                                         TextOrEmpty((message.*kind.entry)(index, 0))});
}

} // namespace

MessageSnapshot TakeMessageSnapshot(IMimeMessage& message)
{
    MessageSnapshot snapshot;
    snapshot.sender =
        RecipientEntry{TextOrEmpty(message.GetFrom(1)), TextOrEmpty(message.GetFrom(0))};
    for (int kind = 0; kind < kRecipientKindCount; ++kind)
        CopyRecipients(message, kRecipientKinds[kind], snapshot.recipients[kind]);
    snapshot.priority = message.GetPriority();
    snapshot.subject = TextOrEmpty(message.GetSubject());
    snapshot.charset = TextOrEmpty(message.GetCharset());
    snapshot.htmlBody = TextOrEmpty(message.GetHtmlBody());
    snapshot.textBody = TextOrEmpty(message.GetTextBody());
    const int attachments = message.GetAttachmentCount();
    for (int index = 1; index <= attachments; ++index)
        snapshot.attachments.push_back(TextOrEmpty(message.GetAttachment(index)));
    const int images = message.GetInlineImageCount();
    for (int index = 1; index <= images; ++index)
        snapshot.inlineImages.push_back(
            InlineImageEntry{TextOrEmpty(message.GetInlineImageContentId(index)),
                             TextOrEmpty(message.GetInlineImagePath(index))});
    return snapshot;
}

} // namespace SMTPClientNS
