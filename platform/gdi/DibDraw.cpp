// Device-independent pixels drawn straight from memory: stretched transfers and the
// tiles of pattern brushes.
#include <algorithm>

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

namespace {
// Run-length pictures may legitimately be far larger than their data, but not without bound.
constexpr uint64_t kMaxRunLengthPixels = uint64_t{1} << 26;
}  // namespace

HBITMAP BitmapFromDIB(const BITMAPINFO& info, const void* bits, size_t size, bool monochrome) {
    const BITMAPINFOHEADER& h = info.bmiHeader;
    if (!bits || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return nullptr;
    const uint64_t width = static_cast<uint64_t>(h.biWidth);
    const uint64_t height = h.biHeight < 0 ? uint64_t(-int64_t{h.biHeight}) : uint64_t(h.biHeight);
    if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
        if (width * height > kMaxRunLengthPixels) return nullptr;
    } else {
        // Every row must be there: a description larger than its data is refused.
        const uint64_t stride = ((width * h.biBitCount + 31) / 32) * 4;
        if (h.biBitCount == 0 || stride * height > size) return nullptr;
    }
    if (monochrome) {
        if (h.biBitCount != 1 || h.biCompression != BI_RGB) return nullptr;
        HBITMAP b = CreateBitmap(h.biWidth, static_cast<int>(height), 1, 1, nullptr);
        if (!b) return nullptr;
        const size_t stride = static_cast<size_t>((width + 31) / 32 * 4);
        const auto* p = static_cast<const uint8_t*>(bits);
        for (uint64_t y = 0; y < height; ++y) {
            const uint64_t row = h.biHeight < 0 ? y : height - 1 - y;
            std::memcpy(b->Row(static_cast<int>(y)), p + stride * row,
                        std::min<size_t>(stride, b->stride));
        }
        return b;
    }
    BITMAPINFOHEADER header = h;
    return CreateDIBitmap(nullptr, header, CBM_INIT, bits, size, info, DIB_RGB_COLORS);
}

HBRUSH CreateDIBPatternBrush(const BITMAPINFO& info, const void* bits, size_t size) {
    HBITMAP tile = BitmapFromDIB(info, bits, size, false);
    return tile ? CreatePatternBrush(tile) : nullptr;
}

int StretchDIBits(const HDC& dc, int x, int y, int width, int height, int sx, int sy, int sw,
                  int sh, const void* bits, size_t size, const BITMAPINFO& info, uint32_t usage,
                  uint32_t rop) {
    if (!LiveDC(dc) || usage != DIB_RGB_COLORS) return 0;
    HBITMAP source = BitmapFromDIB(info, bits, size, false);
    if (!source) return 0;
    HDC memory = CreateCompatibleDC(nullptr);
    SelectObject(memory, source);
    // The source rectangle of a bottom-up picture is measured from its last row.
    const int top = info.bmiHeader.biHeight > 0 ? source->height - (sy + sh) : sy;
    const bool drawn = StretchBlt(dc, x, y, width, height, memory, sx, top, sw, sh, rop);
    DeleteDC(memory);
    return drawn ? source->height : 0;
}

}  // namespace vardel::gdi
