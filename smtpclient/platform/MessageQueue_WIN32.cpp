#include "MessageQueue.h"

#include <windows.h>

namespace SMTPClientNS {
namespace Platform {

namespace {

const WORD kArrowCursor = 32512; // IDC_ARROW, named here without the ANSI/wide switch

HWND AsWindow(WindowHandle window)
{
    return static_cast<HWND>(window);
}

// Our procedure type differs from WNDPROC only in naming the handle void*;
// the detour through a plain function type states that the cast is meant.
WNDPROC AsWindowProc(WindowProcedure procedure)
{
    return reinterpret_cast<WNDPROC>(reinterpret_cast<void (*)()>(procedure));
}

void WaitForQueueInput(int timeoutMs)
{
    const DWORD timeout = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

} // namespace

// PeekMessageW makes the queue; it has no way to report that it could not.
bool EnsureMessageQueue()
{
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    return true;
}

bool PostThreadMessageTo(uint32_t threadId, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    return PostThreadMessageW(threadId, message, wParam, lParam) != 0;
}

bool GetNextMessage(ThreadMessage& message)
{
    MSG next;
    if (GetMessageW(&next, nullptr, 0, 0) <= 0)
        return false;
    message = ThreadMessage{next.hwnd, next.message, next.wParam, next.lParam};
    return true;
}

ClassRegistration RegisterWindowClass(const SmtpChar* className, WindowProcedure procedure)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(WNDCLASSEXW);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = AsWindowProc(procedure);
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(kArrowCursor));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className;
    windowClass.hIconSm = nullptr;
    if (RegisterClassExW(&windowClass) != 0)
        return ClassRegistration::Registered;
    if (GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        return ClassRegistration::AlreadyExists;
    return ClassRegistration::Failed;
}

WindowHandle CreateHiddenWindow(const SmtpChar* className, const SmtpChar* title)
{
    return CreateWindowExW(0, className, title, 0, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

bool IsLiveWindow(WindowHandle window)
{
    return window != nullptr && IsWindow(AsWindow(window)) != 0;
}

void DestroyHiddenWindow(WindowHandle window)
{
    DestroyWindow(AsWindow(window));
}

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    return PostMessageW(AsWindow(window), message, wParam, lParam) != 0;
}

intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam)
{
    return DefWindowProcW(AsWindow(window), message, wParam, lParam);
}

// A WM_QUIT met here belongs to the host's own loop: it is put back and
// dispatching stops.
int DispatchWaitingMessages(int timeoutMs)
{
    if (timeoutMs != 0)
        WaitForQueueInput(timeoutMs);
    int dispatched = 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        ++dispatched;
    }
    return dispatched;
}

// Windows hosts wait on their message loop; the queue has no descriptor.
int MessageQueueDescriptor()
{
    return -1;
}

} // namespace Platform
} // namespace SMTPClientNS
