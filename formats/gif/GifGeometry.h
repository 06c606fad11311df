// Arithmetic of placing frames: rounded scaling and the grid of tiles that a tiled
// frame or composite repeats over a rectangle.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/gdi/Gdi.h"

namespace vardel {

// numerator / denominator (> 0) rounded to the nearest, halves away from zero.
inline int64_t RoundHalfAway(int64_t numerator, int64_t denominator) {
    return numerator >= 0 ? (2 * numerator + denominator) / (2 * denominator)
                          : -((-2 * numerator + denominator) / (2 * denominator));
}

// Calls draw(x, y) for every tile of a grid that starts at (left, top) in steps of
// (width, height) while x < rect.right and y < rect.bottom. Tiles that lie wholly
// outside `visible` are passed over, so that a tiny frame tiled into a huge
// rectangle costs no more than the part of it that can be seen.
template <class Draw>
void ForEachTile(const gdi::RECT& rect, int left, int top, int width, int height,
                 const gdi::RECT& visible, Draw draw) {
    if (width <= 0 || height <= 0) return;
    const int64_t right = std::min<int64_t>(rect.right, visible.right);
    const int64_t bottom = std::min<int64_t>(rect.bottom, visible.bottom);
    int64_t x0 = left, y0 = top;
    if (x0 + width <= visible.left) x0 += (visible.left - x0) / width * width;
    if (y0 + height <= visible.top) y0 += (visible.top - y0) / height * height;
    for (int64_t y = y0; y < bottom; y += height)
        for (int64_t x = x0; x < right; x += width) draw(static_cast<int>(x), static_cast<int>(y));
}

}  // namespace vardel
