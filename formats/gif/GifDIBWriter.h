// Frame bitmaps are written row by row into a bottom-up device-independent bitmap and
// handed to a TBitmap as a BMP file in memory, so that the bitmap reads them as it
// reads any BMP.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/Bitmap.h"
#include "platform/runtime/MemoryBudget.h"

namespace vardel {

// The target bitmap and the layout written for it.
class TDIB {
  public:
    TDIB(TBitmap& bitmap, TPixelLayout layout) : bitmap_(bitmap), layout_(layout) {}
    TBitmap& Bitmap() const { return bitmap_; }
    TPixelLayout Layout() const { return layout_; }

  private:
    TBitmap& bitmap_;
    TPixelLayout layout_;
};

class TDIBWriter : public TDIB {
  public:
    // Format8Bit (with the palette's colours as its table) or Format24Bit; the
    // size must not be 0.
    TDIBWriter(TBitmap& bitmap, const gdi::HPALETTE& palette, int height, int width,
               TPixelLayout layout);
    TDIBWriter(const TDIBWriter&) = delete;
    TDIBWriter& operator=(const TDIBWriter&) = delete;

    // Row y counted from the top: Width bytes (8 bits) or Width x 3 bytes in the order
    // blue, green, red (24 bits). The memory is made on the first call.
    uint8_t* ScanRow(int y);
    // Hands the rows to the bitmap, which loads them as a BMP file, and frees them.
    // Without this the bitmap is left as it was.
    void Finish();

    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    void MakeMemory();

    int width_;
    int height_;
    int bits_;
    gdi::HPALETTE palette_;
    size_t rowBytes_ = 0;
    size_t pixelOffset_ = 0;
    std::vector<uint8_t> file_;
    TMemoryCharge fileCharge_;
    bool finished_ = false;
};

}  // namespace vardel
