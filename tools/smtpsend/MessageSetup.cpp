#include "MessageSetup.h"

#include <fstream>

#include "Errors.h"
#include "InterfaceText.h"

namespace SmtpSend {

namespace {

using SMTPClientNS::IMimeMessage;
using SMTPClientNS::SmtpChar;

using AddRecipientOperation = int (IMimeMessage::*)(const SmtpChar*, const SmtpChar*);

struct RecipientOperation {
    AddRecipientOperation add;
    const char* option;
};

// Indexed by RecipientKind.
const RecipientOperation kRecipientOperations[] = {
    {&IMimeMessage::AddTo, "--to"},
    {&IMimeMessage::AddCc, "--cc"},
    {&IMimeMessage::AddBcc, "--bcc"},
};

// Body-file kinds of LoadBodyFromFile: text, HTML, HTML with its images
// embedded; each in the ANSI code page and in UTF-8.
constexpr int kTextFileKind = 0;
constexpr int kHtmlFileKind = 2;
constexpr int kEmbeddingHtmlFileKind = 4;

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

void SetSender(IMimeMessage& message, const Mailbox& from)
{
    const WText address = InterfaceText(from.address, "--from");
    const OptionalText name(from.name, "--from");
    if (message.SetFrom(address.c_str(), name.Get()) < 0)
        throw InputError("the sender address " + Quoted(from.address) + " is not accepted");
}

void AddRecipients(IMimeMessage& message, const std::vector<Recipient>& recipients)
{
    for (const Recipient& recipient : recipients) {
        const RecipientOperation& operation =
            kRecipientOperations[static_cast<int>(recipient.kind)];
        const WText address = InterfaceText(recipient.mailbox.address, operation.option);
        const OptionalText name(recipient.mailbox.name, operation.option);
        if ((message.*operation.add)(address.c_str(), name.Get()) < 0)
            throw InputError(std::string("the ") + operation.option + " address "
                             + Quoted(recipient.mailbox.address) + " is not accepted");
    }
}

void CheckReadable(const std::string& path, const char* what)
{
    if (!std::ifstream(path, std::ios::binary))
        throw InputError(std::string("cannot read the ") + what + " " + Quoted(path));
}

void LoadBody(IMimeMessage& message, const std::string& path, int ansiKind, bool utf8,
              const char* what)
{
    CheckReadable(path, what);
    message.LoadBodyFromFile(InterfaceText(path, what).c_str(), utf8 ? ansiKind + 1 : ansiKind);
}

void SetBodies(IMimeMessage& message, const SendOptions& options)
{
    if (!options.textBody.file.empty())
        LoadBody(message, options.textBody.file, kTextFileKind, options.utf8BodyFiles,
                 "text body file");
    else
        message.SetTextBody(InterfaceText(options.textBody.text, "--text").c_str());
    const int htmlKind = options.embedImages ? kEmbeddingHtmlFileKind : kHtmlFileKind;
    if (!options.htmlBody.file.empty())
        LoadBody(message, options.htmlBody.file, htmlKind, options.utf8BodyFiles, "HTML body file");
    else
        message.SetHtmlBody(InterfaceText(options.htmlBody.text, "--html").c_str());
}

void AddFiles(IMimeMessage& message, const SendOptions& options)
{
    for (const std::string& path : options.attachments) {
        if (message.AddAttachment(InterfaceText(path, "--attach").c_str()) < 0)
            throw InputError("attachment not found: " + Quoted(path));
    }
    for (const InlineImage& image : options.inlineImages) {
        const WText path = InterfaceText(image.path, "--inline");
        const WText contentId = InterfaceText(image.contentId, "--inline");
        if (message.AddInlineImage(path.c_str(), contentId.c_str()) < 0)
            throw InputError("inline image not found: " + Quoted(image.path));
    }
}

} // namespace

void FillMessage(IMimeMessage& message, const SendOptions& options)
{
    if (!options.charset.empty())
        message.SetCharset(InterfaceText(options.charset, "--charset").c_str());
    SetSender(message, options.from);
    AddRecipients(message, options.recipients);
    message.SetSubject(InterfaceText(options.subject, "--subject").c_str());
    message.SetPriority(options.priority);
    SetBodies(message, options);
    AddFiles(message, options);
}

} // namespace SmtpSend
