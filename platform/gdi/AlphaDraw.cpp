// Drawing bitmaps whose fourth byte is alpha over what a context holds: pictures with
// transparency and icon images with alpha.
#include <algorithm>
#include <vector>

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

namespace {
// s·a + t·(255 − a), divided by 255 and rounded.
inline uint8_t Mix(int s, int t, int a) {
    return static_cast<uint8_t>((s * a + t * (255 - a) + 127) / 255);
}
}  // namespace

bool DrawAlphaBitmap(const HDC& dc, int x, int y, int width, int height, const HBITMAP& source) {
    if (!dc || !dc->alive || !source || source->kind != PixelKind::Bgrx32) {
        SetFailure(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!dc->bitmap || dc->bitmap->isStock || width <= 0 || height <= 0) return true;
    const BitmapObj& d = *dc->bitmap;
    const BitmapObj& s = *source;
    RECT bounds{0, 0, d.width, d.height};
    if (dc->clip) {
        bounds.left = std::max(bounds.left, dc->clip->left);
        bounds.top = std::max(bounds.top, dc->clip->top);
        bounds.right = std::min(bounds.right, dc->clip->right);
        bounds.bottom = std::min(bounds.bottom, dc->clip->bottom);
    }
    const int64_t dx0 = int64_t{x} + dc->origin.x, dy0 = int64_t{y} + dc->origin.y;
    const int left = static_cast<int>(std::max<int64_t>(dx0, bounds.left));
    const int right = static_cast<int>(std::min<int64_t>(dx0 + width, bounds.right));
    const int top = static_cast<int>(std::max<int64_t>(dy0, bounds.top));
    const int bottom = static_cast<int>(std::min<int64_t>(dy0 + height, bounds.bottom));
    if (left >= right || top >= bottom) return true;
    // Each target pixel takes the source pixel at its centre, as stretched transfers do.
    std::vector<int> columns(static_cast<size_t>(right - left));
    for (int px = left; px < right; ++px)
        columns[px - left] =
            static_cast<int>((2 * (px - dx0) + 1) * s.width / (2 * int64_t{width}));
    const int targetBytes = d.kind == PixelKind::Bgrx32 ? 4 : d.kind == PixelKind::Bgr24 ? 3 : 0;
    for (int py = top; py < bottom; ++py) {
        const int sy = static_cast<int>((2 * (py - dy0) + 1) * s.height / (2 * int64_t{height}));
        const uint8_t* srow = s.Row(sy);
        uint8_t* drow = d.Row(py);
        for (int px = left; px < right; ++px) {
            const uint8_t* p = srow + 4 * columns[px - left];
            const int a = p[3];
            if (a == 0) continue;
            if (targetBytes) {
                // True-colour targets are mixed byte by byte; their fourth byte stays.
                uint8_t* q = drow + static_cast<ptrdiff_t>(targetBytes) * px;
                for (int k = 0; k < 3; ++k) q[k] = a == 255 ? p[k] : Mix(p[k], q[k], a);
                continue;
            }
            const COLORREF t = RawToColor(d, ReadRaw(d, drow, px));
            const COLORREF out = RGB(Mix(p[2], GetRValue(t), a), Mix(p[1], GetGValue(t), a),
                                     Mix(p[0], GetBValue(t), a));
            WriteRaw(d, drow, px, ColorToRaw(d, out));
        }
    }
    return true;
}

}  // namespace vardel::gdi
