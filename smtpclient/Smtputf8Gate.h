// SMTPUTF8 (RFC 6531) for an envelope whose addresses hold 8-bit bytes.
// libcurl asks for it in MAIL FROM when the server offers it, and sends such
// addresses all the same when the server does not. The gate stops that
// transfer after the server's greeting and login, before the mail
// transaction starts: nothing of the mail is sent.
#ifndef SMTPCLIENT_SMTPUTF8GATE_H
#define SMTPCLIENT_SMTPUTF8GATE_H

#include <curl/curl.h>

#include <cstddef>

namespace SMTPClientNS {

// What the server's last EHLO reply offered, and whether the gate stopped
// the transfer for want of it.
struct Smtputf8Offer {
    bool offered = false;
    bool refused = false;
};

// Makes the transfer on handle need SMTPUTF8: it ends in
// CURLE_ABORTED_BY_CALLBACK before MAIL FROM unless the offer that
// WatchSmtputf8Offer points it at holds SMTPUTF8.
void RequireSmtputf8(CURL* handle);

// Points the transfer's check at offer; with nullptr, a transfer that needs
// SMTPUTF8 stops.
void WatchSmtputf8Offer(CURL* handle, Smtputf8Offer* offer);

// One reply line of the server, as libcurl's header callback hands it.
void NoteSmtputf8Offer(Smtputf8Offer& offer, const char* line, size_t size);

// Says in errorBuffer (CURL_ERROR_SIZE bytes) why the gate stopped the transfer.
void DescribeSmtputf8Refusal(char* errorBuffer);

} // namespace SMTPClientNS

#endif
