// Thread message queues, hidden windows and posted messages.
//
// Every thread that takes part has a queue. Thread messages go to a thread
// by id; window messages go to the queue of the thread that created the
// window and reach its window procedure when that thread dispatches them.
#ifndef SMTPCLIENT_PLATFORM_MESSAGEQUEUE_H
#define SMTPCLIENT_PLATFORM_MESSAGEQUEUE_H

#include <cstdint>

#include "../IMimeMessage.h"

#if defined(_WIN32)
#  define SMTPCLIENT_WINDOW_CALL __stdcall
#else
#  define SMTPCLIENT_WINDOW_CALL
#endif

namespace SMTPClientNS {
namespace Platform {

typedef void* WindowHandle;
typedef intptr_t(SMTPCLIENT_WINDOW_CALL* WindowProcedure)(WindowHandle window, uint32_t message,
                                                          uintptr_t wParam, intptr_t lParam);

struct ThreadMessage {
    WindowHandle window; // null for a thread message
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

const uint32_t kWindowCreateMessage = 0x0001; // WM_CREATE
const uint32_t kQuitMessage = 0x0012;         // WM_QUIT
const uint32_t kUserMessage = 0x0400;         // WM_USER

// Creates the calling thread's queue if it has none yet; false when it has
// none and none can be made.
bool EnsureMessageQueue();

// Posts to the queue of thread threadId; false when it cannot be posted,
// as to a thread that has no queue (it never made one, or it ended), or to
// a queue that is full.
bool PostThreadMessageTo(uint32_t threadId, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Waits for the next message of the calling thread's queue; false on WM_QUIT.
bool GetNextMessage(ThreadMessage& message);

enum class ClassRegistration { Registered, AlreadyExists, Failed };

// Registers a window class whose windows use procedure.
ClassRegistration RegisterWindowClass(const SmtpChar* className, WindowProcedure procedure);

// Creates a hidden window of a registered class, owned by the calling
// thread; its procedure receives the creation message before this returns.
// Null on failure.
WindowHandle CreateHiddenWindow(const SmtpChar* className, const SmtpChar* title);

bool IsLiveWindow(WindowHandle window);

// Messages still waiting for the window are dropped when they come up.
void DestroyHiddenWindow(WindowHandle window);

// Posts to the queue of the window's owning thread; false as above.
bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The window procedure's default handling.
intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

// Waits up to timeoutMs (0: no wait, -1: until one arrives) for a message
// of the calling thread's queue, then dispatches every message waiting there
// and returns how many it took (0 when the wait ran out). Messages are taken
// one at a time in posting order, so a call nested in a window procedure
// goes on with the rest of the outer call's messages before later ones.
int DispatchWaitingMessages(int timeoutMs);

// A descriptor of the calling thread's queue, readable while messages wait;
// -1 where the system has no such descriptor.
int MessageQueueDescriptor();

} // namespace Platform
} // namespace SMTPClientNS

#endif
