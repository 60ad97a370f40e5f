#include "ClientSetup.h"

#include "Errors.h"
#include "InterfaceText.h"

namespace SmtpSend {

namespace {

using SMTPClientNS::ISmtpClient;

void SetServer(ISmtpClient& client, const SendOptions& options)
{
    client.SetHost(InterfaceText(options.server, "--server").c_str());
    client.SetPort(options.port);
    if (options.connectTimeout >= 0)
        client.SetConnectTimeout(options.connectTimeout);
}

void SetSecurity(ISmtpClient& client, const SendOptions& options)
{
    client.SetUseTls(options.useTls);
    client.SetTlsVersion(options.tlsVersion);
    client.SetVerifyCertificate(options.verifyCertificate ? 1 : 0);
    client.SetVerifyCertificateStatus(options.verifyStatus);
}

void SetLogin(ISmtpClient& client, const SendOptions& options, const Credentials& credentials)
{
    client.SetUser(InterfaceText(options.user, "--user").c_str());
    client.SetPassword(InterfaceText(credentials.password, "the password").c_str());
    client.SetOAuth2Token(InterfaceText(credentials.oauth2Token, "the OAuth 2.0 token").c_str());
}

void SetProxy(ISmtpClient& client, const ProxyUrl& proxy)
{
    const WText host = InterfaceText(proxy.host, "the proxy host");
    const WText user = InterfaceText(proxy.user, "the proxy user");
    const WText password = InterfaceText(proxy.password, "the proxy password");
    if (client.SetProxy(host.c_str(), proxy.port, proxy.type, user.c_str(), password.c_str()) != 1)
        throw InputError("the proxy \"" + proxy.host + "\" is not accepted");
}

// Only what the command line gives is set; the rest stays the library's.
void SetBulkOptions(ISmtpClient& client, const SendOptions& options)
{
    if (options.keepConnection)
        client.SetOption(SMTPClientNS::kOptionKeepConnection, 1);
    if (options.connections > 0)
        client.SetOption(SMTPClientNS::kOptionAsyncConnections, options.connections);
    if (options.maxPerConnection >= 0)
        client.SetOption(SMTPClientNS::kOptionMessagesPerConnection, options.maxPerConnection);
    if (options.rate >= 0)
        client.SetOption(SMTPClientNS::kOptionMessagesPerMinute, options.rate);
    if (options.partial)
        client.SetOption(SMTPClientNS::kOptionPartialDelivery, 1);
}

} // namespace

void ConfigureClient(ISmtpClient& client, const SendOptions& options,
                     const Credentials& credentials)
{
    SetServer(client, options);
    SetSecurity(client, options);
    SetLogin(client, options, credentials);
    if (options.useProxy)
        SetProxy(client, options.proxy);
    SetBulkOptions(client, options);
    if (!options.logFile.empty())
        client.SetLogFile(InterfaceText(options.logFile, "--log").c_str(), options.logAppend);
}

} // namespace SmtpSend
