// Threads, events and sleeping, for the work that runs beside the user-interface
// thread (the GIF painter): events that threads set and wait on, with the platform's
// manual-reset and auto-reset kinds, and a thread with a priority that can be asked
// to end.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace vardel {

inline constexpr uint32_t kInfinite = 0xFFFFFFFF;

enum class TWaitResult { Signaled, Timeout };

class TEvent {
  public:
    // A manual-reset event stays set until Reset; an auto-reset event lets one waiter
    // through and resets itself.
    explicit TEvent(bool manualReset = true, bool initiallySet = false);
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    void Set();
    void Reset();
    // Waits until the event is set or `milliseconds` have passed (kInfinite: no limit).
    TWaitResult WaitFor(uint32_t milliseconds);

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    const bool manualReset_;
    bool set_;
};

// Suspends the calling thread.
void Sleep(uint32_t milliseconds);

enum class TThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

class TThread {
  public:
    // Starts `body` on a thread of its own at once. The body looks at Terminated()
    // to end early.
    explicit TThread(std::function<void(TThread&)> body,
                     TThreadPriority priority = TThreadPriority::tpNormal);
    // Asks the thread to end and waits for it.
    ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Terminate();
    bool Terminated() const;
    // Waits until the body has returned.
    void WaitFor();
    bool Finished() const;
    // What the body raised, if it ended with an error.
    std::exception_ptr Failure() const;

    TThreadPriority Priority() const;
    // Below normal always takes effect; above normal only where the system allows a
    // process to raise its own priority (otherwise the thread stays at normal).
    void SetPriority(TThreadPriority priority);

  private:
    void Run();
    void ApplyPriority();

    std::function<void(TThread&)> body_;
    mutable std::mutex mutex_;
    TThreadPriority priority_;
    long systemId_ = 0;  // the kernel's id of the thread, once it runs
    bool terminated_ = false;
    bool finished_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace vardel
