#include "MessageQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "MessageQueueSetup_POSIX.h"
#include "Thread.h"
#include "ThreadEnd.h"

namespace SMTPClientNS {
namespace Platform {

namespace {

struct QueuedMessage {
    uint64_t sequence; // posting order within the queue
    ThreadMessage message;
};

// Room for this many waiting messages comes with the queue, so that posting
// (which a worker does, where nobody could be told of a failure) needs no
// memory until more than that wait.
const size_t kQueueRoom = 64;

// The messages of a queue, in posting order.
class MessageRing {
public:
    MessageRing() : slots(kQueueRoom) {}

    bool Empty() const { return waiting == 0; }
    const QueuedMessage& Front() const { return slots[first]; }
    void PopFront()
    {
        first = (first + 1) % slots.size();
        --waiting;
    }
    // Throws std::bad_alloc when a full ring cannot grow; nothing changes then.
    void PushBack(const QueuedMessage& message)
    {
        if (waiting == slots.size())
            Grow();
        slots[(first + waiting) % slots.size()] = message;
        ++waiting;
    }

private:
    void Grow()
    {
        std::vector<QueuedMessage> grown(slots.size() * 2);
        for (size_t i = 0; i < waiting; ++i)
            grown[i] = slots[(first + i) % slots.size()];
        slots.swap(grown);
        first = 0;
    }

