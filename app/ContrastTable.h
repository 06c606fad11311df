// The table of the contrast stretch: blue values from `low` to `high` stretched
// linearly onto `base` … 255, below `low` to `base`, from `high` up to 255.
#pragma once

#include <array>
#include <cstdint>

namespace vardel {

using TContrastTable = std::array<int32_t, 256>;

// Three passes, each overwriting what the one before wrote: `base` for 0 … low; 255
// for high … 255 when high ≤ 255; and, when high ≥ low, the nearest integer (halves to
// even) to (255 − base) ÷ (high − low) × (i − low) + base for low … high, computed
// with a 64-bit significand in that order. Indices outside 0 … 255 are skipped, so
// out-of-range limits keep the slope for the values in range. low = high raises
// "Floating point division by zero" ("Invalid floating point operation" when base is
// 255 as well).
TContrastTable BuildContrastTable(int32_t low, int32_t high, int32_t base);

}  // namespace vardel
