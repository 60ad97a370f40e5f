#include "FailingAllocator.h"

#include <dlfcn.h>
#include <pthread.h>

#include <cerrno>

#include <cstddef>
#include <cstring>
#include <new>

// A sanitizer's runtime allocates before its own set-up is done, so the
// replacements run without the sanitizers' instrumentation, and share their
// state through atomic built-ins rather than calls.
#define UNINSTRUMENTED                                                                             \
  __attribute__((no_sanitize_address, no_sanitize_thread, no_sanitize_undefined))

namespace {

typedef void* (*MallocFunction)(size_t);
typedef void* (*CallocFunction)(size_t, size_t);
typedef void* (*ReallocFunction)(void*, size_t);
typedef void (*FreeFunction)(void*);

// The allocator the replacements hand on to: the next definition after the
// program's own, the C library's or a sanitizer runtime's. Looked up once
// the libraries below the program are set up; until then (the C++ runtime's
// and a sanitizer's start-up, and the look-up itself) blocks come from the
// arena, each after a header with its size, and are never given back.
MallocFunction nextMalloc;
CallocFunction nextCalloc;
ReallocFunction nextRealloc;
FreeFunction nextFree;
bool lookedUp;

const size_t kArenaHeader = 16;
alignas(16) char arena[1 << 20];
size_t arenaUsed;

UNINSTRUMENTED void* ArenaAllocate(size_t size)
{
    const size_t rounded = (size + kArenaHeader + 15) & ~static_cast<size_t>(15);
    const size_t at = __atomic_fetch_add(&arenaUsed, rounded, __ATOMIC_RELAXED);
    if (at + rounded > sizeof arena)
        return nullptr;
    __builtin_memcpy(arena + at, &size, sizeof size);
    return arena + at + kArenaHeader;
}

UNINSTRUMENTED bool FromArena(const void* block)
{
    const char* bytes = static_cast<const char*>(block);
    return bytes >= arena && bytes < arena + sizeof arena;
}

UNINSTRUMENTED size_t ArenaSize(const void* block)
{
    size_t size = 0;
    __builtin_memcpy(&size, static_cast<const char*>(block) - kArenaHeader, sizeof size);
    return size;
}

UNINSTRUMENTED bool LookedUp()
{
    return __atomic_load_n(&lookedUp, __ATOMIC_ACQUIRE);
}

typedef int (*CreateFunction)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
CreateFunction nextCreate;

// A thread's allocations count from the moment its own code runs: the set-up
// of a new thread by a sanitizer runtime is left alone, since glibc's
// pthread_getattr_np, which it calls there, does not survive a failed
// allocation. Trivially destructible, so nothing is registered for it.
thread_local bool threadCounted;

// Before main and before any other initialiser of this program.
__attribute__((constructor(101))) void LookUpNextAllocator()
{
    threadCounted = true;
    nextCreate = reinterpret_cast<CreateFunction>(dlsym(RTLD_NEXT, "pthread_create"));
    nextMalloc = reinterpret_cast<MallocFunction>(dlsym(RTLD_NEXT, "malloc"));
    nextCalloc = reinterpret_cast<CallocFunction>(dlsym(RTLD_NEXT, "calloc"));
    nextRealloc = reinterpret_cast<ReallocFunction>(dlsym(RTLD_NEXT, "realloc"));
    nextFree = reinterpret_cast<FreeFunction>(dlsym(RTLD_NEXT, "free"));
    __atomic_store_n(&lookedUp, true, __ATOMIC_RELEASE);
}

bool armed;
long allocationsSeen;
long failingAllocation;
bool failed;

UNINSTRUMENTED bool FailThisOne()
{
    if (!__atomic_load_n(&armed, __ATOMIC_RELAXED) || !threadCounted)
        return false;
    if (__atomic_add_fetch(&allocationsSeen, 1, __ATOMIC_RELAXED)
        != __atomic_load_n(&failingAllocation, __ATOMIC_RELAXED))
        return false;
    __atomic_store_n(&failed, true, __ATOMIC_RELAXED);
    return true;
}

} // namespace

extern "C" UNINSTRUMENTED void* malloc(size_t size) noexcept
{
    if (!LookedUp())
        return ArenaAllocate(size);
    return FailThisOne() ? nullptr : nextMalloc(size);
}

extern "C" UNINSTRUMENTED void* calloc(size_t count, size_t size) noexcept
{
    if (!LookedUp())
        return ArenaAllocate(count * size); // the arena starts zeroed
    return FailThisOne() ? nullptr : nextCalloc(count, size);
}

extern "C" UNINSTRUMENTED void free(void* block) noexcept
{
    if (block == nullptr || FromArena(block))
        return;
    nextFree(block);
}

// Shrinking to nothing frees and cannot fail; a block of the arena moves.
extern "C" UNINSTRUMENTED void* realloc(void* block, size_t size) noexcept
{
    if (block != nullptr && size == 0) {
        free(block);
        return nullptr;
    }
    if (block != nullptr && !FromArena(block))
        return FailThisOne() ? nullptr : nextRealloc(block, size);
    void* moved = malloc(size);
    if (moved != nullptr && block != nullptr) {
        const size_t kept = ArenaSize(block);
        __builtin_memcpy(moved, block, kept < size ? kept : size);
    }
    return moved;
}

namespace {

struct ThreadStart {
    void* (*routine)(void*);
    void* argument;
};

void* StartCounted(void* parameter)
{
    const ThreadStart start = *static_cast<ThreadStart*>(parameter);
    free(parameter);
    threadCounted = true;
    return start.routine(start.argument);
}

} // namespace

// Like the C library's, this fails with EAGAIN when it finds no memory.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*routine)(void*), void* argument) noexcept
{
    ThreadStart* start = static_cast<ThreadStart*>(malloc(sizeof(ThreadStart)));
    if (start == nullptr)
        return EAGAIN;
    *start = ThreadStart{routine, argument};
    const int result = nextCreate(thread, attributes, StartCounted, start);
    if (result != 0)
        free(start);
    return result;
}

// A sanitizer's operator new does not allocate through malloc; these do, so
// that C++ allocations are counted and failed like the others.
void* operator new(std::size_t size)
{
    void* block = malloc(size != 0 ? size : 1);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size != 0 ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size != 0 ? size : 1);
}
void operator delete(void* block) noexcept
{
    free(block);
}
void operator delete[](void* block) noexcept
{
    free(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    free(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept
{
    free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    free(block);
}

namespace SMTPClientTest {
namespace FailingAllocator {

void Arm(long failAt)
{
    __atomic_store_n(&allocationsSeen, 0, __ATOMIC_RELAXED);
    __atomic_store_n(&failingAllocation, failAt, __ATOMIC_RELAXED);
    __atomic_store_n(&failed, false, __ATOMIC_RELAXED);
    Resume();
}

void Disarm()
{
    __atomic_store_n(&armed, false, __ATOMIC_SEQ_CST);
}

void Resume()
{
    __atomic_store_n(&armed, true, __ATOMIC_SEQ_CST);
}

long Seen()
{
    return __atomic_load_n(&allocationsSeen, __ATOMIC_RELAXED);
}

bool Failed()
{
    return __atomic_load_n(&failed, __ATOMIC_RELAXED);
}

} // namespace FailingAllocator
} // namespace SMTPClientTest
