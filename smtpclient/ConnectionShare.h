// A libcurl share that carries kept connections from one transfer to the
// next. Transfers on different threads may use it, and a transfer may be
// freed on the host's thread while a worker uses the share, so it locks.
#ifndef SMTPCLIENT_CONNECTIONSHARE_H
#define SMTPCLIENT_CONNECTIONSHARE_H

#include <curl/curl.h>

#include <mutex>

namespace SMTPClientNS {

class ConnectionShare {
public:
    // Throws std::bad_alloc when libcurl cannot make the share.
    ConnectionShare();
    // Closes the connections still in the share, each with QUIT. Every
    // transfer attached to it must be gone.
    ~ConnectionShare();
    ConnectionShare(const ConnectionShare&) = delete;
    ConnectionShare& operator=(const ConnectionShare&) = delete;

    CURLSH* Handle() const { return share; }

private:
    static void Lock(CURL*, curl_lock_data, curl_lock_access, void* data);
    static void Unlock(CURL*, curl_lock_data, void* data);

    std::mutex lock;
    CURLSH* share;
};

} // namespace SMTPClientNS

#endif
