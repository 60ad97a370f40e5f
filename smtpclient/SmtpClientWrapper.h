// The client implementation: every setting, the last synchronous send with
// its log, and the asynchronous worker.
#ifndef SMTPCLIENT_SMTPCLIENTWRAPPER_H
#define SMTPCLIENT_SMTPCLIENTWRAPPER_H

#include <cstdint>
#include <memory>

#include "ClientOptions.h"
#include "ConnectionLane.h"
#include "ISmtpClient.h"
#include "RateGate.h"
#include "SendJob.h"
#include "SendSettings.h"
#include "WideString.h"
#include "async/AsyncThread.h"
#include "platform/DestructorSlot.h"

namespace SMTPClientNS {

struct ProxySettings {
    WString password;
    WString user;
    int32_t type = 2; // 0 SOCKS4, 1 SOCKS4a, 2 SOCKS5, 3 SOCKS5 with proxy resolution
    int32_t port = -1;
    WString host;
};

class CSmtpClientWrapper final : public DestructorSlot<ISmtpClient, CSmtpClientWrapper> {
public:
    CSmtpClientWrapper();
    CSmtpClientWrapper(const CSmtpClientWrapper&) = delete;
    CSmtpClientWrapper& operator=(const CSmtpClientWrapper&) = delete;

    int Send() override;
    int SendAsync() override;
    int CancelAsync(int taskId) override;
    const SmtpChar* GetSessionLog() override;
    void SetLogFile(const SmtpChar* path, bool append) override;
    const SmtpChar* GetLastLogEntry() override;
    int GetLastResultCode() override;
    int SetProxy(const SmtpChar* host, int port, int type, const SmtpChar* user,
                 const SmtpChar* password) override;
    void GetProxyValue(SmtpChar* buffer, int index) override;
    void SetUseProxy(bool on) override;
    bool GetUseProxy() override;
    void SetAsyncCallback(IAsyncCallback* callback) override;
    IAsyncCallback* GetAsyncCallback() override;
    void SetVerifyCertificate(int on) override;
    int GetVerifyCertificate() override;
    void SetVerifyCertificateStatus(bool on) override;
    bool GetVerifyCertificateStatus() override;
    void SetUseTls(bool on) override;
    bool GetUseTls() override;
    void SetTlsVersion(int version) override;
    int GetTlsVersion() override;
    void SetConnectTimeout(int seconds) override;
    int GetConnectTimeout() override;
    void SetUser(const SmtpChar* user) override;
    const SmtpChar* GetUser() override;
    void SetPassword(const SmtpChar* password) override;
    const SmtpChar* GetPassword() override;
    void SetOAuth2Token(const SmtpChar* token) override;
    const SmtpChar* GetOAuth2Token() override;
    void SetHost(const SmtpChar* host) override;
    const SmtpChar* GetHost() override;
    void SetPort(int port) override;
    int GetPort() override;
    void AddRef() override;
    void Release() override;
    void SetMimeMessage(IMimeMessage* message) override;
    IMimeMessage* GetMimeMessage() override;
    int SetOption(int option, int value) override;
    int GetOption(int option) override;

    // The settings as a send takes them.
    SendSettings TakeSettings() const;

private:
    // Appends a summary to the last send's log and re-maps lastResultCode.
    void AppendSummary();
    // Runs the log-file step: summary and the write.
    void WriteSessionLogFile();
    // A job of the client's settings and message, under its rate.
    std::unique_ptr<SendJob> MakeJob(SendSettings settings, bool traced) const;

    // The host's own, left alone when the client goes.
    IMimeMessage* mimeMessage;
    IAsyncCallback* asyncCallback;
    CAsyncThread asyncThread;
    bool verifyCertificateStatus;
    bool useProxy;
    bool useTls;
    bool logAppend;
    int32_t tlsVersion;
    int32_t port;
    int32_t verifyCertificate;
    int32_t lastResultCode;
    int32_t referenceCount;
    int32_t connectTimeout;
    WString user;
    WString password;
    WString host;
    WString logText;
    WString oauth2Token;
    WString logFilePath;
    ProxySettings proxy;
    ClientOptions options;
    // Shared with the jobs, which may outlive the client.
    std::shared_ptr<RateGate> rateGate;
    // The last synchronous send, its transfer and log kept until the next
    // send; before the first, an empty log.
    std::unique_ptr<SendJob> lastJob;
    // The kept connection of Send; the asynchronous worker has its own.
    ConnectionLane sendLane;
};

} // namespace SMTPClientNS

#endif
