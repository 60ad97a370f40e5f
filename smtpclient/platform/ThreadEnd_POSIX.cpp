#include "ThreadEnd.h"

#include <pthread.h>

namespace SMTPClientNS {
namespace Platform {

namespace {

struct Registration {
    ThreadEndRoutine routine;
    void* argument;
};

const int kMaxRegistrations = 4;

// Trivially destructible, so that nothing is registered with the C library
// for them; the key below runs what they hold.
thread_local Registration registrations[kMaxRegistrations];
thread_local int registered = 0;

// The key's value only marks a thread that has registrations: the key's
// destructor runs for it at thread end.
void RunRegistrations(void*)
{
    while (registered > 0) {
        --registered;
        registrations[registered].routine(registrations[registered].argument);
    }
}

// Made once, on first use; a key that cannot be made leaves every
// registration refused.
bool ThreadEndKey(pthread_key_t*& key)
{
    static pthread_key_t theKey;
    static const bool kMade = pthread_key_create(&theKey, RunRegistrations) == 0;
    key = &theKey;
    return kMade;
}

} // namespace

bool RunAtThreadEnd(ThreadEndRoutine routine, void* argument)
{
    pthread_key_t* key = nullptr;
    if (registered == kMaxRegistrations || !ThreadEndKey(key))
        return false;
    static int marker;
    if (registered == 0 && pthread_setspecific(*key, &marker) != 0)
        return false;
    registrations[registered++] = Registration{routine, argument};
    return true;
}

} // namespace Platform
} // namespace SMTPClientNS
