#include "ResultMeanings.h"

namespace SmtpSend {

namespace {

struct Meaning {
    int resultCode;
    const char* text;
};

const Meaning kMeanings[] = {
    {1, "message sent"},
    {-1, "general error"},
    {-2, "could not connect through the proxy"},
    {-3, "could not resolve the proxy host"},
    {-4, "could not resolve the server host"},
    {-5, "could not connect to the server"},
    {-6, "the server host is missing or malformed"},
    {-7, "unsupported protocol"},
    {-8, "the TLS connection failed"},
    {-9, "the server certificate was not accepted"},
    {-10, "certificate authentication failed"},
    {-11, "the operation timed out"},
    {-12, "the server denied the login"},
    {-13, "sending data to the server failed"},
    {-14, "receiving data from the server failed"},
    {-15, "wrong user name or password"},
    {-16, "a local file could not be read"},
    {-17, "no sender was given"},
    {-18, "no recipients were given"},
    {-19, "text could not be converted: invalid parameter"},
    {-20, "text could not be converted: out of memory"},
    {-21, "the character set is not supported"},
    {-22, "text could not be converted to the character set"},
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
