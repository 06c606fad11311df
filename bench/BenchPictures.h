// The pictures that benchmarks start from.
#pragma once

#include <cstdint>

#include "graphics/Bitmap.h"

namespace vardel::bench {

// A 24-bit bitmap of the size given whose three channels vary differently, so that
// no command can take a short cut on uniform rows.
inline void MakeVariedPicture(TBitmap& bitmap, int width, int height) {
    bitmap.SetPixelLayout(TPixelLayout::Format24Bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanRow(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 7 + y);
            row[3 * x + 1] = static_cast<uint8_t>(x ^ y);
            row[3 * x + 2] = static_cast<uint8_t>(x + y * 3);
        }
    }
}

}  // namespace vardel::bench
