// Work that runs when the calling thread ends. A thread_local object with a
// destructor would do the same, but glibc registers such a destructor on the
// object's first use and ends the process when that registration finds no
// memory; a registration here says so instead.
#ifndef SMTPCLIENT_PLATFORM_THREADEND_H
#define SMTPCLIENT_PLATFORM_THREADEND_H

namespace SMTPClientNS {
namespace Platform {

typedef void (*ThreadEndRoutine)(void* argument);

// Has routine(argument) run when the calling thread ends, before the
// routines registered earlier on that thread. A thread holds a few such
// registrations; false when this one cannot be made.
bool RunAtThreadEnd(ThreadEndRoutine routine, void* argument);

} // namespace Platform
} // namespace SMTPClientNS

#endif
