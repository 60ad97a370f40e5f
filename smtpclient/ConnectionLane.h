// The kept connection of one sender (the client's Send, or one asynchronous
// worker): the share that carries it from mail to mail, the settings it was
// made under, and how many mails it has carried. Used by one thread at a
// time.
#ifndef SMTPCLIENT_CONNECTIONLANE_H
#define SMTPCLIENT_CONNECTIONLANE_H

#include <curl/curl.h>

#include <cstdint>
#include <memory>

#include "ConnectionShare.h"
#include "SendSettings.h"

namespace SMTPClientNS {

class ConnectionLane {
public:
    ConnectionLane() = default;
    // Closes the kept connection with QUIT, waiting a few seconds at most.
    ~ConnectionLane();
    ConnectionLane(const ConnectionLane&) = delete;
    ConnectionLane& operator=(const ConnectionLane&) = delete;

    // Attaches the transfer to the lane's share, a new one when the
    // connection settings changed or the last transfer left none: a
    // connection serves only sends under equal settings. Returns the share,
    // which must outlive the transfer, and says whether this mail reaches
    // the cap, after which the connection closes. Throws std::bad_alloc.
    std::shared_ptr<ConnectionShare> Attach(CURL* curlHandle, const SendSettings& settings,
                                            bool& lastOnConnection);
    // Counts the mail on its connection; after a failure, or a mail that
    // closed the connection, the next send starts on a new one.
    void Note(CURL* curlHandle, CURLcode result, bool lastOnConnection);

private:
    void CloseKeptConnection();

    std::shared_ptr<ConnectionShare> share;
    // The settings of the send that made the connection.
    SendSettings settings;
    int32_t mailsOnConnection = 0;
};

} // namespace SMTPClientNS

#endif
