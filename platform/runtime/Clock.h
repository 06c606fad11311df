// Millisecond clocks.
#pragma once

#include <cstdint>

namespace vardel {

// Milliseconds since some fixed moment, wrapping at 2^32 as the platform's clocks do.
uint32_t TimeGetTime();
uint32_t GetTickCount();

}  // namespace vardel
