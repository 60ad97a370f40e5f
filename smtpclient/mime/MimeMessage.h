// The message object: a passive container of UTF-16 fields.
#ifndef SMTPCLIENT_MIME_MIMEMESSAGE_H
#define SMTPCLIENT_MIME_MIMEMESSAGE_H

#include <vector>

#include "../IMimeMessage.h"
#include "../WideString.h"
#include "../platform/DestructorSlot.h"

namespace SMTPClientNS {

struct RecipientEntry {
    WString name;
    WString address;
};

struct InlineImageEntry {
    WString contentId;
    WString path;
};

class CMimeMessage final : public DestructorSlot<IMimeMessage, CMimeMessage> {
public:
    CMimeMessage();
    ~CMimeMessage();

    int Clear(int what) override;
    void Release() override;
    int AddTo(const SmtpChar* address, const SmtpChar* name) override;
    int GetToCount() override;
    const SmtpChar* GetTo(int index, int what) override;
    int AddCc(const SmtpChar* address, const SmtpChar* name) override;
    int GetCcCount() override;
    const SmtpChar* GetCc(int index, int what) override;
    int AddBcc(const SmtpChar* address, const SmtpChar* name) override;
    int GetBccCount() override;
    const SmtpChar* GetBcc(int index, int what) override;
    int AddAttachment(const SmtpChar* path) override;
    int GetAttachmentCount() override;
    const SmtpChar* GetAttachment(int index) override;
    int AddInlineImage(const SmtpChar* path, const SmtpChar* contentId) override;
    int GetInlineImageCount() override;
    const SmtpChar* GetInlineImagePath(int index) override;
    const SmtpChar* GetInlineImageContentId(int index) override;
    int SetFrom(const SmtpChar* address, const SmtpChar* name) override;
    const SmtpChar* GetFrom(int what) override;
    void SetPriority(int priority) override;
    int GetPriority() override;
    void SetSubject(const SmtpChar* subject) override;
    const SmtpChar* GetSubject() override;
    void SetCharset(const SmtpChar* charset) override;
    const SmtpChar* GetCharset() override;
    void LoadBodyFromFile(const SmtpChar* path, int kind) override;
    void SetHtmlBody(const SmtpChar* html) override;
    const SmtpChar* GetHtmlBody() override;
    void SetTextBody(const SmtpChar* text) override;
    const SmtpChar* GetTextBody() override;

private:
    int priority;
    WString charset;
    WString subject;
    WString htmlBody;
    WString textBody;
    RecipientEntry sender;
    std::vector<RecipientEntry> toList;
    std::vector<RecipientEntry> ccList;
    std::vector<RecipientEntry> bccList;
    std::vector<WString> attachments;
    std::vector<InlineImageEntry> inlineImages;
};

} // namespace SMTPClientNS

#endif
