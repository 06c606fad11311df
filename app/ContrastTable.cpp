#include "app/ContrastTable.h"

#include <algorithm>

#include "platform/runtime/FloatMath.h"

namespace vardel {

TContrastTable BuildContrastTable(int32_t low, int32_t high, int32_t base) {
    // Every index is written by one of the passes; the zeros only keep the table
    // defined.
    TContrastTable table{};
    const int64_t lo = low, hi = high, b = base;
    for (int64_t i = 0; i <= std::min<int64_t>(lo, 255); ++i) table[static_cast<size_t>(i)] = base;
    if (hi <= 255)
        for (int64_t i = std::max<int64_t>(hi, 0); i <= 255; ++i)
            table[static_cast<size_t>(i)] = 255;
    if (hi >= lo) {
        // The differences are taken in 64 bits so that extreme limits cannot wrap.
        const Extended slope =
            Divide(static_cast<Extended>(255 - b), static_cast<Extended>(hi - lo));
        for (int64_t i = std::max<int64_t>(lo, 0); i <= std::min<int64_t>(hi, 255); ++i) {
            const Extended value = slope * static_cast<Extended>(i - lo) + static_cast<Extended>(b);
            // The table keeps 32 bits of the rounded value, as its entries are 32-bit.
            table[static_cast<size_t>(i)] = static_cast<int32_t>(RoundHalfEven(value));
        }
    }
    return table;
}

}  // namespace vardel
