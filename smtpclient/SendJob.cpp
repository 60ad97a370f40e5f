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

} // namespace

SendJob::SendJob(SendSettings settings, IMimeMessage* message, bool traced)
    : settings(std::move(settings)), traced(traced)
{
    if (message != nullptr)
        this->message = TakeMessageSnapshot(*message);
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

RawOutcome SendJob::Perform()
{
    if (!traced)
        return outcome = OutcomeOf(PerformTransfer(transfer.Handle(), nullptr, DialogueTrace{}));
    return outcome = OutcomeOf(PerformTransfer(transfer.Handle(), trace.errorBuffer,
                                               DialogueTrace{GuardedTraceCallback, &trace}));
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
