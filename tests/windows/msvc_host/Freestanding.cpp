// What the compiler calls in a program without a C runtime: memset for
// zeroed locals, and the delete operator that the callback's deleting
// destructor names. The host allocates nothing, so it has nothing to free.
typedef decltype(sizeof 0) size_t;

extern "C" void* memset(void* target, int value, size_t size)
{
    unsigned char* bytes = static_cast<unsigned char*>(target);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(value);
    return target;
}

void operator delete(void*) noexcept {}
