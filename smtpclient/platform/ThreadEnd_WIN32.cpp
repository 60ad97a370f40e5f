#include "ThreadEnd.h"

#include <windows.h>

#include <new>

namespace SMTPClientNS {
namespace Platform {

namespace {

struct Registration {
    ThreadEndRoutine routine;
    void* argument;
};

const int kMaxRegistrations = 4;

// A thread's registrations, the value of its fiber-local slot.
struct Registrations {
    Registration entries[kMaxRegistrations];
    int count = 0;
};

// The slot's callback, at thread end.
void WINAPI RunRegistrations(void* value)
{
    Registrations* registrations = static_cast<Registrations*>(value);
    while (registrations->count > 0) {
        const Registration last = registrations->entries[--registrations->count];
        last.routine(last.argument);
    }
    delete registrations;
}

// Made once, on first use; FLS_OUT_OF_INDEXES leaves every registration
// refused.
DWORD ThreadEndSlot()
{
    static const DWORD kSlot = FlsAlloc(RunRegistrations);
    return kSlot;
}

} // namespace

bool RunAtThreadEnd(ThreadEndRoutine routine, void* argument)
{
    const DWORD slot = ThreadEndSlot();
    if (slot == FLS_OUT_OF_INDEXES)
        return false;
    Registrations* registrations = static_cast<Registrations*>(FlsGetValue(slot));
    if (registrations == nullptr) {
        registrations = new (std::nothrow) Registrations();
        if (registrations == nullptr)
            return false;
        if (!FlsSetValue(slot, registrations)) {
            delete registrations;
            return false;
        }
    }
    if (registrations->count == kMaxRegistrations)
        return false;
    registrations->entries[registrations->count++] = Registration{routine, argument};
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS
