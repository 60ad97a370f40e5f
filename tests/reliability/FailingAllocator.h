// An allocator that fails on request, for the whole program: malloc, calloc
// and realloc are replaced here, so every allocation of every thread comes
// through (the C library's own, libcurl's, and the C++ code's, whose operator
// new is replaced to allocate with malloc). Each is handed on to the
// allocator that would otherwise have served it: the C library's, or a
// sanitizer's in a sanitized build. pthread_create is replaced too, to tell
// when a new thread's own code starts.
#ifndef SMTPCLIENT_TESTS_FAILINGALLOCATOR_H
#define SMTPCLIENT_TESTS_FAILINGALLOCATOR_H

namespace SMTPClientTest {
namespace FailingAllocator {

// From now on counts the allocations of every thread (from the start of
// its own code) and fails the failAt-th one (0: none fails).
void Arm(long failAt);

// Stops counting and failing.
void Disarm();

// Goes on counting, and failing, where Disarm stopped.
void Resume();

// Allocations counted since Arm.
long Seen();

// True once the allocation chosen by Arm has been failed.
bool Failed();

} // namespace FailingAllocator
} // namespace SMTPClientTest

#endif
