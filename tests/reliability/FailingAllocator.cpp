#include "FailingAllocator.h"

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <new>

namespace {

typedef void* (*MallocFunction)(size_t);
typedef void* (*CallocFunction)(size_t, size_t);
typedef void* (*ReallocFunction)(void*, size_t);
typedef void (*FreeFunction)(void*);

// The allocator this program's replacements hand on to: the next definition
// after the program's own, the C library's or a sanitizer runtime's.
std::atomic<MallocFunction> nextMalloc(nullptr);
std::atomic<CallocFunction> nextCalloc(nullptr);
std::atomic<ReallocFunction> nextRealloc(nullptr);
std::atomic<FreeFunction> nextFree(nullptr);

// dlsym may itself allocate while it looks the next allocator up; those few
// blocks come from here, each after a header with its size, and are never
// given back.
const size_t kBootstrapHeader = 16;
alignas(16) char bootstrapArena[16384];
std::atomic<size_t> bootstrapUsed(0);
thread_local bool lookingUp = false;

void* BootstrapAllocate(size_t size)
{
    const size_t rounded = (size + kBootstrapHeader + 15) & ~static_cast<size_t>(15);
    const size_t at = bootstrapUsed.fetch_add(rounded);
    if (at + rounded > sizeof bootstrapArena)
        return nullptr;
    std::memcpy(bootstrapArena + at, &size, sizeof size);
    return bootstrapArena + at + kBootstrapHeader;
}

bool FromBootstrap(const void* block)
{
    const char* bytes = static_cast<const char*>(block);
    return bytes >= bootstrapArena && bytes < bootstrapArena + sizeof bootstrapArena;
}

size_t BootstrapSize(const void* block)
{
    size_t size = 0;
    std::memcpy(&size, static_cast<const char*>(block) - kBootstrapHeader, sizeof size);
    return size;
}

template <typename Function>
void LookUp(std::atomic<Function>& function, const char* name)
{
    function.store(reinterpret_cast<Function>(dlsym(RTLD_NEXT, name)));
}

// Threads that race here store the same addresses.
void LookUpNextAllocator()
{
    if (nextFree.load() != nullptr)
        return;
    lookingUp = true;
    LookUp(nextMalloc, "malloc");
    LookUp(nextCalloc, "calloc");
    LookUp(nextRealloc, "realloc");
    LookUp(nextFree, "free");
    lookingUp = false;
}

std::atomic<bool> armed(false);
std::atomic<long> allocationsSeen(0);
std::atomic<long> failingAllocation(0);
std::atomic<bool> failed(false);

bool FailThisOne()
{
    if (!armed.load(std::memory_order_relaxed))
        return false;
    if (++allocationsSeen != failingAllocation.load())
        return false;
    failed = true;
    return true;
}

} // namespace

extern "C" void* malloc(size_t size) noexcept
{
    if (lookingUp)
        return BootstrapAllocate(size);
    LookUpNextAllocator();
    return FailThisOne() ? nullptr : nextMalloc.load()(size);
}

extern "C" void* calloc(size_t count, size_t size) noexcept
{
    if (lookingUp)
        return BootstrapAllocate(count * size); // the arena starts zeroed
    LookUpNextAllocator();
    return FailThisOne() ? nullptr : nextCalloc.load()(count, size);
}

extern "C" void free(void* block) noexcept
{
    if (block == nullptr || FromBootstrap(block))
        return;
    LookUpNextAllocator();
    nextFree.load()(block);
}

// Shrinking to nothing frees and cannot fail; a bootstrap block moves to
// the next allocator.
extern "C" void* realloc(void* block, size_t size) noexcept
{
    if (lookingUp)
        return BootstrapAllocate(size);
    LookUpNextAllocator();
    if (block != nullptr && size == 0) {
        free(block);
        return nullptr;
    }
    if (FailThisOne())
        return nullptr;
    if (!FromBootstrap(block))
        return nextRealloc.load()(block, size);
    void* moved = nextMalloc.load()(size);
    if (moved != nullptr)
        std::memcpy(moved, block, std::min(size, BootstrapSize(block)));
    return moved;
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
    allocationsSeen = 0;
    failingAllocation = failAt;
    failed = false;
    armed = true;
}

void Disarm()
{
    armed = false;
}

void Resume()
{
    armed = true;
}

long Seen()
{
    return allocationsSeen.load();
}

bool Failed()
{
    return failed.load();
}

} // namespace FailingAllocator
} // namespace SMTPClientTest
