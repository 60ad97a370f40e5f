#include "SmtpClient.h"

#include "NoThrow.h"
#include "SmtpClientWrapper.h"

namespace SMTPClientNS {

namespace {

const SmtpChar kEmptyText[] = SMTPCLIENT_TEXT("");

} // namespace

CSmtpClient::CSmtpClient(CSmtpClientWrapper* implementation) : implementation(implementation) {}

// The client owns one reference; queued asynchronous sends may hold more, so
// the implementation can outlive this object.
CSmtpClient::~CSmtpClient()
{
    implementation->Release();
    implementation = nullptr;
}

// Operations that allocate run under NoThrow: memory that runs out gives the
// operation's failure value (-1 from Send, SendAsync and CancelAsync, "" from
// a text getter, 0 from SetProxy) and leaves the client as usable as before.

int CSmtpClient::Send()
{
    return NoThrow<int>(kResultGeneralError, [this] { return implementation->Send(); });
}

// -1: no task was queued, and none will complete.
int CSmtpClient::SendAsync()
{
    return NoThrow<int>(kResultGeneralError, [this] { return implementation->SendAsync(); });
}

int CSmtpClient::CancelAsync(int taskId)
{
    return NoThrow<int>(kResultGeneralError,
                        [this, taskId] { return implementation->CancelAsync(taskId); });
}

const SmtpChar* CSmtpClient::GetSessionLog()
{
    return NoThrow(kEmptyText, [this] { return implementation->GetSessionLog(); });
}

void CSmtpClient::SetLogFile(const SmtpChar* path, bool append)
{
    NoThrow([this, path, append] { implementation->SetLogFile(path, append); });
}

const SmtpChar* CSmtpClient::GetLastLogEntry()
{
    return NoThrow(kEmptyText, [this] { return implementation->GetLastLogEntry(); });
}

int CSmtpClient::GetLastResultCode()
{
    return implementation->GetLastResultCode();
}

int CSmtpClient::SetProxy(const SmtpChar* host, int port, int type, const SmtpChar* user,
                          const SmtpChar* password)
{
    return NoThrow(0, [=] { return implementation->SetProxy(host, port, type, user, password); });
}

void CSmtpClient::GetProxyValue(SmtpChar* buffer, int index)
{
    NoThrow([=] { implementation->GetProxyValue(buffer, index); });
}

void CSmtpClient::SetUseProxy(bool on)
{
    implementation->SetUseProxy(on);
}
bool CSmtpClient::GetUseProxy()
{
    return implementation->GetUseProxy();
}

void CSmtpClient::SetAsyncCallback(IAsyncCallback* callback)
{
    implementation->SetAsyncCallback(callback);
}

IAsyncCallback* CSmtpClient::GetAsyncCallback()
{
    return implementation->GetAsyncCallback();
}
void CSmtpClient::SetVerifyCertificate(int on)
{
    implementation->SetVerifyCertificate(on);
}
int CSmtpClient::GetVerifyCertificate()
{
    return implementation->GetVerifyCertificate();
}

void CSmtpClient::SetVerifyCertificateStatus(bool on)
{
    implementation->SetVerifyCertificateStatus(on);
}

bool CSmtpClient::GetVerifyCertificateStatus()
{
    return implementation->GetVerifyCertificateStatus();
}

void CSmtpClient::SetUseTls(bool on)
{
    implementation->SetUseTls(on);
}
bool CSmtpClient::GetUseTls()
{
    return implementation->GetUseTls();
}
void CSmtpClient::SetTlsVersion(int version)
{
    implementation->SetTlsVersion(version);
}
int CSmtpClient::GetTlsVersion()
{
    return implementation->GetTlsVersion();
}
void CSmtpClient::SetConnectTimeout(int seconds)
{
    implementation->SetConnectTimeout(seconds);
}
int CSmtpClient::GetConnectTimeout()
{
    return implementation->GetConnectTimeout();
}

// A null user, password or host leaves the stored value alone.
void CSmtpClient::SetUser(const SmtpChar* user)
{
    if (user != nullptr)
        NoThrow([=] { implementation->SetUser(user); });
}

const SmtpChar* CSmtpClient::GetUser()
{
    return implementation->GetUser();
}

void CSmtpClient::SetPassword(const SmtpChar* password)
{
    if (password != nullptr)
        NoThrow([=] { implementation->SetPassword(password); });
}

const SmtpChar* CSmtpClient::GetPassword()
{
    return implementation->GetPassword();
}

// A null token clears the stored one.
void CSmtpClient::SetOAuth2Token(const SmtpChar* token)
{
    NoThrow([=] { implementation->SetOAuth2Token(TextOrEmpty(token)); });
}

const SmtpChar* CSmtpClient::GetOAuth2Token()
{
    return implementation->GetOAuth2Token();
}

void CSmtpClient::SetHost(const SmtpChar* host)
{
    if (host != nullptr)
        NoThrow([=] { implementation->SetHost(host); });
}

const SmtpChar* CSmtpClient::GetHost()
{
    return implementation->GetHost();
}
void CSmtpClient::SetPort(int port)
{
    implementation->SetPort(port);
}
int CSmtpClient::GetPort()
{
    return implementation->GetPort();
}
void CSmtpClient::AddRef()
{
    implementation->AddRef();
}

// Gives up the client itself; the destructor drops its one reference.
void CSmtpClient::Release()
{
    delete this;
}

void CSmtpClient::SetMimeMessage(IMimeMessage* message)
{
    implementation->SetMimeMessage(message);
}

IMimeMessage* CSmtpClient::GetMimeMessage()
{
    return implementation->GetMimeMessage();
}

int CSmtpClient::SetOption(int option, int value)
{
    return NoThrow<int>(-1, [&] { return implementation->SetOption(option, value); });
}

int CSmtpClient::GetOption(int option)
{
    return implementation->GetOption(option);
}

} // namespace SMTPClientNS
