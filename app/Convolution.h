// The fixed 3 × 3 filter of the convolution commands, on the red channel.
#pragma once

#include <array>
#include <cstddef>

#include "graphics/Color.h"

namespace vardel {

// Weights by (dy + 1, dx + 1); they add up to 0, so a region of one colour gives 0.
inline constexpr std::array<std::array<int, 3>, 3> kFilterWeights{
    {{1, -2, 1}, {-2, 4, -2}, {1, -2, 1}}};

// The weighted sum of the red bytes around (x, y) that `read` gives (a ReadPixel or a
// read of the rows), read neighbour by neighbour (rows outer), clamped to 0 … 255.
// Unrolled and inlined, so that a walk over rows reads nine bytes and nothing more.
template <class Read>
[[gnu::always_inline]] inline int FilterStep(const Read& read, int x, int y) {
    int sum = 0;
#pragma GCC unroll 3
    for (int dy = -1; dy <= 1; ++dy)
#pragma GCC unroll 3
        for (int dx = -1; dx <= 1; ++dx)
            sum += kFilterWeights[static_cast<size_t>(dy + 1)][static_cast<size_t>(dx + 1)] *
                   static_cast<int>(read(x + dx, y + dy) & 0xFF);
    if (sum > 255) sum = 255;
    if (sum < 0) sum = 0;
    return sum;
}

}  // namespace vardel
