// The pixel data of one directory: its strips read as one stream of bytes in strip
// order, and how many rows of what length that stream holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/tiff/ReadTiffTags.h"
#include "platform/runtime/Streams.h"

namespace vardel {

// The strips of a directory one after the other, as if they were one block of bytes.
// Strips that follow one another in the file (the usual layout) are read in one go.
class TStripStream {
  public:
    // False when the directory has no strip table or a strip does not lie wholly inside
    // the file; then nothing can be read. Only the table is looked at, not the data.
    bool Open(TStream& file, const TGraphicTiff& directory);
    // Bytes of all strips together (strips that name the same bytes count each time).
    uint64_t Size() const { return size_; }
    // The next `n` bytes; false when the file ends before them (it shrank since Open).
    bool Read(uint8_t* out, size_t n);
    // Passes over the next `n` bytes.
    void Skip(uint64_t n);

  private:
    // Bytes that lie one after the other in the file.
    struct TRun {
        uint64_t offset;
        uint64_t length;
    };
    TStream* file_ = nullptr;
    std::vector<TRun> runs_;
    uint64_t size_ = 0;
    size_t run_ = 0;       // the run read next
    uint64_t done_ = 0;    // bytes of it already read or passed over
    bool placed_ = false;  // the file sits where the next byte is
};

// Bytes per row in the file: strip 0's byte count divided by RowsPerStrip, where a
// missing RowsPerStrip, 0, or one above the image length means one strip for the whole
// image (the TIFF default). 0 for an image without rows.
size_t RowLength(const TGraphicTiff& directory, uint32_t imageLength);

// True when strips of `stripBytes` together hold `rows` rows of `rowLength` bytes and a
// row is long enough for `width` pixels of `bitsPerPixel` bits.
bool HoldsRows(uint64_t stripBytes, size_t rowLength, uint32_t rows, uint32_t width,
               uint64_t bitsPerPixel);

}  // namespace vardel
