// One send: the client's settings and its message as they were when the host
// asked for it, the libcurl transfer built from them, the send's log and its
// outcome. Made on the host's thread; from then on nothing of the send reads
// the client or the host's message, so a job can run on any thread, beside
// the jobs of other clients.
#ifndef SMTPCLIENT_SENDJOB_H
#define SMTPCLIENT_SENDJOB_H

#include <memory>
#include <optional>

#include "ConnectionLane.h"
#include "IMimeMessage.h"
#include "Outcomes.h"
#include "RateGate.h"
#include "SendSettings.h"
#include "Transfer.h"
#include "log/SendTrace.h"
#include "mime/MessageSnapshot.h"

namespace SMTPClientNS {

class SendJob {
public:
    // A job without settings or message: the log of a client that has not
    // sent yet.
    SendJob() = default;
    // Copies the message (none when it is null). A traced job reports
    // libcurl's trace into its own log. Throws std::bad_alloc.
    SendJob(SendSettings settings, IMimeMessage* message, bool traced);
    SendJob(const SendJob&) = delete;
    SendJob& operator=(const SendJob&) = delete;

    // Makes the transfer and builds the request: 0, or the raw outcome that
    // stopped the build. Never throws.
    RawOutcome Build();
    // Waits for the rate, when one is set, and runs the built transfer on
    // the calling thread, on the lane's kept connection when the settings
    // keep one; the raw outcome. A kept connection that the server closed
    // before it took anything of this mail is replaced once.
    RawOutcome Perform(ConnectionLane& lane);
    // The client's rate, shared with its other sends.
    void LimitRate(std::shared_ptr<RateGate> gate) { rate = std::move(gate); }
    // Ends a job that will not run, as a bad state.
    void EndUnrun() { outcome = RawOutcome::BadState; }

    const SendSettings& Settings() const { return settings; }
    const std::optional<MessageSnapshot>& Message() const { return message; }
    SendTrace& Trace() { return trace; }
    // The raw outcome of the last step that ran.
    RawOutcome Outcome() const { return outcome; }

private:
    void StartTrace();
    CURLcode PerformOnce(bool closeConnection);
    CURLcode PerformOnLane(ConnectionLane& lane);

    SendSettings settings;
    std::optional<MessageSnapshot> message;
    bool traced = false;
    RawOutcome outcome = RawOutcome::Success;
    SendTrace trace;
    std::shared_ptr<RateGate> rate;
    // The kept connections the transfer is attached to; they outlive it.
    std::shared_ptr<ConnectionShare> share;
    // Declared last, so that it is freed before the trace it reports into:
    // libcurl may trace until curl_easy_cleanup.
    Transfer transfer;
};

} // namespace SMTPClientNS

#endif
