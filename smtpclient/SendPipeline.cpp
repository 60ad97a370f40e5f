#include "SendPipeline.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "NoThrow.h"
#include "Outcomes.h"
#include "ProxyValues.h"
#include "ServerUrl.h"
#include "encoding/CodePage.h"
#include "mime/HeaderBuilder.h"
#include "mime/MimeBodyTree.h"
#include "mime/RecipientKinds.h"

namespace SMTPClientNS {

namespace {

// Proxy types as the client stores them, indexed by the stored number.
const long kProxyTypes[] = {CURLPROXY_SOCKS4, CURLPROXY_SOCKS4A, CURLPROXY_SOCKS5,
                            CURLPROXY_SOCKS5_HOSTNAME};

// CURLOPT_SSLVERSION by the client's TLS version; versions 1 to 4 pin both
// the lowest and the highest version allowed.
const long kTlsVersions[] = {
    CURL_SSLVERSION_DEFAULT,
    CURL_SSLVERSION_TLSv1_0 | CURL_SSLVERSION_MAX_TLSv1_0,
    CURL_SSLVERSION_TLSv1_1 | CURL_SSLVERSION_MAX_TLSv1_1,
    CURL_SSLVERSION_TLSv1_2 | CURL_SSLVERSION_MAX_TLSv1_2,
    CURL_SSLVERSION_TLSv1_3 | CURL_SSLVERSION_MAX_TLSv1_3,
};

std::string ReadProxyValue(ISmtpClient* client, int index)
{
    SmtpChar buffer[kProxyValueCapacity] = {};
    client->GetProxyValue(buffer, index);
    return ToAnsi(buffer);
}

long ParseDecimal(const std::string& text)
{
    return std::strtol(text.c_str(), nullptr, 10);
}

long ToCurlProxyType(long storedType)
{
    const long count = static_cast<long>(sizeof(kProxyTypes) / sizeof(kProxyTypes[0]));
    return storedType >= 0 && storedType < count ? kProxyTypes[storedType]
                                                 : static_cast<long>(CURLPROXY_SOCKS5);
}

void SetTlsOptions(CURL* curlHandle, ISmtpClient* client)
{
    if (!client->GetUseTls() && !UsesImplicitTls(client->GetPort())) {
        curl_easy_setopt(curlHandle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_NONE));
        return;
    }
    curl_easy_setopt(curlHandle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    const int version = client->GetTlsVersion();
    const int count = static_cast<int>(sizeof(kTlsVersions) / sizeof(kTlsVersions[0]));
    if (version >= 0 && version < count)
        curl_easy_setopt(curlHandle, CURLOPT_SSLVERSION, kTlsVersions[version]);
}

// With verification on, the host-name check stays at libcurl's default.
void SetCertificateOptions(CURL* curlHandle, ISmtpClient* client)
{
    if (client->GetVerifyCertificate() != 0) {
        curl_easy_setopt(curlHandle, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(curlHandle, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NATIVE_CA));
    } else {
        curl_easy_setopt(curlHandle, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curlHandle, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    curl_easy_setopt(curlHandle, CURLOPT_SSL_VERIFYSTATUS,
                     client->GetVerifyCertificateStatus() ? 1L : 0L);
}

// One entry in the list, line breaks and all.
int SetHeaderBlock(CURL* curlHandle, curl_slist** headerList, ISmtpClient* client)
{
    std::string header;
    const int rc = BuildHeaderBlock(client, header);
    if (rc < 0)
        return rc;
    *headerList = ThrowIfNull(curl_slist_append(*headerList, header.c_str()));
    curl_easy_setopt(curlHandle, CURLOPT_HTTPHEADER, *headerList);
    return rc;
}

// The addresses of one recipient kind, in the message's order.
void CollectRecipientKind(IMimeMessage* message, const RecipientKind& kind,
                          std::vector<WString>& addresses)
{
    const int count = (message->*kind.count)();
    for (int index = 1; index <= count; ++index)
        addresses.push_back((message->*kind.entry)(index, 0));
}

// curl_slist_append walks to the end of the list it is given; handing it the
// last node keeps a long recipient list linear to build.
curl_slist* LastNode(curl_slist* list)
{
    while (list != nullptr && list->next != nullptr)
        list = list->next;
    return list;
}

// The steps of BuildRequest, defined below it.
int SetConnectionOptions(CURL* curlHandle, ISmtpClient* client);
void SetProxyOptions(CURL* curlHandle, ISmtpClient* client);
int SetServerOptions(CURL* curlHandle, ISmtpClient* client);
int SetLoginOptions(CURL* curlHandle, ISmtpClient* client);
void SetOAuth2Option(CURL* curlHandle, ISmtpClient* client);
int SetRecipients(CURL* curlHandle, curl_slist** recipientList, ISmtpClient* client);
void CollectRecipients(ISmtpClient* client, std::vector<WString>& addresses);

int BuildRequestSteps(Transfer& transfer, ISmtpClient* client)
{
    CURL* curlHandle = transfer.Handle();
    if (!transfer.Created() || client == nullptr)
        return kOutcomeBadState;
    int rc = SetConnectionOptions(curlHandle, client);
    if (rc != 0)
        return rc;
    IMimeMessage* message = client->GetMimeMessage();
    if (message == nullptr)
        return kOutcomeBadState;
    const SmtpChar* sender = message->GetFrom(0);
    if (IsEmptyText(sender))
        return kOutcomeNoSender;
    ThrowIfOutOfMemory(curl_easy_setopt(curlHandle, CURLOPT_MAIL_FROM, ToAnsi(sender).c_str()));
    rc = SetRecipients(curlHandle, transfer.RecipientList(), client);
    if (rc != 0)
        return rc;
    rc = SetHeaderBlock(curlHandle, transfer.HeaderList(), client);
    if (rc != 0)
        return rc;
    rc = AddBodyParts(transfer.RootMime(), transfer.AlternativeMime(), client);
    if (rc != 0)
        return rc;
    AddInlineImageParts(transfer.RootMime(), transfer.RelatedMime(), client);
    AddAttachmentParts(transfer.RootMime(), transfer.MixedMime(), client);
    return curl_easy_setopt(curlHandle, CURLOPT_MIMEPOST, *transfer.RootMime());
}

} // namespace

// Memory that runs out anywhere in the build, in the library or in libcurl,
// fails the send like libcurl's own allocation failures; what was already
// attached to the slots is freed with the transfer.
int BuildRequest(Transfer& transfer, ISmtpClient* client)
{
    return NoThrow<int>(CURLE_OUT_OF_MEMORY, [&] { return BuildRequestSteps(transfer, client); });
}

namespace {

// Only the server and login results are checked.
int SetConnectionOptions(CURL* curlHandle, ISmtpClient* client)
{
    if (curlHandle == nullptr || client == nullptr)
        return 0;
    SetProxyOptions(curlHandle, client);
    int rc = SetServerOptions(curlHandle, client);
    if (rc != 0)
        return rc;
    const int timeout = client->GetConnectTimeout();
    if (timeout >= 0)
        curl_easy_setopt(curlHandle, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeout));
    rc = SetLoginOptions(curlHandle, client);
    if (rc != 0)
        return rc;
    SetOAuth2Option(curlHandle, client);
    SetTlsOptions(curlHandle, client);
    SetCertificateOptions(curlHandle, client);
    return 0;
}

// The client hands port and type out as text; they are parsed back here.
void SetProxyOptions(CURL* curlHandle, ISmtpClient* client)
{
    if (!client->GetUseProxy())
        return;
    ThrowIfOutOfMemory(
        curl_easy_setopt(curlHandle, CURLOPT_PROXY, ReadProxyValue(client, kProxyHost).c_str()));
    curl_easy_setopt(curlHandle, CURLOPT_PROXYPORT,
                     ParseDecimal(ReadProxyValue(client, kProxyPort)));
    curl_easy_setopt(curlHandle, CURLOPT_PROXYTYPE,
                     ToCurlProxyType(ParseDecimal(ReadProxyValue(client, kProxyType))));
    const std::string password = ReadProxyValue(client, kProxyPassword);
    const std::string user = ReadProxyValue(client, kProxyUser);
    if (user.empty() || password.empty())
        return;
    ThrowIfOutOfMemory(curl_easy_setopt(curlHandle, CURLOPT_PROXYUSERNAME, user.c_str()));
    ThrowIfOutOfMemory(curl_easy_setopt(curlHandle, CURLOPT_PROXYPASSWORD, password.c_str()));
}

// The port is passed unchecked: libcurl's refusal of an invalid one ends the
// build.
int SetServerOptions(CURL* curlHandle, ISmtpClient* client)
{
    const SmtpChar* host = client->GetHost();
    if (IsEmptyText(host))
        return CURLE_URL_MALFORMAT;
    const int port = client->GetPort();
    const std::string url = ServerUrl(ToAnsi(host), port);
    const int rc = curl_easy_setopt(curlHandle, CURLOPT_URL, url.c_str());
    if (rc != 0)
        return rc;
    return curl_easy_setopt(curlHandle, CURLOPT_PORT, static_cast<long>(port));
}

int SetLoginOptions(CURL* curlHandle, ISmtpClient* client)
{
    const SmtpChar* user = client->GetUser();
    const SmtpChar* password = client->GetPassword();
    if (user[0] != 0) {
        const int rc = curl_easy_setopt(curlHandle, CURLOPT_USERNAME, ToAnsi(user).c_str());
        if (rc != 0)
            return rc;
    }
    if (password[0] != 0) {
        const int rc = curl_easy_setopt(curlHandle, CURLOPT_PASSWORD, ToAnsi(password).c_str());
        if (rc != 0)
            return rc;
    }
    return 0;
}

void SetOAuth2Option(CURL* curlHandle, ISmtpClient* client)
{
    const SmtpChar* token = client->GetOAuth2Token();
    if (token[0] != 0)
        ThrowIfOutOfMemory(
            curl_easy_setopt(curlHandle, CURLOPT_XOAUTH2_BEARER, ToAnsi(token).c_str()));
}

int SetRecipients(CURL* curlHandle, curl_slist** recipientList, ISmtpClient* client)
{
    if (curlHandle == nullptr || client == nullptr || client->GetMimeMessage() == nullptr)
        return kOutcomeBadState;
    std::vector<WString> addresses;
    CollectRecipients(client, addresses);
    if (addresses.empty())
        return kOutcomeNoRecipients;
    // A list cut short would send to fewer recipients than asked: a failed
    // append fails the build, and the slot keeps what was appended.
    curl_slist* last = LastNode(*recipientList);
    for (const WString& address : addresses) {
        curl_slist* grown = ThrowIfNull(curl_slist_append(last, ToAnsi(address.c_str()).c_str()));
        if (*recipientList == nullptr)
            *recipientList = grown;
        last = LastNode(grown);
    }
    curl_easy_setopt(curlHandle, CURLOPT_MAIL_RCPT, *recipientList);
    return 0;
}

// Every address goes in unchanged: duplicates stay, nothing is trimmed.
void CollectRecipients(ISmtpClient* client, std::vector<WString>& addresses)
{
    IMimeMessage* message = client->GetMimeMessage();
    if (message == nullptr)
        return;
    for (const RecipientKind& kind : kRecipientKinds)
        CollectRecipientKind(message, kind, addresses);
}

} // namespace

} // namespace SMTPClientNS
