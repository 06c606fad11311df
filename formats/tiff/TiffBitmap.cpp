#include "formats/tiff/TiffBitmap.h"

namespace vardel {

TDisplayRows::~TDisplayRows() {
    Release();
}

void TDisplayRows::Release() {
    // Deleting a context lets go of the bitmap selected into it.
    if (dc_) gdi::DeleteDC(dc_);
    if (bandDc_) gdi::DeleteDC(bandDc_);
    band_ = nullptr;
}

bool TDisplayRows::Create(uint32_t width, uint32_t height, uint32_t bandRows) {
    width_ = width;
    gdi::HDC screen = gdi::GetDC();
    bitmap_ =
        gdi::CreateCompatibleBitmap(screen, static_cast<int>(width), static_cast<int>(height));
    gdi::ReleaseDC(screen);
    if (!bitmap_) return false;
    dc_ = gdi::CreateCompatibleDC(nullptr);
    gdi::SelectObject(dc_, bitmap_);
    gdi::PixelWindow window;
    if (gdi::GetPixelWindow(dc_, window) && window.bytesPerPixel == 4) {
        top_ = window.At(0, 0);
        step_ = window.step;
        return true;
    }
    // A display of 8 bits: the rows are made in 32 bits and the transfer finds each
    // pixel's nearest colour, as it does for every picture drawn there.
    gdi::BITMAPINFO info;
    info.bmiHeader.biWidth = static_cast<int32_t>(width);
    info.bmiHeader.biHeight = -static_cast<int32_t>(bandRows);  // top-down
    info.bmiHeader.biBitCount = 32;
    uint8_t* bits = nullptr;
    band_ = gdi::CreateDIBSection(nullptr, info, gdi::DIB_RGB_COLORS, &bits);
    if (!band_) return false;
    bandDc_ = gdi::CreateCompatibleDC(nullptr);
    gdi::SelectObject(bandDc_, band_);
    top_ = bits;
    step_ = ptrdiff_t{4} * width;
    return true;
}

uint8_t* TDisplayRows::Band(uint32_t y) const {
    return band_ ? top_ : top_ + step_ * static_cast<ptrdiff_t>(y);
}

void TDisplayRows::Commit(uint32_t y, uint32_t rows) {
    if (band_)
        gdi::BitBlt(dc_, 0, static_cast<int>(y), static_cast<int>(width_), static_cast<int>(rows),
                    bandDc_, 0, 0, gdi::SRCCOPY);
}

void TDisplayRows::AttachTo(TBitmap& target) {
    // The bitmap leaves its context before anyone else draws with it.
    Release();
    TBitmap decoded;
    decoded.AttachHandle(bitmap_);
    target.Assign(&decoded);
}

}  // namespace vardel