    std::vector<QueuedMessage> slots;
    size_t first = 0;
    size_t waiting = 0;
};

// The descriptor counts nothing: it is readable exactly while messages wait.
struct Queue {
    Queue() : descriptor(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~Queue()
    {
        if (descriptor >= 0)
            close(descriptor);
    }
    Queue(const Queue&) = delete;
    Queue& operator=(const Queue&) = delete;

    MessageRing messages;
    std::mutex lock;
    std::condition_variable arrived;
    uint64_t nextSequence = 0;
    int descriptor;
};

struct WindowRecord {
    uint32_t ownerThread;
    WindowProcedure procedure;
};

struct Registry {
    std::mutex lock;
    std::map<uint32_t, std::shared_ptr<Queue>> queues;
    std::map<std::basic_string<SmtpChar>, WindowProcedure> classes;
    std::map<WindowHandle, WindowRecord> windows;
    uintptr_t lastWindow = 0;
};

// Never destroyed: a worker detached at teardown may still post during exit.
Registry& TheRegistry()
{
    static Registry* registry = new Registry();
    return *registry;
}

// A thread's queue, and the windows it owns, go when the thread ends; the
// registry keeps nothing of it.
void RetireThread(uint32_t threadId)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> hold(registry.lock);
    registry.queues.erase(threadId);
    for (auto window = registry.windows.begin(); window != registry.windows.end();) {
        if (window->second.ownerThread == threadId)
            window = registry.windows.erase(window);
        else
            ++window;
    }
}

// Trivially destructible, so that they can still be read at thread end.
thread_local bool queueRetired = false;
thread_local bool retirementArranged = false;

void RetireAtThreadEnd(void* threadId)
{
    queueRetired = true;
    RetireThread(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(threadId)));
}

// Null for a thread that has no queue: one that never made it, or ended.
std::shared_ptr<Queue> QueueOf(uint32_t threadId)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> hold(registry.lock);
    auto queue = registry.queues.find(threadId);
    return queue != registry.queues.end() ? queue->second : nullptr;
}

// Throws std::bad_alloc when there is no memory for it.
void AddQueue(uint32_t threadId)
{
    std::shared_ptr<Queue> made = std::make_shared<Queue>();
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> hold(registry.lock);
    registry.queues.emplace(threadId, std::move(made));
}

// A thread's queue is made by the thread itself, or by StartThread for the
// thread it starts, so no queue outlives its thread. Null while the calling
// thread is being torn down; throws std::bad_alloc when the queue cannot be
// made or its end cannot be arranged.
std::shared_ptr<Queue> CallerQueue()
{
    if (queueRetired)
        return nullptr;
    const uint32_t threadId = CurrentThreadId();
    if (!retirementArranged) {
        if (!RunAtThreadEnd(RetireAtThreadEnd, reinterpret_cast<void*>(uintptr_t{threadId})))
            throw std::bad_alloc();
        retirementArranged = true;
    }
    std::shared_ptr<Queue> queue = QueueOf(threadId);
    if (queue)
        return queue;
    AddQueue(threadId);
    return QueueOf(threadId);
}

void Signal(int descriptor)
{
    const uint64_t one = 1;
    while (write(descriptor, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void Unsignal(int descriptor)
{
    uint64_t count = 0;
    while (read(descriptor, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

bool PostToQueue(uint32_t threadId, const ThreadMessage& message)
{
    std::shared_ptr<Queue> queue = QueueOf(threadId);
    if (!queue)
        return false;
    std::lock_guard<std::mutex> hold(queue->lock);
    const bool wasEmpty = queue->messages.Empty();
    try {
        queue->messages.PushBack(QueuedMessage{queue->nextSequence, message});
    } catch (const std::bad_alloc&) {
        return false;
    }
    ++queue->nextSequence;
    if (wasEmpty)
        Signal(queue->descriptor);
    queue->arrived.notify_one();
    return true;
}

// The caller holds the queue's lock and has seen a message waiting.
ThreadMessage TakeFront(Queue& queue)
{
    const ThreadMessage message = queue.messages.Front().message;
    queue.messages.PopFront();
    if (queue.messages.Empty())
        Unsignal(queue.descriptor);
    return message;
}

// The next message posted before sequence limit, taken out of the queue;
// false when there is none.
bool TakeMessageBefore(Queue& queue, uint64_t limit, ThreadMessage& message)
{
    std::lock_guard<std::mutex> hold(queue.lock);
    if (queue.messages.Empty() || queue.messages.Front().sequence >= limit)
        return false;
    message = TakeFront(queue);
    return true;
}

void WaitForMessage(Queue& queue, std::unique_lock<std::mutex>& hold, int timeoutMs)
{
    auto waiting = [&queue] { return !queue.messages.Empty(); };
    if (timeoutMs < 0)
        queue.arrived.wait(hold, waiting);
    else if (timeoutMs > 0)
        queue.arrived.wait_for(hold, std::chrono::milliseconds(timeoutMs), waiting);
}

// Window messages reach the procedure only on the window's own thread; those
// of a window destroyed meanwhile are dropped.
void DispatchToWindow(const ThreadMessage& message)
{
    if (message.window == nullptr)
        return;
    WindowProcedure procedure = nullptr;
    {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> hold(registry.lock);
        auto window = registry.windows.find(message.window);
        if (window == registry.windows.end() || window->second.ownerThread != CurrentThreadId())
            return;
        procedure = window->second.procedure;
    }
    procedure(message.window, message.message, message.wParam, message.lParam);
}

} // namespace

bool EnsureMessageQueue()
{
    try {
        return CallerQueue() != nullptr;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool MakeQueueForThread(uint32_t threadId)
{
    try {
        AddQueue(threadId);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void DropQueueOfThread(uint32_t threadId)
{
    RetireThread(threadId);
}

bool PostThreadMessageTo(uint32_t threadId, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    return PostToQueue(threadId, ThreadMessage{nullptr, message, wParam, lParam});
}

bool GetNextMessage(ThreadMessage& message)
{
    std::shared_ptr<Queue> queue = CallerQueue();
    if (!queue)
        return false;
    std::unique_lock<std::mutex> hold(queue->lock);
    WaitForMessage(*queue, hold, -1);
    message = TakeFront(*queue);
    return message.message != kQuitMessage;
}

ClassRegistration RegisterWindowClass(const SmtpChar* className, WindowProcedure procedure)
{
    if (className == nullptr || procedure == nullptr)
        return ClassRegistration::Failed;
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> hold(registry.lock);
    const bool added = registry.classes.emplace(className, procedure).second;
    return added ? ClassRegistration::Registered : ClassRegistration::AlreadyExists;
}

// A window here is never shown, so its title is not kept.
WindowHandle CreateHiddenWindow(const SmtpChar* className, const SmtpChar*)
{
    if (className == nullptr)
        return nullptr;
    if (!CallerQueue())
        return nullptr;
    WindowHandle window = nullptr;
    WindowProcedure procedure = nullptr;
    {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> hold(registry.lock);
        auto windowClass = registry.classes.find(className);
        if (windowClass == registry.classes.end())
            return nullptr;
        procedure = windowClass->second;
        window = reinterpret_cast<WindowHandle>(++registry.lastWindow);
        registry.windows[window] = WindowRecord{CurrentThreadId(), procedure};
    }
    if (procedure(window, kWindowCreateMessage, 0, 0) == -1) {
        DestroyHiddenWindow(window);
        return nullptr;
    }
    return window;
}

bool IsLiveWindow(WindowHandle window)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> hold(registry.lock);
    return registry.windows.count(window) != 0;
}

void DestroyHiddenWindow(WindowHandle window)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> hold(registry.lock);
    registry.windows.erase(window);
}

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    uint32_t owner = 0;
    {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> hold(registry.lock);
        auto record = registry.windows.find(window);
        if (record == registry.windows.end())
            return false;
        owner = record->second.ownerThread;
    }
    return PostToQueue(owner, ThreadMessage{window, message, wParam, lParam});
}

intptr_t DefaultWindowProcedure(WindowHandle, uint32_t, uintptr_t, intptr_t)
{
    return 0;
}

// Takes the messages waiting when it starts, one at a time, so that a call
// nested in a window procedure goes on with them in their order; those
// posted while they are dispatched wait for the next call.
int DispatchWaitingMessages(int timeoutMs)
{
    std::shared_ptr<Queue> queue = CallerQueue();
    if (!queue)
        return 0;
    uint64_t limit = 0;
    {
        std::unique_lock<std::mutex> hold(queue->lock);
        WaitForMessage(*queue, hold, timeoutMs);
        limit = queue->nextSequence;
    }
    int dispatched = 0;
    ThreadMessage message;
    while (TakeMessageBefore(*queue, limit, message)) {
        DispatchToWindow(message);
        ++dispatched;
    }
    return dispatched;
}

int MessageQueueDescriptor()
{
    std::shared_ptr<Queue> queue = CallerQueue();
    return queue ? queue->descriptor : -1;
}

} // namespace Platform
} // namespace SMTPClientNS
