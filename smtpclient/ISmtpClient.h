// Public interface of the SMTP client: the client object, the host's completion
// callback and the C entry points of the library.
#ifndef SMTPCLIENT_ISMTPCLIENT_H
#define SMTPCLIENT_ISMTPCLIENT_H

#include "IMimeMessage.h"

namespace SMTPClientNS {

// The result codes: what Send returns, what OnSendComplete receives, and
// what GetLastResultCode holds once a log summary has mapped it.
enum SmtpResult {
    kResultSuccess = 1,
    kResultGeneralError = -1,
    kResultProxyConnectFailed = -2,
    kResultProxyNotResolved = -3,
    kResultHostNotResolved = -4,
    kResultConnectFailed = -5,
    kResultMalformedHost = -6,
    kResultUnsupportedProtocol = -7,
    kResultTlsConnectFailed = -8,
    kResultCertificateRejected = -9,
    kResultCertificateAuthenticationFailed = -10,
    kResultTimedOut = -11,
    kResultLoginDenied = -12,
    kResultSendFailed = -13,
    kResultReceiveFailed = -14,
    kResultWrongCredentials = -15,
    kResultFileReadFailed = -16,
    kResultNoSender = -17,
    kResultNoRecipients = -18,
    kResultConversionInvalidParameter = -19,
    kResultConversionOutOfMemory = -20,
    kResultConversionUnsupported = -21,
    kResultConversionFailed = -22
};

// The options of SetOption and GetOption. Every one is off by default, so a
// client whose host sets none sends as it always has.
enum SmtpOption {
    // 0/1, 0: the connection stays open after a send, for the client's next
    // send to the same server, port, proxy, login and TLS settings; any
    // change of those opens a new one.
    kOptionKeepConnection = 1,
    // 1-16, 1: how many connections (workers) serve the SendAsync queue at
    // once; completions still arrive on the host's thread.
    kOptionAsyncConnections = 2,
    // 0 (no cap) or more, 100: a kept connection is closed after this many
    // mails.
    kOptionMessagesPerConnection = 3,
    // 0/1, 0: when some recipients are refused and at least one is
    // accepted, the mail goes to the accepted ones and the send succeeds;
    // the closing log entry lists each refused recipient with the reply.
    kOptionPartialDelivery = 4,
    // 0 (none) or more, 0: mails per minute, over all the client's sends,
    // applied before a transfer starts; Send and queued tasks wait.
    kOptionMessagesPerMinute = 5,
    // 0/1, 0: OnSendComplete's text is the task's closing log entry, the
    // server's own words, instead of the result message.
    kOptionCompletionDetail = 6,
    // 0/1, 1: libcurl's informational text is echoed to standard error.
    kOptionTraceToStandardError = 7
};

// Receives the outcome of each asynchronous send, on the thread that made the
// client's first SendAsync call. The library never deletes it.
//
// Slot layout for hosts that build the table by hand: on Windows, whatever the
// compiler, slot 0 is the destructor's and OnSendComplete is slot 1; on Linux
// (the Itanium ABI) the destructor takes two slots (complete and deleting) and
// OnSendComplete is slot 2. The library calls only OnSendComplete.
class IAsyncCallback {
public:
#if SMTPCLIENT_SLOT0_DELETING_DESTRUCTOR
    // Where a Visual C++ host's callback has its destructor; never called.
    virtual void UnusedSlot0() {}
#else
    virtual ~IAsyncCallback() {}
#endif
    // message is valid only during the call. The result is ignored.
    virtual int OnSendComplete(int taskId, int resultCode, const SmtpChar* message) = 0;

#if SMTPCLIENT_SLOT0_DELETING_DESTRUCTOR
protected:
    ~IAsyncCallback() {}
#endif
};

// Threads: different clients may be used on different threads at the same
// time, Send and SendAsync alike; each send works on what it took from the
// client and its message when it started, and each client's log holds only
// its own dialogue. One client, and the message attached to it, stay with
// one thread at a time: calls on one client must not overlap, nor may its
// message change while its Send runs.
//
// The order of these operations is the binary interface; never reorder them.
// No operation throws: when memory runs out, Send returns -1, SendAsync -1
// (no task was queued and none will complete), a setter keeps the old value
// and a text getter returns "".
// The slot numbers stay in one column.
// clang-format off
class ISmtpClient {
public:
#if SMTPCLIENT_SLOT0_DELETING_DESTRUCTOR
    virtual void* ScalarDeletingDestructor(unsigned int flags) = 0;           // 0
#else
    virtual ~ISmtpClient() {}                                                 // 0
#endif
    virtual int Send() = 0;                                                   // 1
    virtual int SendAsync() = 0;                                              // 2
    virtual int CancelAsync(int taskId) = 0;                                  // 3
    virtual const SmtpChar* GetSessionLog() = 0;                              // 4
    virtual void SetLogFile(const SmtpChar* path, bool append) = 0;           // 5
    virtual const SmtpChar* GetLastLogEntry() = 0;                            // 6
    virtual int GetLastResultCode() = 0;                                      // 7
    virtual int SetProxy(const SmtpChar* host, int port, int type,
                         const SmtpChar* user, const SmtpChar* password) = 0; // 8
    // buffer must hold 256 characters, terminator included.
    virtual void GetProxyValue(SmtpChar* buffer, int index) = 0;              // 9
    virtual void SetUseProxy(bool on) = 0;                                    // 10
    virtual bool GetUseProxy() = 0;                                           // 11
    virtual void SetAsyncCallback(IAsyncCallback* callback) = 0;              // 12
    virtual IAsyncCallback* GetAsyncCallback() = 0;                           // 13
    virtual void SetVerifyCertificate(int on) = 0;                            // 14
    virtual int GetVerifyCertificate() = 0;                                   // 15
    virtual void SetVerifyCertificateStatus(bool on) = 0;                     // 16
    virtual bool GetVerifyCertificateStatus() = 0;                            // 17
    virtual void SetUseTls(bool on) = 0;                                      // 18
    virtual bool GetUseTls() = 0;                                             // 19
    virtual void SetTlsVersion(int version) = 0;                              // 20
    virtual int GetTlsVersion() = 0;                                          // 21
    virtual void SetConnectTimeout(int seconds) = 0;                          // 22
    virtual int GetConnectTimeout() = 0;                                      // 23
    virtual void SetUser(const SmtpChar* user) = 0;                           // 24
    virtual const SmtpChar* GetUser() = 0;                                    // 25
    virtual void SetPassword(const SmtpChar* password) = 0;                   // 26
    virtual const SmtpChar* GetPassword() = 0;                                // 27
    virtual void SetOAuth2Token(const SmtpChar* token) = 0;                   // 28
    virtual const SmtpChar* GetOAuth2Token() = 0;                             // 29
    virtual void SetHost(const SmtpChar* host) = 0;                           // 30
    virtual const SmtpChar* GetHost() = 0;                                    // 31
    virtual void SetPort(int port) = 0;                                       // 32
    virtual int GetPort() = 0;                                                // 33
    virtual void AddRef() = 0;                                                // 34
    virtual void Release() = 0;                                               // 35
    virtual void SetMimeMessage(IMimeMessage* message) = 0;                   // 36
    virtual IMimeMessage* GetMimeMessage() = 0;                               // 37
    // One of SmtpOption: 1 when taken; -1 for an unknown option or a value
    // out of range, and nothing changes.
    virtual int SetOption(int option, int value) = 0;                         // 38
    // The option's value; -1 for an unknown option.
    virtual int GetOption(int option) = 0;                                    // 39

#if SMTPCLIENT_SLOT0_DELETING_DESTRUCTOR
protected:
    ~ISmtpClient() {}
#endif
};
// clang-format on

} // namespace SMTPClientNS

