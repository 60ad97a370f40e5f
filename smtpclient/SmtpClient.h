// The exported client: a thin object that forwards to its implementation.
#ifndef SMTPCLIENT_SMTPCLIENT_H
#define SMTPCLIENT_SMTPCLIENT_H

#include "ISmtpClient.h"
#include "platform/DestructorSlot.h"

namespace SMTPClientNS {

class CSmtpClientWrapper;

class CSmtpClient final : public DestructorSlot<ISmtpClient, CSmtpClient> {
public:
    // Takes over the implementation's first reference.
    explicit CSmtpClient(CSmtpClientWrapper* implementation);
    ~CSmtpClient();

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

private:
    CSmtpClientWrapper* implementation;
};

} // namespace SMTPClientNS

#endif
