#include "ResultMeanings.h"

#include <smtpclient/ISmtpClient.h>

namespace SmtpSend {

using namespace SMTPClientNS;

namespace {

struct Meaning {
    int resultCode;
    const char* text;
};

const Meaning kMeanings[] = {
    {kResultSuccess, "message sent"},
    {kResultGeneralError, "general error"},
    {kResultProxyConnectFailed, "could not connect through the proxy"},
    {kResultProxyNotResolved, "could not resolve the proxy host"},
    {kResultHostNotResolved, "could not resolve the server host"},
    {kResultConnectFailed, "could not connect to the server"},
    {kResultMalformedHost, "the server host is missing or malformed"},
    {kResultUnsupportedProtocol, "unsupported protocol"},
    {kResultTlsConnectFailed, "the TLS connection failed"},
    {kResultCertificateRejected, "the server certificate was not accepted"},
    {kResultCertificateAuthenticationFailed, "certificate authentication failed"},
    {kResultTimedOut, "the operation timed out"},
    {kResultLoginDenied, "the server denied the login"},
    {kResultSendFailed, "sending data to the server failed"},
    {kResultReceiveFailed, "receiving data from the server failed"},
    {kResultWrongCredentials, "wrong user name or password"},
    {kResultFileReadFailed, "a local file could not be read"},
    {kResultNoSender, "no sender was given"},
    {kResultNoRecipients, "no recipients were given"},
    {kResultConversionInvalidParameter, "text could not be converted: invalid parameter"},
    {kResultConversionOutOfMemory, "text could not be converted: out of memory"},
    {kResultConversionUnsupported, "the character set is not supported"},
    {kResultConversionFailed, "text could not be converted to the character set"},
};

} // namespace

const char* ResultMeaning(int resultCode)
{
    for (const Meaning& meaning : kMeanings) {
        if (meaning.resultCode == resultCode)
            return meaning.text;
    }
    return "unknown result";
}

std::vector<int> ResultCodesWithMeaning()
{
    std::vector<int> codes;
    for (const Meaning& meaning : kMeanings)
        codes.push_back(meaning.resultCode);
    return codes;
}

} // namespace SmtpSend
