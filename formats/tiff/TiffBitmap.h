// Hands decoded TIFF rows to the platform as a bitmap description and puts the
// resulting bitmap into the caller's target.
#pragma once

#include <cstdint>

#include "formats/tiff/TiffColorTable.h"
#include "formats/tiff/TiffStrips.h"
#include "graphics/Bitmap.h"

namespace vardel {

// `buffer` holds `height` rows, top first, each padded to 4 bytes, of `bits` bits per
// pixel; the colour table serves 1, 4 and 8 bits. The target takes the new bitmap; it
// keeps what it had when the platform refuses the description (no message) or when
// making the bitmap fails ("Out Of Memory ").
void MakeBitmap(uint32_t width, uint32_t height, uint32_t bits, TBitmap& target,
                const TPixelBuffer& buffer, const TColorTable& table);

}  // namespace vardel
