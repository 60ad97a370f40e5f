#include "Smtputf8Gate.h"

#include <cstdio>
#include <cstring>

namespace SMTPClientNS {

namespace {

const char kExtension[] = "SMTPUTF8";

// CURLOPT_PREREQFUNCTION: libcurl calls it once the SMTP connection is set
// up (greeting, EHLO, STARTTLS, login) and before MAIL FROM.
int CheckSmtputf8(void* data, char*, char*, int, int)
{
    Smtputf8Offer* offer = static_cast<Smtputf8Offer*>(data);
    if (offer != nullptr && offer->offered)
        return CURL_PREREQFUNC_OK;
    if (offer != nullptr)
        offer->refused = true;
    return CURL_PREREQFUNC_ABORT;
}

bool StartsWith(const char* line, size_t size, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    return size >= length && std::memcmp(line, prefix, length) == 0;
}

} // namespace

void RequireSmtputf8(CURL* handle)
{
    curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, CheckSmtputf8);
}

void WatchSmtputf8Offer(CURL* handle, Smtputf8Offer* offer)
{
    curl_easy_setopt(handle, CURLOPT_PREREQDATA, offer);
}

// An EHLO reply names one extension per line after "250-" or "250 ", in
// the letter case libcurl looks for. A 220 reply (the greeting, or the
// go-ahead for STARTTLS) comes before the EHLO whose reply counts.
void NoteSmtputf8Offer(Smtputf8Offer& offer, const char* line, size_t size)
{
    if (StartsWith(line, size, "220")) {
        offer.offered = false;
        return;
    }
    const bool ehloLine = StartsWith(line, size, "250-") || StartsWith(line, size, "250 ");
    if (ehloLine && StartsWith(line + 4, size - 4, kExtension))
        offer.offered = true;
}

void DescribeSmtputf8Refusal(char* errorBuffer)
{
    std::snprintf(errorBuffer, CURL_ERROR_SIZE,
                  "The server does not offer %s, which an address of this mail needs "
                  "(it is not ASCII); nothing was sent",
                  kExtension);
}

} // namespace SMTPClientNS
