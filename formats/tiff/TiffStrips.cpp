#include "formats/tiff/TiffStrips.h"

#include <cstring>
#include <new>
#include <utility>

#include "platform/runtime/Exceptions.h"
#include "platform/runtime/Streams.h"

namespace vardel {

namespace {
size_t Padded(size_t rowLength) {
    return (rowLength + 3) & ~size_t{3};
}
}  // namespace

TPixelBuffer::TPixelBuffer(size_t size) : size_(size) {
    try {
        data_ = std::make_unique_for_overwrite<uint8_t[]>(size);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(msg::kOutOfMemory);
    }
}

bool ReadStripData(const std::string& fileName, const TGraphicTiff& directory, TPixelBuffer& out) {
    const uint16_t count = directory.StripCount();
    if (count == 0) return false;
    try {
        TFileStream file(fileName, FileMode::OpenRead);
        const auto fileSize = static_cast<uint64_t>(file.Size());
        // Strips that reach past the end can never be read whole: refuse them before
        // their byte counts (which may be anything) decide an allocation.
        uint64_t total = 0;
        for (uint16_t i = 0; i < count; ++i) {
            const TTiffStrip& strip = *directory.GetStrip(i);
            if (uint64_t{strip.offset} + strip.byteCount > fileSize) return false;
            total += strip.byteCount;
        }
        CheckPictureAllocation(total);
        TPixelBuffer buffer(static_cast<size_t>(total));
        // Strips that follow one another in the file (the usual layout) are read in one
        // go, which lets large reads bypass the stream's buffer.
        size_t at = 0;
        for (uint16_t i = 0; i < count;) {
            const uint32_t start = directory.GetStrip(i)->offset;
            uint64_t length = 0;
            do {
                length += directory.GetStrip(i++)->byteCount;
            } while (i < count && directory.GetStrip(i)->offset == start + length);
            file.Seek(start, SeekOrigin::Begin);
            if (file.Read(buffer.Data() + at, length) != length) return false;
            at += length;
        }
        out = std::move(buffer);
        return true;
    } catch (const EFOpenError&) {
        return false;
    }
}

size_t RowLength(const TGraphicTiff& directory, uint32_t imageLength) {
    const TTiffStrip* first = directory.GetStrip(0);
    if (!first || imageLength == 0) return 0;
    const TTiffTagEntry* entry = directory.FindTag(tifftag::kRowsPerStrip);
    uint32_t rowsPerStrip = entry ? directory.Value(*entry) : 0;
    if (rowsPerStrip == 0 || rowsPerStrip > imageLength) rowsPerStrip = imageLength;
    return first->byteCount / rowsPerStrip;
}

bool HoldsRows(const TPixelBuffer& buffer, size_t rowLength, uint32_t rows, uint32_t width,
               uint64_t bitsPerPixel) {
    if (rows == 0) return true;
    if (width != 0 && bitsPerPixel > (UINT64_MAX - 7) / width) return false;
    const uint64_t pixelBytes = (uint64_t{width} * bitsPerPixel + 7) / 8;
    if (rowLength < pixelBytes) return false;
    // rows * rowLength stays far below 2^64: rowLength is at most a strip's 32-bit count.
    return uint64_t{rows} * rowLength <= buffer.Size();
}

void PadRows(TPixelBuffer& buffer, size_t rowLength, uint32_t rows) {
    const size_t padded = Padded(rowLength);
    if (padded == rowLength) return;
    TPixelBuffer laid(size_t{rows} * padded);
    const uint8_t* in = buffer.Data();
    uint8_t* out = laid.Data();
    for (uint32_t y = 0; y < rows; ++y, in += rowLength, out += padded) {
        std::memcpy(out, in, rowLength);
        std::memset(out + rowLength, 0, padded - rowLength);
    }
    buffer = std::move(laid);
}

void SwapRedBlue(TPixelBuffer& buffer, size_t count) {
    uint8_t* p = buffer.Data();
    for (size_t i = 0; i < count; ++i, p += 3) std::swap(p[0], p[2]);
}

TPixelBuffer KeepFirstThreeSamples(const TPixelBuffer& buffer, size_t rowLength, uint32_t width,
                                   uint32_t rows, uint32_t samples) {
    const size_t padded = Padded(size_t{width} * 3);
    TPixelBuffer laid(size_t{rows} * padded);
    for (uint32_t y = 0; y < rows; ++y) {
        const uint8_t* in = buffer.Data() + size_t{y} * rowLength;
        uint8_t* out = laid.Data() + size_t{y} * padded;
        for (uint32_t x = 0; x < width; ++x, in += samples, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        std::memset(out, 0, padded - size_t{width} * 3);
    }
    return laid;
}

}  // namespace vardel
