// The pixel data of one directory: its strips read into one buffer, rows re-laid to
// the 4-byte multiples that a bitmap description needs, and the RGB byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "formats/tiff/ReadTiffTags.h"

namespace vardel {

// Bytes that are written in full right after allocation, so they are not zeroed first.
class TPixelBuffer {
  public:
    TPixelBuffer() = default;
    // Raises EOutOfMemory "Out of memory" when the memory cannot be had.
    explicit TPixelBuffer(size_t size);

    uint8_t* Data() { return data_.get(); }
    const uint8_t* Data() const { return data_.get(); }
    size_t Size() const { return size_; }

  private:
    std::unique_ptr<uint8_t[]> data_;
    size_t size_ = 0;
};

// The strips of the directory, concatenated in index order. False when there is no
// strip table or a strip does not lie wholly inside the file. Raises EOutOfMemory when
// the strips together pass the picture limit.
bool ReadStripData(const std::string& fileName, const TGraphicTiff& directory, TPixelBuffer& out);

// Bytes per row in the file: strip 0's byte count divided by RowsPerStrip, where a
// missing RowsPerStrip, 0, or one above the image length means one strip for the whole
// image (the TIFF default). 0 for an image without rows.
size_t RowLength(const TGraphicTiff& directory, uint32_t imageLength);

// True when `buffer` holds `rows` rows of `rowLength` bytes and a row is long enough for
// `width` pixels of `bitsPerPixel` bits.
bool HoldsRows(const TPixelBuffer& buffer, size_t rowLength, uint32_t rows, uint32_t width,
               uint64_t bitsPerPixel);

// Re-lays the rows so that each starts at a multiple of 4 bytes (pad bytes zero).
void PadRows(TPixelBuffer& buffer, size_t rowLength, uint32_t rows);

// File order red, green, blue becomes blue, green, red for `count` 3-byte pixels.
void SwapRedBlue(TPixelBuffer& buffer, size_t count);

// Rows of pixels with `samples` (more than 3) 8-bit samples each become padded rows of
// blue, green, red from the first three; the others (alpha and the like) are dropped.
TPixelBuffer KeepFirstThreeSamples(const TPixelBuffer& buffer, size_t rowLength, uint32_t width,
                                   uint32_t rows, uint32_t samples);

}  // namespace vardel
