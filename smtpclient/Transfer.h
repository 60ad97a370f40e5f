// The handles of one libcurl transfer, owned as one: the easy handle, the
// recipient and header lists, and the four MIME trees. Each send job owns
// one; the client keeps its last synchronous job until the next send.
#ifndef SMTPCLIENT_TRANSFER_H
#define SMTPCLIENT_TRANSFER_H

#include <curl/curl.h>

namespace SMTPClientNS {

class Transfer {
public:
    // Holds nothing.
    Transfer() = default;
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    Transfer(Transfer&& other) noexcept;
    Transfer& operator=(Transfer&& other) noexcept;

    // A new easy handle with its four empty trees. Out of memory, a handle or
    // a tree is missing, and Created says so.
    static Transfer Create();

    // Frees the lists, the trees (sub-trees before the root) and the easy
    // handle, and then holds nothing.
    void Free();

    // The easy handle and all four trees exist.
    bool Created() const;

    CURL* Handle() const { return curlHandle; }

    // The slots that the request build fills. What they hold when the build
    // stops halfway is freed with the transfer.
    curl_slist** RecipientList() { return &recipientList; }
    curl_slist** HeaderList() { return &headerList; }
    curl_mime** RootMime() { return &rootMime; }
    curl_mime** MixedMime() { return &mixedMime; }
    curl_mime** RelatedMime() { return &relatedMime; }
    curl_mime** AlternativeMime() { return &alternativeMime; }

private:
    void Swap(Transfer& other) noexcept;

    CURL* curlHandle = nullptr;
    curl_slist* recipientList = nullptr;
    curl_slist* headerList = nullptr;
    curl_mime* rootMime = nullptr;
    curl_mime* mixedMime = nullptr;
    curl_mime* relatedMime = nullptr;
    curl_mime* alternativeMime = nullptr;
};

} // namespace SMTPClientNS

#endif
