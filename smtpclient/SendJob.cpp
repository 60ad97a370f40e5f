#include "SendJob.h"

#include <utility>

#include "NoThrow.h"
#include "Outcomes.h"
#include "SendPipeline.h"
#include "TransferTimeouts.h"
#include "log/SessionDialogue.h"
#include "log/TraceLog.h"

namespace SMTPClientNS {

namespace {

// No exception may unwind through libcurl: a trace line that finds no memory
// is lost, and the transfer goes on.
int GuardedTraceCallback(CURL* handle, curl_infotype type, char* data, size_t size, void* trace)
{
    return NoThrow(0, [&] { return TraceCallback(handle, type, data, size, trace); });
}

// A transfer on a kept connection that failed before any message data went
// out, because the connection was gone or the server said 421 (closing),
// may try once more on a new connection: the server cannot have taken the
// mail. Any other refusal stands.
bool ConnectionWasGone(CURL* curlHandle, CURLcode result)
{
    if (result == CURLE_OK || result == CURLE_OPERATION_TIMEDOUT
        || result == CURLE_ABORTED_BY_CALLBACK)
        return false;
    long newConnections = 0;
    long replyCode = 0;
    curl_off_t uploaded = 0;
    curl_easy_getinfo(curlHandle, CURLINFO_NUM_CONNECTS, &newConnections);
    curl_easy_getinfo(curlHandle, CURLINFO_RESPONSE_CODE, &replyCode);
    curl_easy_getinfo(curlHandle, CURLINFO_SIZE_UPLOAD_T, &uploaded);
    return newConnections == 0 && uploaded == 0 && (replyCode == 421 || replyCode < 400);
}

} // namespace

SendJob::SendJob(SendSettings settings, IMimeMessage* message, bool traced)
    : settings(std::move(settings)), traced(traced)
{
    if (message != nullptr)
        this->message = TakeMessageSnapshot(*message);
    trace.echoToStandardError = this->settings.options.traceToStandardError;
}

RawOutcome SendJob::Build()
{
    transfer = Transfer::Create();
    if (traced)
        StartTrace();
    if (!transfer.Created())
        return outcome = RawOutcome::BadState;
    return outcome = BuildRequest(transfer, settings, message);
}

RawOutcome SendJob::Perform(ConnectionLane& lane)
{
    if (rate != nullptr)
        rate->Pass();
    if (!settings.options.keepConnection)
        return outcome = OutcomeOf(PerformOnce(true));
    return outcome = NoThrow(OutcomeOf(CURLE_OUT_OF_MEMORY),
                             [&] { return OutcomeOf(PerformOnLane(lane)); });
}

CURLcode SendJob::PerformOnLane(ConnectionLane& lane)
{
    bool lastOnConnection = false;
    share = lane.Attach(transfer.Handle(), settings, lastOnConnection);
    CURLcode result = PerformOnce(lastOnConnection);
    if (ConnectionWasGone(transfer.Handle(), result)) {
        // A recipient refused by a closing server is tried again too.
        trace.dialogue.refusals.clear();
        lane.Note(transfer.Handle(), result, lastOnConnection);
        share = lane.Attach(transfer.Handle(), settings, lastOnConnection);
        result = PerformOnce(lastOnConnection);
    }
    lane.Note(transfer.Handle(), result, lastOnConnection);
    return result;
}

CURLcode SendJob::PerformOnce(bool closeConnection)
{
    if (!traced)
        return PerformTransfer(transfer.Handle(), nullptr, DialogueTrace{}, closeConnection);
    return PerformTransfer(transfer.Handle(), trace.errorBuffer,
                           DialogueTrace{GuardedTraceCallback, &trace}, closeConnection);
}

void SendJob::StartTrace()
{
    CURL* curlHandle = transfer.Handle();
    curl_easy_setopt(curlHandle, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curlHandle, CURLOPT_DEBUGFUNCTION, GuardedTraceCallback);
    curl_easy_setopt(curlHandle, CURLOPT_DEBUGDATA, &trace);
    StartSessionDialogue(trace, curlHandle);
}

} // namespace SMTPClientNS