extern "C" {

// Returns a new client, or null when memory runs out; give it up with its
// Release.
SMTPCLIENT_API SMTPClientNS::ISmtpClient* SMTPCLIENT_CALL CreateSmtpClient(void);

// Selects the language of result messages (0 English, 1 Japanese, 2 Danish,
// 3 Dutch, 4 French, 5 German, 6 Italian, 7 Norwegian, 8 Spanish, 9 Swedish,
// 10 Chinese; anything else English). Call it before the first send: once the
// result table is built the call has no effect.
SMTPCLIENT_API void SMTPCLIENT_CALL SmtpClientSetMessageLanguage(int language);

// For hosts without a system message loop: waits up to timeoutMs (0: no wait,
// -1: until something arrives) for a message of the calling thread's queue,
// then dispatches every waiting message, asynchronous completions included.
// Returns how many messages were dispatched, or -1 when memory ran out.
SMTPCLIENT_API int SMTPCLIENT_CALL SmtpClientDispatchMessages(int timeoutMs);

// A descriptor of the calling thread's queue that is readable while messages
// wait; poll it and call SmtpClientDispatchMessages(0) when it fires. -1 when
// there is none.
SMTPCLIENT_API int SMTPCLIENT_CALL SmtpClientMessageFd(void);

} // extern "C"

#endif
