#include "Guid.h"

#include <objbase.h>

#include <cstring>

namespace SMTPClientNS {
namespace Platform {

bool CreateGuid(Guid& guid)
{
    // COM is initialised around each GUID on the calling thread; it is
    // uninitialised only when this call initialised it, so that a thread
    // already in another apartment keeps its COM state balanced.
    HRESULT initialised = CoInitialize(nullptr);
    GUID made;
    HRESULT created = CoCreateGuid(&made);
    if (SUCCEEDED(initialised))
        CoUninitialize();
    if (FAILED(created))
        return false;

    guid.data1 = made.Data1;
    guid.data2 = made.Data2;
    guid.data3 = made.Data3;
    std::memcpy(guid.data4, made.Data4, sizeof guid.data4);
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS
