// Thread message queues, hidden windows and posted messages.
#ifndef SMTPCLIENT_PLATFORM_MESSAGEQUEUE_H
#define SMTPCLIENT_PLATFORM_MESSAGEQUEUE_H

#include <cstdint>

#include "../IMimeMessage.h"
#include "Thread.h"

namespace SMTPClientNS {
namespace Platform {

typedef void* WindowHandle;
typedef intptr_t (*WindowProcedure)(WindowHandle window, uint32_t message,
                                    uintptr_t wParam, intptr_t lParam);

struct ThreadMessage {
    WindowHandle window;  // null for a thread message
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

const uint32_t kWindowCreateMessage = 1;   // WM_CREATE
const uint32_t kQuitMessage = 0x0012;      // WM_QUIT

// Creates the calling thread's queue if it has none yet.
void EnsureMessageQueue();

// Posts to the queue of thread threadId; false when it cannot be posted.
bool PostThreadMessageTo(uint32_t threadId, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Waits for the next message of the calling thread's queue; false on WM_QUIT.
bool GetNextMessage(ThreadMessage& message);

// Registers a window class; true also when it exists already (the error
// "class already exists" is not a failure here).
bool RegisterWindowClass(const SmtpChar* className, WindowProcedure procedure);

// Creates a hidden window owned by the calling thread; null on failure.
WindowHandle CreateHiddenWindow(const SmtpChar* className, const SmtpChar* title);

bool IsLiveWindow(WindowHandle window);
void DestroyHiddenWindow(WindowHandle window);

// Posts to the queue of the window's owning thread.
bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The window procedure's default handling.
intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message,
                                uintptr_t wParam, intptr_t lParam);

// For hosts without a system message loop (see SmtpClientDispatchMessages).
int DispatchWaitingMessages(int timeoutMs);
int MessageQueueDescriptor();

} // namespace Platform
} // namespace SMTPClientNS

#endif
