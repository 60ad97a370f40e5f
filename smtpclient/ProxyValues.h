// The proxy settings as GetProxyValue hands them out: one value per index,
// each as text in a buffer the caller provides.
#ifndef SMTPCLIENT_PROXYVALUES_H
#define SMTPCLIENT_PROXYVALUES_H

#include <cstddef>

namespace SMTPClientNS {

enum ProxyValueIndex {
    kProxyHost = 0,
    kProxyPort = 1,
    kProxyType = 2,
    kProxyUser = 3,
    kProxyPassword = 4
};

// Capacity of a GetProxyValue buffer, terminator included.
const size_t kProxyValueCapacity = 256;

} // namespace SMTPClientNS

#endif
