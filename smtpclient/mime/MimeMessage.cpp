#include "MimeMessage.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "../NoThrow.h"
#include "../platform/FileInfo.h"
#include "AddressCheck.h"
#include "BodyFromFile.h"
#include "ContentIdHeader.h"
#include "HeaderText.h"

namespace SMTPClientNS {

namespace {

// What a getter returns when it has nothing: never a null pointer.
const SmtpChar kEmptyText[] = SMTPCLIENT_TEXT("");

// Selectors of GetTo, GetCc, GetBcc and GetFrom.
const int kAddressField = 0;
const int kNameField = 1;

// What an adder returns for refused input, and when memory runs out.
const int kRefused = -1;

// Clear selectors.
enum ClearSelector {
    kClearAll = 0,
    kClearTo = 1,
    kClearCc = 2,
    kClearBcc = 3,
    kClearAttachments = 4,
    kClearInlineImages = 5,
    kClearSender = 6
};

// Indexes count from 1 and are taken as unsigned, so 0 and negative values
// fall outside like any index above the count.
template <typename Entry>
const Entry* EntryAt(const std::vector<Entry>& list, int index)
{
    const uint32_t position = static_cast<uint32_t>(index) - 1u;
    return position < list.size() ? &list[position] : nullptr;
}

const SmtpChar* RecipientField(const RecipientEntry& entry, int what)
{
    switch (what) {
    case kAddressField:
        return entry.address.c_str();
    case kNameField:
        return entry.name.c_str();
    default:
        return kEmptyText;
    }
}

const SmtpChar* RecipientFieldAt(const std::vector<RecipientEntry>& list, int index, int what)
{
    const RecipientEntry* entry = EntryAt(list, index);
    return entry != nullptr ? RecipientField(*entry, what) : kEmptyText;
}

// The entry is made before the list grows, so a list that finds no memory
// stays as it was.
int AddRecipient(std::vector<RecipientEntry>& list, const SmtpChar* address, const SmtpChar* name)
{
    return NoThrow(kRefused, [&] {
        if (!IsValidAddress(address))
            return kRefused;
        list.push_back(RecipientEntry{TextOrEmpty(name), address});
        return static_cast<int>(list.size());
    });
}

// libcurl writes the file name into the part's header as it stands, so a
// path with a line break is refused like such an address. Only a regular
// file is sent: a pipe or a device could hold the send up, a folder has
// nothing to send.
bool IsUsablePath(const SmtpChar* path)
{
    return path != nullptr && !HasLineBreak(path) && Platform::IsRegularFile(path);
}

} // namespace

CMimeMessage::CMimeMessage() : priority(0), charset(SMTPCLIENT_TEXT("UTF-8")) {}

CMimeMessage::~CMimeMessage() = default;

int CMimeMessage::Clear(int what)
{
    switch (what) {
    case kClearAll:
        // The charset stays: it describes how the host sends, not what.
        priority = 0;
        subject.clear();
        htmlBody.clear();
        textBody.clear();
        sender = RecipientEntry();
        toList.clear();
        ccList.clear();
        bccList.clear();
        attachments.clear();
        inlineImages.clear();
        return 1;
    case kClearTo:
        toList.clear();
        return 1;
    case kClearCc:
        ccList.clear();
        return 1;
    case kClearBcc:
        bccList.clear();
        return 1;
    case kClearAttachments:
        attachments.clear();
        return 1;
    case kClearInlineImages:
        inlineImages.clear();
        return 1;
    case kClearSender:
        sender = RecipientEntry();
        return 1;
    default:
        return -1;
    }
}

void CMimeMessage::Release()
{
    delete this;
}

int CMimeMessage::AddTo(const SmtpChar* address, const SmtpChar* name)
{
    return AddRecipient(toList, address, name);
}

int CMimeMessage::GetToCount()
{
    return static_cast<int>(toList.size());
}

const SmtpChar* CMimeMessage::GetTo(int index, int what)
{
    return RecipientFieldAt(toList, index, what);
}

int CMimeMessage::AddCc(const SmtpChar* address, const SmtpChar* name)
{
    return AddRecipient(ccList, address, name);
}

int CMimeMessage::GetCcCount()
{
    return static_cast<int>(ccList.size());
}

const SmtpChar* CMimeMessage::GetCc(int index, int what)
{
    return RecipientFieldAt(ccList, index, what);
}

int CMimeMessage::AddBcc(const SmtpChar* address, const SmtpChar* name)
{
    return AddRecipient(bccList, address, name);
}

int CMimeMessage::GetBccCount()
{
    return static_cast<int>(bccList.size());
}

const SmtpChar* CMimeMessage::GetBcc(int index, int what)
{
    return RecipientFieldAt(bccList, index, what);
}

// The transfer notices a path that disappears later, or that no longer
// names a regular file.
int CMimeMessage::AddAttachment(const SmtpChar* path)
{
    return NoThrow(kRefused, [&] {
        if (!IsUsablePath(path))
            return kRefused;
        attachments.push_back(path);
        return static_cast<int>(attachments.size());
    });
}

int CMimeMessage::GetAttachmentCount()
{
    return static_cast<int>(attachments.size());
}

const SmtpChar* CMimeMessage::GetAttachment(int index)
{
    const WString* path = EntryAt(attachments, index);
    return path != nullptr ? path->c_str() : kEmptyText;
}

int CMimeMessage::AddInlineImage(const SmtpChar* path, const SmtpChar* contentId)
{
    return NoThrow(kRefused, [&] {
        if (!IsUsablePath(path) || !FitsContentIdHeader(TextOrEmpty(contentId)))
            return kRefused;
        inlineImages.push_back(InlineImageEntry{TextOrEmpty(contentId), path});
        return static_cast<int>(inlineImages.size());
    });
}

int CMimeMessage::GetInlineImageCount()
{
    return static_cast<int>(inlineImages.size());
}

const SmtpChar* CMimeMessage::GetInlineImagePath(int index)
{
    const InlineImageEntry* image = EntryAt(inlineImages, index);
    return image != nullptr ? image->path.c_str() : kEmptyText;
}

const SmtpChar* CMimeMessage::GetInlineImageContentId(int index)
{
    const InlineImageEntry* image = EntryAt(inlineImages, index);
    return image != nullptr ? image->contentId.c_str() : kEmptyText;
}

// A null or empty name keeps the display name set earlier. The new sender is
// made whole before it replaces the old one.
int CMimeMessage::SetFrom(const SmtpChar* address, const SmtpChar* name)
{
    return NoThrow(kRefused, [&] {
        if (!IsValidAddress(address))
            return kRefused;
        RecipientEntry updated{!IsEmptyText(name) ? WString(name) : sender.name, address};
        sender = std::move(updated);
        return 1;
    });
}

const SmtpChar* CMimeMessage::GetFrom(int what)
{
    return RecipientField(sender, what);
}
void CMimeMessage::SetPriority(int priority)
{
    this->priority = priority;
}
int CMimeMessage::GetPriority()
{
    return priority;
}
// A text setter that finds no memory keeps the old value.
void CMimeMessage::SetSubject(const SmtpChar* subject)
{
    NoThrow([&] { this->subject = TextOrEmpty(subject); });
}

const SmtpChar* CMimeMessage::GetSubject()
{
    return subject.c_str();
}

// The name is not checked here; a send reports a charset it cannot convert to.
void CMimeMessage::SetCharset(const SmtpChar* charset)
{
    if (!IsEmptyText(charset))
        NoThrow([&] { this->charset = charset; });
}

const SmtpChar* CMimeMessage::GetCharset()
{
    return charset.c_str();
}

// A load that finds no memory half-way puts back the bodies and the inline
// images it had changed; the copies it keeps for that are made first.
void CMimeMessage::LoadBodyFromFile(const SmtpChar* path, int kind)
{
    NoThrow([&] {
        WString earlierHtml = htmlBody;
        WString earlierText = textBody;
        const size_t earlierImages = inlineImages.size();
        try {
            SMTPClientNS::LoadBodyFromFile(*this, path, kind);
        } catch (...) {
            htmlBody.swap(earlierHtml);
            textBody.swap(earlierText);
            inlineImages.erase(inlineImages.begin() + earlierImages, inlineImages.end());
            throw;
        }
    });
}

void CMimeMessage::SetHtmlBody(const SmtpChar* html)
{
    NoThrow([&] { htmlBody = TextOrEmpty(html); });
}

const SmtpChar* CMimeMessage::GetHtmlBody()
{
    return htmlBody.c_str();
}

void CMimeMessage::SetTextBody(const SmtpChar* text)
{
    NoThrow([&] { textBody = TextOrEmpty(text); });
}

const SmtpChar* CMimeMessage::GetTextBody()
{
    return textBody.c_str();
}

} // namespace SMTPClientNS
