// The display bitmap that a directory's rows are decoded into: filled a band of rows
// at a time and handed to the target only once every row is in, so that a load that
// fails part-way leaves the target's picture as it was.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/Bitmap.h"
#include "platform/gdi/Gdi.h"

namespace vardel {

class TDisplayRows {
  public:
    TDisplayRows() = default;
    ~TDisplayRows();
    TDisplayRows(const TDisplayRows&) = delete;
    TDisplayRows& operator=(const TDisplayRows&) = delete;

    // A bitmap of the display's format, written `bandRows` rows at a time. False when
    // the platform cannot make one that large.
    bool Create(uint32_t width, uint32_t height, uint32_t bandRows);
    // Where the band of rows from `y` goes: 32-bit pixels (blue, green, red, 0), rows
    // Step() bytes apart.
    uint8_t* Band(uint32_t y) const;
    ptrdiff_t Step() const { return step_; }
    // The band of `rows` rows from `y` is written.
    void Commit(uint32_t y, uint32_t rows);
    // The target takes the bitmap (and with it a change notification).
    void AttachTo(TBitmap& target);

  private:
    void Release();

    gdi::HBITMAP bitmap_;
    gdi::HDC dc_;             // with bitmap_ selected while rows are written
    uint8_t* top_ = nullptr;  // bitmap_'s own rows, when the display is 32 bits deep
    ptrdiff_t step_ = 0;
    // Otherwise a 32-bit band that each Commit transfers onto bitmap_ in its format.
    gdi::HBITMAP band_;
    gdi::HDC bandDc_;
    uint32_t width_ = 0;
};

}  // namespace vardel
