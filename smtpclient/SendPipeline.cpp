#include "SendPipeline.h"

#include <string>
#include <vector>

#include "NoThrow.h"
#include "Outcomes.h"
#include "ServerUrl.h"
#include "Smtputf8Gate.h"
#include "mime/HeaderBuilder.h"
#include "mime/MimeBodyTree.h"
#include "mime/WireAddress.h"

namespace SMTPClientNS {

namespace {

// libcurl 7.69 to 8.1 spell the option with three Ls; 8.2 corrected the
// name and deprecated the old one, which names the same option.
#if LIBCURL_VERSION_NUM >= 0x080200
const CURLoption kRecipientFailuresAllowed = CURLOPT_MAIL_RCPT_ALLOWFAILS;
#else
const CURLoption kRecipientFailuresAllowed = CURLOPT_MAIL_RCPT_ALLLOWFAILS;
#endif

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

long ToCurlProxyType(long storedType)
{
    const long count = static_cast<long>(sizeof(kProxyTypes) / sizeof(kProxyTypes[0]));
    return storedType >= 0 && storedType < count ? kProxyTypes[storedType]
                                                 : static_cast<long>(CURLPROXY_SOCKS5);
}

void SetTlsOptions(CURL* curlHandle, const ConnectionSettings& connection)
{
    if (!connection.useTls && !UsesImplicitTls(connection.port)) {
        curl_easy_setopt(curlHandle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_NONE));
        return;
    }
    curl_easy_setopt(curlHandle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    const int version = connection.tlsVersion;
    const int count = static_cast<int>(sizeof(kTlsVersions) / sizeof(kTlsVersions[0]));
    if (version >= 0 && version < count)
        curl_easy_setopt(curlHandle, CURLOPT_SSLVERSION, kTlsVersions[version]);
}

// With verification on, the host-name check stays at libcurl's default.
void SetCertificateOptions(CURL* curlHandle, const ConnectionSettings& connection)
{
    if (connection.verifyCertificate != 0) {
        curl_easy_setopt(curlHandle, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(curlHandle, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NATIVE_CA));
    } else {
        curl_easy_setopt(curlHandle, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curlHandle, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    curl_easy_setopt(curlHandle, CURLOPT_SSL_VERIFYSTATUS,
                     connection.verifyCertificateStatus ? 1L : 0L);
}

// One entry in the list, line breaks and all.
int SetHeaderBlock(CURL* curlHandle, curl_slist** headerList, const MessageSnapshot& message)
{
    std::string header;
    const int rc = BuildHeaderBlock(message, header);
    if (rc < 0)
        return rc;
    *headerList = ThrowIfNull(curl_slist_append(*headerList, header.c_str()));
    curl_easy_setopt(curlHandle, CURLOPT_HTTPHEADER, *headerList);
    return rc;
}

// curl_slist_append walks to the end of the list it is given; handing it the
// last node keeps a long recipient list linear to build.
curl_slist* LastNode(curl_slist* list)
{
    while (list != nullptr && list->next != nullptr)
        list = list->next;
    return list;
}

// An envelope address that only SMTPUTF8 may carry makes the transfer
// need it.
void RequireSmtputf8IfNeeded(CURL* curlHandle, const std::string& sender,
                             const curl_slist* recipients)
{
    bool needed = NeedsSmtputf8(sender);
    for (; recipients != nullptr && !needed; recipients = recipients->next)
        needed = NeedsSmtputf8(recipients->data);
    if (needed)
        RequireSmtputf8(curlHandle);
}

// The steps of BuildRequest, defined below it.
int SetConnectionOptions(CURL* curlHandle, const SendSettings& settings);
void SetProxyOptions(CURL* curlHandle, const ConnectionSettings& connection);
int SetServerOptions(CURL* curlHandle, const ConnectionSettings& connection);
int SetLoginOptions(CURL* curlHandle, const ConnectionSettings& connection);
void SetOAuth2Option(CURL* curlHandle, const ConnectionSettings& connection);
int SetRecipients(CURL* curlHandle, curl_slist** recipientList, const MessageSnapshot& message);

RawOutcome BuildRequestSteps(Transfer& transfer, const SendSettings& settings,
                             const std::optional<MessageSnapshot>& message)
{
    CURL* curlHandle = transfer.Handle();
    if (!transfer.Created())
        return RawOutcome::BadState;
    int rc = SetConnectionOptions(curlHandle, settings);
    if (rc != 0)
        return OutcomeOfStep(rc);
    if (!message)
        return RawOutcome::BadState;
    const WString& sender = message->sender.address;
    if (sender.empty())
        return RawOutcome::NoSender;
    const std::string from = WireAddress(sender.c_str());
    ThrowIfOutOfMemory(curl_easy_setopt(curlHandle, CURLOPT_MAIL_FROM, from.c_str()));
    rc = SetRecipients(curlHandle, transfer.RecipientList(), *message);
    if (rc != 0)
        return OutcomeOfStep(rc);
    if (settings.options.partialDelivery)
        curl_easy_setopt(curlHandle, kRecipientFailuresAllowed, 1L);
    RequireSmtputf8IfNeeded(curlHandle, from, *transfer.RecipientList());
    rc = SetHeaderBlock(curlHandle, transfer.HeaderList(), *message);
    if (rc != 0)
        return OutcomeOfStep(rc);
    rc = AddBodyParts(transfer.RootMime(), transfer.AlternativeMime(), *message);
    if (rc != 0)
        return OutcomeOfStep(rc);
    AddInlineImageParts(transfer.RootMime(), transfer.RelatedMime(), *message);
    AddAttachmentParts(transfer.RootMime(), transfer.MixedMime(), *message);
    return OutcomeOf(curl_easy_setopt(curlHandle, CURLOPT_MIMEPOST, *transfer.RootMime()));
}

} // namespace

// Memory that runs out anywhere in the build, in the library or in libcurl,
// fails the send like libcurl's own allocation failures; what was already
// attached to the slots is freed with the transfer.
RawOutcome BuildRequest(Transfer& transfer, const SendSettings& settings,
                        const std::optional<MessageSnapshot>& message)
{
    return NoThrow(OutcomeOf(CURLE_OUT_OF_MEMORY),
                   [&] { return BuildRequestSteps(transfer, settings, message); });
}

namespace {

size_t DiscardReply(char*, size_t size, size_t count, void*)
{
    return size * count;
}

// Reusing a connection opens no socket: refusing every socket keeps the
// request on the kept connection or ends it.
curl_socket_t RefuseSocket(void*, curlsocktype, curl_sockaddr*)
{
    return CURL_SOCKET_BAD;
}

} // namespace

RawOutcome BuildClosingRequest(CURL* curlHandle, const SendSettings& settings, long waitSeconds)
{
    return NoThrow(OutcomeOf(CURLE_OUT_OF_MEMORY), [&] {
        const int rc = SetConnectionOptions(curlHandle, settings);
        if (rc != 0)
            return OutcomeOfStep(rc);
        curl_easy_setopt(curlHandle, CURLOPT_OPENSOCKETFUNCTION, RefuseSocket);
        curl_easy_setopt(curlHandle, CURLOPT_WRITEFUNCTION, DiscardReply);
        curl_easy_setopt(curlHandle, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(curlHandle, CURLOPT_TIMEOUT, waitSeconds);
        curl_easy_setopt(curlHandle, CURLOPT_SERVER_RESPONSE_TIMEOUT, waitSeconds);
        return OutcomeOf(curl_easy_setopt(curlHandle, CURLOPT_CUSTOMREQUEST, "NOOP"));
    });
}

namespace {

// Only the server and login results are checked.
int SetConnectionOptions(CURL* curlHandle, const SendSettings& settings)
{
    const ConnectionSettings& connection = settings.connection;
    SetProxyOptions(curlHandle, connection);
    int rc = SetServerOptions(curlHandle, connection);
    if (rc != 0)
        return rc;
    if (settings.connectTimeout >= 0)
        curl_easy_setopt(curlHandle, CURLOPT_CONNECTTIMEOUT,
                         static_cast<long>(settings.connectTimeout));
    rc = SetLoginOptions(curlHandle, connection);
    if (rc != 0)
        return rc;
    SetOAuth2Option(curlHandle, connection);
    SetTlsOptions(curlHandle, connection);
    SetCertificateOptions(curlHandle, connection);
    return 0;
}

void SetProxyOptions(CURL* curlHandle, const ConnectionSettings& connection)
{
    if (!connection.useProxy)
        return;
    const ProxyRoute& proxy = connection.proxy;
    ThrowIfOutOfMemory(curl_easy_setopt(curlHandle, CURLOPT_PROXY, proxy.host.c_str()));
    curl_easy_setopt(curlHandle, CURLOPT_PROXYPORT, static_cast<long>(proxy.port));
    curl_easy_setopt(curlHandle, CURLOPT_PROXYTYPE, ToCurlProxyType(proxy.type));
    if (proxy.user.empty() || proxy.password.empty())
        return;
    ThrowIfOutOfMemory(curl_easy_setopt(curlHandle, CURLOPT_PROXYUSERNAME, proxy.user.c_str()));
    ThrowIfOutOfMemory(curl_easy_setopt(curlHandle, CURLOPT_PROXYPASSWORD, proxy.password.c_str()));
}

// The port is passed unchecked: libcurl's refusal of an invalid one ends the
// build.
int SetServerOptions(CURL* curlHandle, const ConnectionSettings& connection)
{
    if (connection.host.empty())
        return CURLE_URL_MALFORMAT;
    const std::string url = ServerUrl(connection.host, connection.port);
    const int rc = curl_easy_setopt(curlHandle, CURLOPT_URL, url.c_str());
    if (rc != 0)
        return rc;
    return curl_easy_setopt(curlHandle, CURLOPT_PORT, static_cast<long>(connection.port));
}

int SetLoginOptions(CURL* curlHandle, const ConnectionSettings& connection)
{
    if (!connection.user.empty()) {
        const int rc = curl_easy_setopt(curlHandle, CURLOPT_USERNAME, connection.user.c_str());
        if (rc != 0)
            return rc;
    }
    if (!connection.password.empty()) {
        const int rc = curl_easy_setopt(curlHandle, CURLOPT_PASSWORD, connection.password.c_str());
        if (rc != 0)
            return rc;
    }
    return 0;
}

void SetOAuth2Option(CURL* curlHandle, const ConnectionSettings& connection)
{
    if (!connection.oauth2Token.empty())
        ThrowIfOutOfMemory(
            curl_easy_setopt(curlHandle, CURLOPT_XOAUTH2_BEARER, connection.oauth2Token.c_str()));
}

// Every address goes in unchanged, To, then Cc, then Bcc: duplicates stay,
// nothing is trimmed.
int SetRecipients(CURL* curlHandle, curl_slist** recipientList, const MessageSnapshot& message)
{
    std::vector<std::string> addresses;
    for (const std::vector<RecipientEntry>& kind : message.recipients) {
        for (const RecipientEntry& entry : kind)
            addresses.push_back(WireAddress(entry.address.c_str()));
    }
    if (addresses.empty())
        return ValueOf(RawOutcome::NoRecipients);
    // A list cut short would send to fewer recipients than asked: a failed
    // append fails the build, and the slot keeps what was appended.
    curl_slist* last = LastNode(*recipientList);
    for (const std::string& address : addresses) {
        curl_slist* grown = ThrowIfNull(curl_slist_append(last, address.c_str()));
        if (*recipientList == nullptr)
            *recipientList = grown;
        last = LastNode(grown);
    }
    curl_easy_setopt(curlHandle, CURLOPT_MAIL_RCPT, *recipientList);
    return 0;
}

} // namespace

} // namespace SMTPClientNS
