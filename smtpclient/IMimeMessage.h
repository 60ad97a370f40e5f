// Public interface of a mail message, and the definitions shared by both
// public headers.
#ifndef SMTPCLIENT_IMIMEMESSAGE_H
#define SMTPCLIENT_IMIMEMESSAGE_H

#if defined(_WIN32)
#  if defined(SMTPCLIENT_BUILDING)
#    define SMTPCLIENT_API __declspec(dllexport)
#  else
#    define SMTPCLIENT_API __declspec(dllimport)
#  endif
#  define SMTPCLIENT_CALL __cdecl
#else
#  define SMTPCLIENT_API __attribute__((visibility("default")))
#  define SMTPCLIENT_CALL
#endif

namespace SMTPClientNS {

// One UTF-16 code unit: all text crosses the interface as zero-terminated
// UTF-16 strings.
#if defined(_WIN32)
typedef wchar_t SmtpChar;
#  define SMTPCLIENT_TEXT(literal) L##literal
#else
typedef char16_t SmtpChar;
#  define SMTPCLIENT_TEXT(literal) u##literal
#endif

// Slot 0 of the interfaces' tables. Windows hosts are built with Visual C++
// or clang-cl, whose C++ ABI gives a virtual destructor one slot (the scalar
// deleting destructor), and with MinGW, whose ABI gives it two. So that one
// DLL serves both, MinGW and every other non-Microsoft compiler on Windows see
// slot 0 declared as that scalar deleting destructor itself: it destroys the
// object, frees it when bit 0 of flags is set, and returns the object's
// address. Their destructor proper is then protected and not virtual: give
// objects up with Release. Elsewhere the compiler's own virtual destructor
// takes the slot.
#if defined(_WIN32) && !defined(_MSC_VER)
#  define SMTPCLIENT_SLOT0_DELETING_DESTRUCTOR 1
#else
#  define SMTPCLIENT_SLOT0_DELETING_DESTRUCTOR 0
#endif

// A message stays with one thread at a time; a send copies what it needs from
// it when it starts, so it may change again once Send or SendAsync returned.
//
// The order of these operations is the binary interface; never reorder them:
// slot 0 destroys, Clear is slot 1 ... GetTextBody slot 31.
// Indexes count from 1. Getters return "" (never null) when there is nothing.
class IMimeMessage {
public:
#if SMTPCLIENT_SLOT0_DELETING_DESTRUCTOR
    virtual void* ScalarDeletingDestructor(unsigned int flags) = 0;
#else
    virtual ~IMimeMessage() {}
#endif
    // 0 everything but the charset, 1 To, 2 Cc, 3 Bcc, 4 attachments,
    // 5 inline images, 6 sender. Returns 1, or -1 for any other value.
    virtual int Clear(int what) = 0;
    virtual void Release() = 0;
    // Adders return the new count, or -1 for a refused address or path.
    virtual int AddTo(const SmtpChar* address, const SmtpChar* name) = 0;
    virtual int GetToCount() = 0;
    // what: 0 address, 1 display name.
    virtual const SmtpChar* GetTo(int index, int what) = 0;
    virtual int AddCc(const SmtpChar* address, const SmtpChar* name) = 0;
    virtual int GetCcCount() = 0;
    virtual const SmtpChar* GetCc(int index, int what) = 0;
    virtual int AddBcc(const SmtpChar* address, const SmtpChar* name) = 0;
    virtual int GetBccCount() = 0;
    virtual const SmtpChar* GetBcc(int index, int what) = 0;
    virtual int AddAttachment(const SmtpChar* path) = 0;
    virtual int GetAttachmentCount() = 0;
    virtual const SmtpChar* GetAttachment(int index) = 0;
    virtual int AddInlineImage(const SmtpChar* path, const SmtpChar* contentId) = 0;
    virtual int GetInlineImageCount() = 0;
    virtual const SmtpChar* GetInlineImagePath(int index) = 0;
    virtual const SmtpChar* GetInlineImageContentId(int index) = 0;
    virtual int SetFrom(const SmtpChar* address, const SmtpChar* name) = 0;
    virtual const SmtpChar* GetFrom(int what) = 0;
    // 0 normal, 1 low, 2 high.
    virtual void SetPriority(int priority) = 0;
    virtual int GetPriority() = 0;
    virtual void SetSubject(const SmtpChar* subject) = 0;
    virtual const SmtpChar* GetSubject() = 0;
    virtual void SetCharset(const SmtpChar* charset) = 0;
    virtual const SmtpChar* GetCharset() = 0;
    // kind: 0 text (ANSI), 1 text (UTF-8), 2 HTML (ANSI), 3 HTML (UTF-8),
    // 4 and 5 as 2 and 3 with the HTML's local images embedded inline.
    virtual void LoadBodyFromFile(const SmtpChar* path, int kind) = 0;
    virtual void SetHtmlBody(const SmtpChar* html) = 0;
    virtual const SmtpChar* GetHtmlBody() = 0;
    virtual void SetTextBody(const SmtpChar* text) = 0;
    virtual const SmtpChar* GetTextBody() = 0;

#if SMTPCLIENT_SLOT0_DELETING_DESTRUCTOR
protected:
    ~IMimeMessage() {}
#endif
};

} // namespace SMTPClientNS

extern "C" {
// Returns a new, empty message with charset "UTF-8", or null when memory runs
// out; give it up with Release. No operation of the message throws: out of
// memory, an adder returns -1 and a setter keeps the old value.
SMTPCLIENT_API SMTPClientNS::IMimeMessage* SMTPCLIENT_CALL CreateMimeMessage(void);
}

#endif
