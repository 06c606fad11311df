#include "platform/ui/UiThread.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace vardel {

namespace {
struct PendingCall {
    const std::function<void()>* call;
    std::exception_ptr failure;
    bool done = false;
};

struct Queue {
    std::mutex mutex;
    std::condition_variable doneSignal;
    std::deque<PendingCall*> pending;
    std::function<void()> wakeup;
    std::thread::id uiThread;
    bool uiThreadSet = false;
};

Queue& TheQueue() {
    static Queue q;
    return q;
}
}  // namespace

void SetUiThread() {
    Queue& q = TheQueue();
    std::lock_guard lock(q.mutex);
    q.uiThread = std::this_thread::get_id();
    q.uiThreadSet = true;
}

bool IsUiThread() {
    Queue& q = TheQueue();
    std::lock_guard lock(q.mutex);
    if (!q.uiThreadSet) {
        q.uiThread = std::this_thread::get_id();
        q.uiThreadSet = true;
    }
    return q.uiThread == std::this_thread::get_id();
}

void CallOnUiThread(const std::function<void()>& call) {
    if (IsUiThread()) {
        call();
        return;
    }
    Queue& q = TheQueue();
    PendingCall item{&call, nullptr, false};
    std::function<void()> wakeup;
    {
        std::lock_guard lock(q.mutex);
        q.pending.push_back(&item);
        wakeup = q.wakeup;
    }
    if (wakeup) wakeup();
    std::unique_lock lock(q.mutex);
    q.doneSignal.wait(lock, [&] { return item.done; });
    if (item.failure) std::rethrow_exception(item.failure);
}

bool RunPendingUiCalls() {
    Queue& q = TheQueue();
    bool ran = false;
    for (;;) {
        PendingCall* item;
        {
            std::lock_guard lock(q.mutex);
            if (q.pending.empty()) break;
            item = q.pending.front();
            q.pending.pop_front();
        }
        try {
            (*item->call)();
        } catch (...) {
            item->failure = std::current_exception();
        }
        {
            std::lock_guard lock(q.mutex);
            item->done = true;
        }
        q.doneSignal.notify_all();
        ran = true;
    }
    return ran;
}

void SetUiWakeup(std::function<void()> wakeup) {
    Queue& q = TheQueue();
    std::lock_guard lock(q.mutex);
    q.wakeup = std::move(wakeup);
}

}  // namespace vardel
