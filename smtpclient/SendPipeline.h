// Building, and freeing, one libcurl SMTP transfer from a client's settings
// and its attached message.
#ifndef SMTPCLIENT_SENDPIPELINE_H
#define SMTPCLIENT_SENDPIPELINE_H

#include <curl/curl.h>

#include "ISmtpClient.h"

namespace SMTPClientNS {

// The handles of one transfer. A synchronous send keeps them in the client,
// an asynchronous one in its task record.
struct TransferHandles {
    CURL* curlHandle = nullptr;
    curl_slist* recipientList = nullptr;
    curl_slist* headerList = nullptr;
    curl_mime* rootMime = nullptr;
    curl_mime* mixedMime = nullptr;
    curl_mime* relatedMime = nullptr;
    curl_mime* alternativeMime = nullptr;
};

// 0 when the handle is ready to perform, otherwise the raw outcome that
// stopped the build: CURLE_OUT_OF_MEMORY when memory ran out. Never throws;
// the steps below throw std::bad_alloc instead.
int BuildRequest(CURL* curlHandle, curl_slist** recipientList, curl_slist** headerList,
                 curl_mime** rootMime, curl_mime** mixedMime, curl_mime** relatedMime,
                 curl_mime** alternativeMime, ISmtpClient* client);

// Frees the lists, the trees (sub-trees before the root) and the easy handle.
// Does nothing when curlHandle is null.
void ReleaseTransfer(CURL* curlHandle, curl_slist** recipientList, curl_slist** headerList,
                     curl_mime** rootMime, curl_mime** mixedMime, curl_mime** relatedMime,
                     curl_mime** alternativeMime);

} // namespace SMTPClientNS

#endif
