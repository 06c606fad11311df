#include "platform/runtime/Threads.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>

namespace vardel {

TEvent::TEvent(bool manualReset, bool initiallySet)
    : manualReset_(manualReset), set_(initiallySet) {}

void TEvent::Set() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    if (manualReset_)
        changed_.notify_all();
    else
        changed_.notify_one();
}

void TEvent::Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
}

TWaitResult TEvent::WaitFor(uint32_t milliseconds) {
    std::unique_lock lock(mutex_);
    if (milliseconds == kInfinite)
        changed_.wait(lock, [this] { return set_; });
    else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                [this] { return set_; }))
        return TWaitResult::Timeout;
    if (!manualReset_) set_ = false;
    return TWaitResult::Signaled;
}

void Sleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace {
// Nice values: lower priorities are higher numbers.
int NiceOf(TThreadPriority priority) {
    switch (priority) {
        case TThreadPriority::tpIdle:
            return 19;
        case TThreadPriority::tpLowest:
            return 10;
        case TThreadPriority::tpLower:
            return 5;
        case TThreadPriority::tpNormal:
            return 0;
        case TThreadPriority::tpHigher:
            return -5;
        case TThreadPriority::tpHighest:
            return -10;
        case TThreadPriority::tpTimeCritical:
            return -15;
    }
    return 0;
}
}  // namespace

TThread::TThread(std::function<void(TThread&)> body, TThreadPriority priority)
    : body_(std::move(body)), priority_(priority), thread_([this] { Run(); }) {}

TThread::~TThread() {
    Terminate();
    WaitFor();
}

void TThread::Run() {
    {
        std::lock_guard lock(mutex_);
        systemId_ = static_cast<long>(::syscall(SYS_gettid));
        ApplyPriority();
    }
    try {
        body_(*this);
    } catch (...) {
        std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
    }
    std::lock_guard lock(mutex_);
    finished_ = true;
}

void TThread::ApplyPriority() {
    // On Linux each thread has a nice value of its own. A refused raise leaves it as
    // it was: priorities are a hint here.
    if (systemId_ != 0)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(systemId_), NiceOf(priority_));
}

void TThread::Terminate() {
    std::lock_guard lock(mutex_);
    terminated_ = true;
}

bool TThread::Terminated() const {
    std::lock_guard lock(mutex_);
    return terminated_;
}

void TThread::WaitFor() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool TThread::Finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

std::exception_ptr TThread::Failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

TThreadPriority TThread::Priority() const {
    std::lock_guard lock(mutex_);
    return priority_;
}

void TThread::SetPriority(TThreadPriority priority) {
    std::lock_guard lock(mutex_);
    priority_ = priority;
    ApplyPriority();
}

}  // namespace vardel
