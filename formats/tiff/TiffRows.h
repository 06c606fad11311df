// Stored rows of an uncompressed TIFF image turned into display pixels, strip by strip,
// straight into the bitmap that the target then takes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "formats/tiff/TiffColorTable.h"
#include "formats/tiff/TiffStrips.h"
#include "graphics/Bitmap.h"

namespace vardel {

// How the file stores a pixel.
struct TPixelFormat {
    // Indexed pixels of 1, 4 or 8 bits (bilevel, grey, palette) shown through a colour
    // table, or RGB: `samples` bytes a pixel, the first three red, green and blue.
    bool rgb = false;
    uint64_t bits = 8;     // per pixel
    uint32_t samples = 1;  // per pixel, RGB only
    // FillOrder 2: the bits of every byte stored lowest first.
    bool reversedBits = false;
    // Indexed: the display pixel (blue, green, red, 0) of each value.
    std::array<std::array<uint8_t, 4>, 256> colours{};

    static TPixelFormat Indexed(uint32_t bits, const TColorTable& table);
    static TPixelFormat Rgb(uint32_t samples);
};

enum class TDecodeResult {
    kDone,       // the target shows the image
    kDataEnded,  // the strips ended early; the target is as it was
    kNoBitmap,   // the platform made no bitmap of that size; the target is as it was
};

// Reads `height` rows of `rowLength` bytes from the strips and shows the first `width`
// pixels of each. The strips must hold them (HoldsRows), the format must be 1, 4 or 8
// bits or RGB, and width and height must be 1 to 65535.
TDecodeResult DecodeRows(TStripStream& strips, size_t rowLength, const TPixelFormat& format,
                         uint32_t width, uint32_t height, TBitmap& target);

}  // namespace vardel
