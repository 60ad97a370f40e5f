#include "TransferTimeouts.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "Smtputf8Gate.h"

namespace SMTPClientNS {

namespace {

typedef std::chrono::steady_clock Clock;

// libcurl's own reply time-out, put out of the way while the clock below
// keeps the bounds: libcurl 8 counts the wait for the reply to the final dot
// from the 354 reply, so a long upload would shorten it.
const long kLibcurlReplyWaitOffSeconds = 24L * 60 * 60;

// When the transfer last moved: it started, a reply line came, or message
// data went out.
struct TransferClock {
    explicit TransferClock(DialogueTrace trace) : trace(trace) {}

    DialogueTrace trace;
    Clock::time_point lastMove = Clock::now();
    curl_off_t uploaded = 0;
    bool expired = false;
    bool expiredInData = false;  // the data bound ran out, not a reply's
    bool dataUnanswered = false; // message data went out, no reply came since
    bool quitInData = false;
    Smtputf8Offer smtputf8; // read from the same reply lines
};

// Message data is under way once some of it went out and until all of it
// did; before and after, the client waits for a reply.
bool MessageUnderWay(curl_off_t uploadTotal, curl_off_t uploaded)
{
    return uploaded > 0 && uploaded < uploadTotal;
}

// CURLOPT_XFERINFOFUNCTION: libcurl calls it at least about once a second,
// also while nothing moves. Once expired, it stays so, and so ends the QUIT
// wait that libcurl may still run.
int WatchProgress(void* data, curl_off_t, curl_off_t, curl_off_t uploadTotal, curl_off_t uploaded)
{
    TransferClock& clock = *static_cast<TransferClock*>(data);
    if (clock.quitInData)
        return 1;
    const Clock::time_point now = Clock::now();
    if (uploaded != clock.uploaded) {
        clock.uploaded = uploaded;
        clock.lastMove = now;
    }
    if (!clock.expired
        && now - clock.lastMove >= std::chrono::milliseconds(StallBoundMs(uploadTotal, uploaded))) {
        clock.expired = true;
        clock.expiredInData = MessageUnderWay(uploadTotal, uploaded);
    }
    return clock.expired ? 1 : 0;
}

// CURLOPT_HEADERFUNCTION: libcurl hands it every reply line of the server.
size_t NoteReply(char* line, size_t size, size_t count, void* data)
{
    TransferClock& clock = *static_cast<TransferClock*>(data);
    clock.lastMove = Clock::now();
    NoteSmtputf8Offer(clock.smtputf8, line, size * count);
    return size * count;
}

bool IsQuit(const char* text, size_t size)
{
    return size >= 4 && std::memcmp(text, "QUIT", 4) == 0;
}

// CURLOPT_DEBUGFUNCTION: passes libcurl's report on to the trace. When
// libcurl cannot allocate the end-of-data line, it ends the transfer
// without sending it and closes the connection with a QUIT that goes out as
// more message data: the server, still reading the message, never answers,
// so that QUIT is not waited for.
int WatchDialogue(CURL* curlHandle, curl_infotype type, char* text, size_t size, void* data)
{
    TransferClock& clock = *static_cast<TransferClock*>(data);
    if (type == CURLINFO_DATA_OUT)
        clock.dataUnanswered = true;
    else if (type == CURLINFO_HEADER_IN)
        clock.dataUnanswered = false;
    else if (type == CURLINFO_HEADER_OUT && clock.dataUnanswered && IsQuit(text, size))
        clock.quitInData = true;
    if (clock.trace.function == nullptr)
        return 0;
    return clock.trace.function(curlHandle, type, text, size, clock.trace.data);
}

// A connection that is not kept is closed before the perform returns, so
// that the QUIT it sends waits under the clock too, not later when the
// handle is freed, with libcurl's reply time-out as it was during the
// transfer.
void WatchTransfer(CURL* curlHandle, TransferClock* clock, bool closeConnection)
{
    curl_easy_setopt(curlHandle, CURLOPT_FORBID_REUSE, closeConnection ? 1L : 0L);
    curl_easy_setopt(curlHandle, CURLOPT_SERVER_RESPONSE_TIMEOUT, kLibcurlReplyWaitOffSeconds);
    curl_easy_setopt(curlHandle, CURLOPT_XFERINFOFUNCTION, WatchProgress);
    curl_easy_setopt(curlHandle, CURLOPT_XFERINFODATA, clock);
    curl_easy_setopt(curlHandle, CURLOPT_HEADERFUNCTION, NoteReply);
    curl_easy_setopt(curlHandle, CURLOPT_HEADERDATA, clock);
    curl_easy_setopt(curlHandle, CURLOPT_DEBUGFUNCTION, WatchDialogue);
    curl_easy_setopt(curlHandle, CURLOPT_DEBUGDATA, clock);
    curl_easy_setopt(curlHandle, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curlHandle, CURLOPT_NOPROGRESS, 0L);
    WatchSmtputf8Offer(curlHandle, &clock->smtputf8);
}

// The clock lives only as long as the perform; the trace takes over.
void StopWatching(CURL* curlHandle, DialogueTrace trace)
{
    curl_easy_setopt(curlHandle, CURLOPT_DEBUGFUNCTION, trace.function);
    curl_easy_setopt(curlHandle, CURLOPT_DEBUGDATA, trace.data);
    curl_easy_setopt(curlHandle, CURLOPT_VERBOSE, trace.function != nullptr ? 1L : 0L);
    curl_easy_setopt(curlHandle, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(curlHandle, CURLOPT_XFERINFOFUNCTION, nullptr);
    curl_easy_setopt(curlHandle, CURLOPT_XFERINFODATA, nullptr);
    curl_easy_setopt(curlHandle, CURLOPT_HEADERFUNCTION, nullptr);
    curl_easy_setopt(curlHandle, CURLOPT_HEADERDATA, nullptr);
    curl_easy_setopt(curlHandle, CURLOPT_SERVER_RESPONSE_TIMEOUT, 0L);
    WatchSmtputf8Offer(curlHandle, nullptr);
}

void DescribeExpiry(const TransferClock& clock, char* errorBuffer)
{
    const long boundMs =
        clock.expiredInData ? kTransferBounds.dataStallMs : kTransferBounds.replyWaitMs;
    std::snprintf(errorBuffer, CURL_ERROR_SIZE, "%s for %ld seconds",
                  clock.expiredInData ? "The server took no message data"
                                      : "No reply came from the server",
                  boundMs / 1000);
}

} // namespace

long StallBoundMs(curl_off_t uploadTotal, curl_off_t uploaded)
{
    return MessageUnderWay(uploadTotal, uploaded) ? kTransferBounds.dataStallMs
                                                  : kTransferBounds.replyWaitMs;
}

CURLcode PerformTransfer(CURL* curlHandle, char* errorBuffer, DialogueTrace trace,
                         bool closeConnection)
{
    TransferClock clock(trace);
    WatchTransfer(curlHandle, &clock, closeConnection);
    CURLcode result = curl_easy_perform(curlHandle);
    StopWatching(curlHandle, trace);
    if (result == CURLE_ABORTED_BY_CALLBACK && clock.expired) {
        result = CURLE_OPERATION_TIMEDOUT;
        if (errorBuffer != nullptr)
            DescribeExpiry(clock, errorBuffer);
    }
    if (result == CURLE_ABORTED_BY_CALLBACK && clock.smtputf8.refused && errorBuffer != nullptr)
        DescribeSmtputf8Refusal(errorBuffer);
    return result;
}

} // namespace SMTPClientNS
