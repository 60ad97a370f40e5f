#include "ConnectionLane.h"

#include "NoThrow.h"
#include "SendPipeline.h"

namespace SMTPClientNS {

namespace {

// How long the close waits for each reply: the host is releasing the client
// or its worker is ending, and the mails are already delivered.
const long kCloseWaitSeconds = 3;

} // namespace

ConnectionLane::~ConnectionLane()
{
    CloseKeptConnection();
}

// libcurl would close the connection as the share goes too, but then waits
// for the reply to QUIT as long as its own reply time-out; a request of our
// own on the connection closes it under a short one.
void ConnectionLane::CloseKeptConnection()
{
    if (share == nullptr)
        return;
    CURL* curlHandle = curl_easy_init();
    if (curlHandle == nullptr)
        return;
    curl_easy_setopt(curlHandle, CURLOPT_SHARE, share->Handle());
    if (BuildClosingRequest(curlHandle, settings, kCloseWaitSeconds) == RawOutcome::Success)
        curl_easy_perform(curlHandle);
    curl_easy_cleanup(curlHandle);
}

std::shared_ptr<ConnectionShare>
ConnectionLane::Attach(CURL* curlHandle, const SendSettings& sendSettings, bool& lastOnConnection)
{
    if (share == nullptr || !(settings.connection == sendSettings.connection)) {
        std::shared_ptr<ConnectionShare> fresh = std::make_shared<ConnectionShare>();
        CloseKeptConnection();
        settings = sendSettings;
        share = std::move(fresh);
        mailsOnConnection = 0;
    }
    const int32_t cap = sendSettings.options.messagesPerConnection;
    lastOnConnection = cap > 0 && mailsOnConnection + 1 >= cap;
    curl_easy_setopt(curlHandle, CURLOPT_SHARE, share->Handle());
    return share;
}

void ConnectionLane::Note(CURL* curlHandle, CURLcode result, bool lastOnConnection)
{
    long newConnections = 0;
    curl_easy_getinfo(curlHandle, CURLINFO_NUM_CONNECTS, &newConnections);
    mailsOnConnection = newConnections > 0 ? 1 : mailsOnConnection + 1;
    if (result != CURLE_OK || lastOnConnection) {
        share.reset();
        mailsOnConnection = 0;
    }
}

} // namespace SMTPClientNS
