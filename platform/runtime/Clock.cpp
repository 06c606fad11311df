#include "platform/runtime/Clock.h"

#include <chrono>

namespace vardel {

uint32_t TimeGetTime() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t GetTickCount() { return TimeGetTime(); }

}  // namespace vardel
