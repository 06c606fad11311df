// Median-cut colour reduction for the animated sample: one palette for every frame,
// chosen from the colours that the frames really use.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vardel::samples {

using TRgb8 = std::array<uint8_t, 3>;

// At most `count` colours that stand for `colors` (weighted by how often each occurs).
std::vector<TRgb8> MedianCut(const std::vector<TRgb8>& colors, int count);

// The index of the palette entry nearest to `color`.
uint8_t Nearest(const std::vector<TRgb8>& palette, const TRgb8& color);

}  // namespace vardel::samples
