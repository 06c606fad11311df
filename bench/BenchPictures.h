// The pictures that benchmarks start from.
#pragma once

#include <cstdint>
#include <vector>

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

// A photograph-like picture as red, green and blue bytes, rows from the top: smooth
// gradients with some grain, so that compressors meet what they usually meet.
inline std::vector<uint8_t> MakePhotoLikeRgb(int width, int height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    uint32_t grain = 1;
    size_t i = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int n = static_cast<int>(grain >> 28) - 8;
            rgb[i++] = static_cast<uint8_t>((x * 255 / width + n) & 0xFF);
            rgb[i++] = static_cast<uint8_t>((y * 255 / height - n) & 0xFF);
            rgb[i++] = static_cast<uint8_t>(((x + y) / 27 + n) & 0xFF);
        }
    }
    return rgb;
}

}  // namespace vardel::bench
