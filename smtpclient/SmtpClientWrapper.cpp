#include "SmtpClientWrapper.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>

#include "ProxyValues.h"
#include "async/AsyncTask.h"
#include "encoding/CodePage.h"

namespace SMTPClientNS {

namespace {

// lastResultCode before the first Send.
const int32_t kNoSendYet = 999;

WString DecimalText(int32_t value)
{
    const std::string digits = std::to_string(value);
    return WString(digits.begin(), digits.end());
}

// Longer values are cut to fit, always terminated.
void CopyBounded(SmtpChar* buffer, const WString& value)
{
    const size_t length = std::min(value.size(), kProxyValueCapacity - 1);
    value.copy(buffer, length);
    buffer[length] = 0;
}

// A send reads the proxy's text as GetProxyValue hands it out: cut to fit.
std::string BoundedAnsi(const WString& value)
{
    return ToAnsi(value.substr(0, kProxyValueCapacity - 1).c_str());
}

} // namespace

CSmtpClientWrapper::CSmtpClientWrapper()
    : mimeMessage(nullptr), asyncCallback(nullptr), verifyCertificateStatus(false), useProxy(false),
      useTls(true), logAppend(true), tlsVersion(0), port(-1), verifyCertificate(0),
      lastResultCode(kNoSendYet), referenceCount(1), connectTimeout(0), lastJob(new SendJob())
{}

// A task is traced only for its completion text, and that trace does not
// echo to standard error: the host asked for the text.
int CSmtpClientWrapper::SendAsync()
{
    SendSettings settings = TakeSettings();
    settings.options.traceToStandardError = false;
    return asyncThread.PostTask(
        std::make_unique<CAsyncTask>(
            this, MakeJob(std::move(settings), options.Get(kOptionCompletionDetail) == 1)),
        options.Get(kOptionAsyncConnections));
}

std::unique_ptr<SendJob> CSmtpClientWrapper::MakeJob(SendSettings settings, bool traced) const
{
    std::unique_ptr<SendJob> job =
        std::make_unique<SendJob>(std::move(settings), mimeMessage, traced);
    job->LimitRate(rateGate);
    return job;
}
int CSmtpClientWrapper::CancelAsync(int taskId)
{
    return asyncThread.CancelTask(taskId);
}

void CSmtpClientWrapper::SetLogFile(const SmtpChar* path, bool append)
{
    if (path == nullptr)
        return;
    logFilePath = path;
    logAppend = append;
    if (lastResultCode != kNoSendYet)
        WriteSessionLogFile();
}

int CSmtpClientWrapper::GetLastResultCode()
{
    return lastResultCode;
}

// A missing host or a port below 1 switches the proxy off and keeps the
// stored settings. Credentials change only when both are given.
int CSmtpClientWrapper::SetProxy(const SmtpChar* host, int port, int type, const SmtpChar* user,
                                 const SmtpChar* password)
{
    if (IsEmptyText(host) || port < 1) {
        useProxy = false;
        return 0;
    }
    // Every copy is made before anything changes, so a copy that finds no
    // memory leaves the earlier proxy whole.
    ProxySettings updated = proxy;
    updated.host = host;
    updated.port = port;
    updated.type = type;
    if (!IsEmptyText(user) && !IsEmptyText(password)) {
        updated.user = user;
        updated.password = password;
    }
    proxy = std::move(updated);
    useProxy = true;
    return 1;
}

void CSmtpClientWrapper::GetProxyValue(SmtpChar* buffer, int index)
{
    if (buffer == nullptr)
        return;
    switch (index) {
    case kProxyHost:
        CopyBounded(buffer, proxy.host);
        break;
    case kProxyPort:
        CopyBounded(buffer, DecimalText(proxy.port));
        break;
    case kProxyType:
        CopyBounded(buffer, DecimalText(proxy.type));
        break;
    case kProxyUser:
        CopyBounded(buffer, proxy.user);
        break;
    case kProxyPassword:
        CopyBounded(buffer, proxy.password);
        break;
    default:
        break;
    }
}

void CSmtpClientWrapper::SetUseProxy(bool on)
{
    useProxy = on;
}
bool CSmtpClientWrapper::GetUseProxy()
{
    return useProxy;
}
void CSmtpClientWrapper::SetAsyncCallback(IAsyncCallback* callback)
{
    asyncCallback = callback;
}
IAsyncCallback* CSmtpClientWrapper::GetAsyncCallback()
{
    return asyncCallback;
}
void CSmtpClientWrapper::SetVerifyCertificate(int on)
{
    verifyCertificate = on;
}
int CSmtpClientWrapper::GetVerifyCertificate()
{
    return verifyCertificate;
}
void CSmtpClientWrapper::SetVerifyCertificateStatus(bool on)
{
    verifyCertificateStatus = on;
}
bool CSmtpClientWrapper::GetVerifyCertificateStatus()
{
    return verifyCertificateStatus;
}
void CSmtpClientWrapper::SetUseTls(bool on)
{
    useTls = on;
}
bool CSmtpClientWrapper::GetUseTls()
{
    return useTls;
}
void CSmtpClientWrapper::SetTlsVersion(int version)
{
    tlsVersion = version;
}
int CSmtpClientWrapper::GetTlsVersion()
{
    return tlsVersion;
}
void CSmtpClientWrapper::SetConnectTimeout(int seconds)
{
    connectTimeout = seconds;
}
int CSmtpClientWrapper::GetConnectTimeout()
{
    return connectTimeout;
}
void CSmtpClientWrapper::SetUser(const SmtpChar* user)
{
    this->user = user;
}
const SmtpChar* CSmtpClientWrapper::GetUser()
{
    return user.c_str();
}

void CSmtpClientWrapper::SetPassword(const SmtpChar* password)
{
    this->password = password;
}

const SmtpChar* CSmtpClientWrapper::GetPassword()
{
    return password.c_str();
}
void CSmtpClientWrapper::SetOAuth2Token(const SmtpChar* token)
{
    oauth2Token = token;
}
const SmtpChar* CSmtpClientWrapper::GetOAuth2Token()
{
    return oauth2Token.c_str();
}
void CSmtpClientWrapper::SetHost(const SmtpChar* host)
{
    this->host = host;
}
const SmtpChar* CSmtpClientWrapper::GetHost()
{
    return host.c_str();
}
void CSmtpClientWrapper::SetPort(int port)
{
    this->port = port;
}
int CSmtpClientWrapper::GetPort()
{
    return port;
}

// The count is a plain integer: every AddRef and Release runs on the host's
// thread.
void CSmtpClientWrapper::AddRef()
{
    ++referenceCount;
}

void CSmtpClientWrapper::Release()
{
    if (--referenceCount == 0)
        delete this;
}

void CSmtpClientWrapper::SetMimeMessage(IMimeMessage* message)
{
    mimeMessage = message;
}
IMimeMessage* CSmtpClientWrapper::GetMimeMessage()
{
    return mimeMessage;
}

// Every value is checked before anything is stored.
int CSmtpClientWrapper::SetOption(int option, int value)
{
    if (!ClientOptions::Accepts(option, value))
        return -1;
    // Shared by the client's connections: every send waits at the same gate.
    if (option == kOptionMessagesPerMinute)
        rateGate = value > 0 ? std::make_shared<RateGate>(value) : nullptr;
    options.Set(option, value);
    return 1;
}

int CSmtpClientWrapper::GetOption(int option)
{
    return options.Get(option);
}

SendSettings CSmtpClientWrapper::TakeSettings() const
{
    SendSettings settings;
    ConnectionSettings& connection = settings.connection;
    connection.host = ToAnsi(host.c_str());
    connection.port = port;
    connection.useProxy = useProxy;
    connection.proxy.host = BoundedAnsi(proxy.host);
    connection.proxy.port = proxy.port;
    connection.proxy.type = proxy.type;
    connection.proxy.user = BoundedAnsi(proxy.user);
    connection.proxy.password = BoundedAnsi(proxy.password);
    connection.user = ToAnsi(user.c_str());
    connection.password = ToAnsi(password.c_str());
    connection.oauth2Token = ToAnsi(oauth2Token.c_str());
    connection.useTls = useTls;
    connection.tlsVersion = tlsVersion;
    connection.verifyCertificate = verifyCertificate;
    connection.verifyCertificateStatus = verifyCertificateStatus;
    settings.connectTimeout = connectTimeout;
    settings.options = options.ForSend();
    return settings;
}

} // namespace SMTPClientNS
