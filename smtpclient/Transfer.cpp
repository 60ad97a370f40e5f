#include "Transfer.h"

#include <utility>

namespace SMTPClientNS {

namespace {

template <typename Handle>
void FreeSlot(Handle*& slot, void (*release)(Handle*))
{
    if (slot == nullptr)
        return;
    release(slot);
    slot = nullptr;
}

} // namespace

Transfer::~Transfer()
{
    Free();
}

Transfer::Transfer(Transfer&& other) noexcept
{
    Swap(other);
}

// What this transfer held goes with taken.
Transfer& Transfer::operator=(Transfer&& other) noexcept
{
    Transfer taken(std::move(other));
    Swap(taken);
    return *this;
}

// A handle that could not be made gets no trees: the transfer cannot run.
Transfer Transfer::Create()
{
    Transfer transfer;
    transfer.curlHandle = curl_easy_init();
    if (transfer.curlHandle != nullptr) {
        transfer.rootMime = curl_mime_init(transfer.curlHandle);
        transfer.mixedMime = curl_mime_init(transfer.curlHandle);
        transfer.relatedMime = curl_mime_init(transfer.curlHandle);
        transfer.alternativeMime = curl_mime_init(transfer.curlHandle);
    }
    return transfer;
}

// A sub-tree attached to the root is detached by its own free; freed after
// the root, it would be freed twice.
void Transfer::Free()
{
    FreeSlot(recipientList, curl_slist_free_all);
    FreeSlot(headerList, curl_slist_free_all);
    FreeSlot(alternativeMime, curl_mime_free);
    FreeSlot(relatedMime, curl_mime_free);
    FreeSlot(mixedMime, curl_mime_free);
    FreeSlot(rootMime, curl_mime_free);
    FreeSlot(curlHandle, curl_easy_cleanup);
}

bool Transfer::Created() const
{
    return curlHandle != nullptr && rootMime != nullptr && mixedMime != nullptr
           && relatedMime != nullptr && alternativeMime != nullptr;
}

void Transfer::Swap(Transfer& other) noexcept
{
    std::swap(curlHandle, other.curlHandle);
    std::swap(recipientList, other.recipientList);
    std::swap(headerList, other.headerList);
    std::swap(rootMime, other.rootMime);
    std::swap(mixedMime, other.mixedMime);
    std::swap(relatedMime, other.relatedMime);
    std::swap(alternativeMime, other.alternativeMime);
}

} // namespace SMTPClientNS
