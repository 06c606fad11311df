// Cross-thread calls: a worker hands a call to the user-interface thread and waits
// until it has run. The user-interface thread runs what is pending whenever it is
// woken (the toolkit peer installs the wake-up) and while it waits for a worker.
#pragma once

#include <functional>

namespace vardel {

// Marks the calling thread as the user-interface thread (done at start-up; until
// then the first thread that asks is taken).
void SetUiThread();
bool IsUiThread();

// Runs `call` on the user-interface thread and returns when it has run; an exception
// that it raises is raised again here. On the user-interface thread it runs at once.
void CallOnUiThread(const std::function<void()>& call);
// Runs every pending call; returns whether any ran.
bool RunPendingUiCalls();
// Called (from any thread) when a call becomes pending, to wake the event loop.
void SetUiWakeup(std::function<void()> wakeup);

}  // namespace vardel
