#include "ConnectionLane.h"

namespace SMTPClientNS {

std::shared_ptr<ConnectionShare> ConnectionLane::Attach(CURL* curlHandle,
                                                        const SendSettings& settings,
                                                        bool& lastOnConnection)
{
    if (share == nullptr || !(connection == settings.connection)) {
        std::shared_ptr<ConnectionShare> fresh = std::make_shared<ConnectionShare>();
        connection = settings.connection;
        share = std::move(fresh);
        mailsOnConnection = 0;
    }
    const int32_t cap = settings.options.messagesPerConnection;
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
