// How long a transfer may stand still before it is given up: data that does
// not move, and a server reply that does not come.
#ifndef SMTPCLIENT_TRANSFERTIMEOUTS_H
#define SMTPCLIENT_TRANSFERTIMEOUTS_H

#include <curl/curl.h>

namespace SMTPClientNS {

struct TransferBounds {
    long dataStallMs; // message data that has not moved
    long replyWaitMs; // a reply that has not come, each one on its own
};

// The bounds every transfer runs under (TransferBounds.cpp). The suite's
// time-out tests link a definition of their own with shorter bounds.
extern const TransferBounds kTransferBounds;

// The bound for a transfer that stands still with these upload counts: the
// data bound while message data is under way, the reply bound before and
// after (and for an upload of unknown size, the longer one).
long StallBoundMs(curl_off_t uploadTotal, curl_off_t uploaded);

// Where libcurl's report of the dialogue (CURLOPT_DEBUGFUNCTION) goes on
// to, besides the bounds' own watch; none when function is null.
struct DialogueTrace {
    curl_debug_callback function;
    void* data;
};

// curl_easy_perform under the bounds: a transfer that stands still longer
// ends in CURLE_OPERATION_TIMEDOUT. errorBuffer, when not null, is the
// handle's CURLOPT_ERRORBUFFER; such a transfer then says there which bound
// it passed, where libcurl would only say that a callback aborted it. The
// trace gets libcurl's report of the dialogue during the perform, and is
// the handle's debug callback (with CURLOPT_VERBOSE) afterwards. The same
// reply lines tell the SMTPUTF8 gate what the server offers; a transfer the
// gate stops ends in CURLE_ABORTED_BY_CALLBACK and says why there. With
// closeConnection false the connection stays open for the next transfer.
CURLcode PerformTransfer(CURL* curlHandle, char* errorBuffer, DialogueTrace trace,
                         bool closeConnection);

} // namespace SMTPClientNS

#endif
