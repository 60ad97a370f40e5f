#include "ConnectionShare.h"

#include <new>

namespace SMTPClientNS {

ConnectionShare::ConnectionShare() : share(curl_share_init())
{
    if (share == nullptr)
        throw std::bad_alloc();
    curl_share_setopt(share, CURLSHOPT_LOCKFUNC, Lock);
    curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, Unlock);
    curl_share_setopt(share, CURLSHOPT_USERDATA, this);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
}

ConnectionShare::~ConnectionShare()
{
    curl_share_cleanup(share);
}

// One lock for all the share holds: it holds only connections.
void ConnectionShare::Lock(CURL*, curl_lock_data, curl_lock_access, void* data)
{
    static_cast<ConnectionShare*>(data)->lock.lock();
}

void ConnectionShare::Unlock(CURL*, curl_lock_data, void* data)
{
    static_cast<ConnectionShare*>(data)->lock.unlock();
}

} // namespace SMTPClientNS
