#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

#include "platform/runtime/Clock.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/Threads.h"

using namespace vardel;

TEST(Event, ManualEventsStaySetAndAutoEventsLetOneWaiterThrough) {
    TEvent manual(true, false);
    EXPECT_EQ(manual.WaitFor(0), TWaitResult::Timeout);
    manual.Set();
    EXPECT_EQ(manual.WaitFor(0), TWaitResult::Signaled);
    EXPECT_EQ(manual.WaitFor(kInfinite), TWaitResult::Signaled);
    manual.Reset();
    EXPECT_EQ(manual.WaitFor(1), TWaitResult::Timeout);

    TEvent automatic(false, true);
    EXPECT_EQ(automatic.WaitFor(0), TWaitResult::Signaled);
    EXPECT_EQ(automatic.WaitFor(0), TWaitResult::Timeout);
}

TEST(Thread, RunsItsBodyWaitsOnEventsAndEndsWhenAsked) {
    TEvent go(true, false), started(true, false);
    std::atomic<int> rounds{0};
    {
        TThread worker([&](TThread& self) {
            started.Set();
            go.WaitFor(kInfinite);
            while (!self.Terminated()) {
                ++rounds;
                Sleep(1);
            }
        });
        EXPECT_EQ(started.WaitFor(kInfinite), TWaitResult::Signaled);
        EXPECT_FALSE(worker.Finished());
        go.Set();
        while (rounds == 0) Sleep(1);
        // Leaving the scope asks it to end and waits.
    }
    EXPECT_GT(rounds.load(), 0);

    TThread failing([](TThread&) { throw EInvalidOperation("from the worker"); });
    failing.WaitFor();
    EXPECT_TRUE(failing.Finished());
    ASSERT_TRUE(failing.Failure());
    try {
        std::rethrow_exception(failing.Failure());
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "from the worker");
    }
}

TEST(Thread, ALowerPriorityTakesEffectOnTheThreadItself) {
    int nice = 0;
    TThread idle(
        [&](TThread&) {
            errno = 0;
            nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
        },
        TThreadPriority::tpIdle);
    idle.WaitFor();
    EXPECT_EQ(nice, 19);
    EXPECT_EQ(idle.Priority(), TThreadPriority::tpIdle);
}

TEST(Clock, MillisecondsMoveOnAtLeastAsFarAsASleep) {
    const uint32_t before = TimeGetTime();
    Sleep(5);
    EXPECT_GE(static_cast<uint32_t>(TimeGetTime() - before), 5u);
}
