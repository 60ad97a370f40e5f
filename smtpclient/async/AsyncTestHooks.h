// Faults and delays that tests of the asynchronous layer switch on. They
// live in the library's internals, which neither the shared library's
// export list nor an installed header carries, so no host can reach them.
#ifndef SMTPCLIENT_ASYNC_ASYNCTESTHOOKS_H
#define SMTPCLIENT_ASYNC_ASYNCTESTHOOKS_H

namespace SMTPClientNS {
namespace AsyncTestHooks {

// While held, a worker waits at its start, before it takes any message.
void HoldWorkers(bool hold);
// While set, no client can make its notification window.
void FailWindowCreation(bool fail);

// The library's side of the two.
void WaitWhileWorkersHeld();
bool WindowCreationFails();

} // namespace AsyncTestHooks
} // namespace SMTPClientNS

#endif
