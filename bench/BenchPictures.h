// The pictures that benchmarks start from.
#pragma once

#include <cstdint>

#include "graphics/Bitmap.h"

namespace vardel::bench {

// A bitmap of the size and layout given (24 or 32 bits) whose three channels vary
// differently, so that no command can take a short cut on uniform rows.
inline void MakeVariedPicture(TBitmap& bitmap, int width, int height,
                              TPixelLayout layout = TPixelLayout::Format24Bit) {
    bitmap.SetPixelLayout(layout);
    bitmap.SetSize(width, height);
    const int bytes = layout == TPixelLayout::Format32Bit ? 4 : 3;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanRow(y);
        for (int x = 0; x < width; ++x) {
            row[bytes * x] = static_cast<uint8_t>(x * 7 + y);
            row[bytes * x + 1] = static_cast<uint8_t>(x ^ y);
            row[bytes * x + 2] = static_cast<uint8_t>(x + y * 3);
        }
    }
}

}  // namespace vardel::bench
