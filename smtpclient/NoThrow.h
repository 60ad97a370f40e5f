// The interface reports failures as values, never as exceptions: these run an
// operation and turn anything it throws (in practice std::bad_alloc) into the
// operation's own failure value.
#ifndef SMTPCLIENT_NOTHROW_H
#define SMTPCLIENT_NOTHROW_H

#include <curl/curl.h>

#include <new>

namespace SMTPClientNS {

// The operation's result, or failure when it threw.
template <typename Result, typename Operation>
Result NoThrow(Result failure, Operation operation) noexcept
{
    try {
        return operation();
    } catch (...) {
        return failure;
    }
}

// For operations without a result: one that throws has no effect beyond what
// it undid itself.
template <typename Operation>
void NoThrow(Operation operation) noexcept
{
    try {
        operation();
    } catch (...) {
    }
}

// Turns libcurl's report of exhausted memory into the exception that the
// enclosing NoThrow maps; every other result is the caller's to judge.
inline CURLcode ThrowIfOutOfMemory(CURLcode result)
{
    if (result == CURLE_OUT_OF_MEMORY)
        throw std::bad_alloc();
    return result;
}

// libcurl returns null when it could not allocate a handle, a part or a list.
template <typename Handle>
Handle* ThrowIfNull(Handle* handle)
{
    if (handle == nullptr)
        throw std::bad_alloc();
    return handle;
}

} // namespace SMTPClientNS

#endif
