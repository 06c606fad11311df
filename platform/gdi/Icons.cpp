// Icons made from one image of an icon file, BMP-coded or PNG-coded, drawn through
// their mask or, for images with alpha, blended.
#include <algorithm>

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Png.h"
#include "platform/runtime/ByteOrder.h"

namespace vardel::gdi {

namespace {
// No icon image is larger than this on either side.
constexpr uint32_t kMaxIconSide = 4096;

// A PNG-coded image: its alpha says what is drawn, so the mask stays empty.
HICON CreatePngIcon(const uint8_t* data, size_t size) {
    size_t at = 0;
    PngReader reader([&](uint8_t* out, size_t count) {
        const size_t n = std::min(count, size - at);
        std::memcpy(out, data + at, n);
        at += n;
        return n;
    });
    PngHeader header;
    if (!reader.ReadHeader(header) || header.width > kMaxIconSide || header.height > kMaxIconSide) {
        SetFailure(ERROR_INVALID_DATA);
        return nullptr;
    }
    const int width = static_cast<int>(header.width), height = static_cast<int>(header.height);
    auto icon = std::make_shared<IconObj>();
    icon->color = AllocateBitmap(width, height, 32, true, true);
    icon->mask = CreateBitmap(width, height, 1, 1, nullptr);
    if (!icon->color || !icon->mask) return nullptr;
    if (!reader.ReadPixels(icon->color->top, icon->color->step, true)) {
        SetFailure(ERROR_INVALID_DATA);
        return nullptr;
    }
    icon->hasAlpha = true;
    return icon;
}
}  // namespace

HICON CreateIconFromResource(const uint8_t* data, size_t size) {
    if (IsPngSignature(data, size)) return CreatePngIcon(data, size);
    if (!data || size < 40 || LoadLe32(data) < 40 || LoadLe32(data) > size) {
        SetFailure(ERROR_INVALID_DATA);
        return nullptr;
    }
    const uint32_t headerSize = LoadLe32(data);
    BITMAPINFO info;
    auto& h = info.bmiHeader;
    h.biWidth = static_cast<int32_t>(LoadLe32(data + 4));
    const int32_t doubled = static_cast<int32_t>(LoadLe32(data + 8));
    h.biPlanes = LoadLe16(data + 12);
    h.biBitCount = LoadLe16(data + 14);
    h.biCompression = LoadLe32(data + 16);
    h.biClrUsed = LoadLe32(data + 32);
    const int width = h.biWidth, height = doubled / 2;
    if (width <= 0 || uint32_t(width) > kMaxIconSide || height <= 0 ||
        uint32_t(height) > kMaxIconSide || h.biCompression != BI_RGB ||
        !(h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8 || h.biBitCount == 24 ||
          h.biBitCount == 32)) {
        SetFailure(ERROR_INVALID_DATA);
        return nullptr;
    }
    h.biHeight = height;
    size_t at = headerSize;
    if (h.biBitCount <= 8) {
        const size_t n =
            h.biClrUsed && h.biClrUsed < (1u << h.biBitCount) ? h.biClrUsed : (1u << h.biBitCount);
        if (at + 4 * n > size) {
            SetFailure(ERROR_INVALID_DATA);
            return nullptr;
        }
        for (size_t i = 0; i < n; ++i)
            info.bmiColors.push_back(
                {data[at + 4 * i], data[at + 4 * i + 1], data[at + 4 * i + 2], 0});
        at += 4 * n;
    }
    const size_t xorStride = ((size_t(width) * h.biBitCount + 31) / 32) * 4;
    const size_t andStride = ((size_t(width) + 31) / 32) * 4;
    if (at + xorStride * height > size) {
        SetFailure(ERROR_INVALID_DATA);
        return nullptr;
    }
    auto icon = std::make_shared<IconObj>();
    icon->color = AllocateBitmap(width, height, 32, true, true);
    icon->mask = CreateBitmap(width, height, 1, 1, nullptr);
    if (!icon->color || !icon->mask) return nullptr;
    if (h.biBitCount == 32) {
        // Copied as they are, alpha included; rows are stored bottom-up.
        for (int y = 0; y < height; ++y) {
            std::memcpy(icon->color->Row(height - 1 - y), data + at + xorStride * y,
                        4 * size_t(width));
            for (int x = 0; x < width; ++x)
                icon->hasAlpha |= data[at + xorStride * y + 4 * x + 3] != 0;
        }
    } else {
        StoreDIBRows(*icon->color, info, data + at, xorStride * height);
    }
    at += xorStride * height;
    // A missing AND mask means an opaque image.
    if (at + andStride * height <= size) {
        for (int y = 0; y < height; ++y)
            std::memcpy(icon->mask->Row(height - 1 - y), data + at + andStride * y,
                        std::min<size_t>(andStride, icon->mask->stride));
    }
    return icon;
}

POINT GetIconSize(const HICON& icon) {
    return icon ? POINT{icon->color->width, icon->color->height} : POINT{0, 0};
}

bool DrawIconEx(const HDC& dc, int x, int y, const HICON& icon, int width, int height) {
    if (!dc || !dc->alive || !icon) return false;
    if (!dc->bitmap) return true;
    const BitmapObj& c = *icon->color;
    if (width <= 0) width = c.width;
    if (height <= 0) height = c.height;
    if (icon->hasAlpha) return DrawAlphaBitmap(dc, x, y, width, height, icon->color);
    const BitmapObj& d = *dc->bitmap;
    const BitmapObj& m = *icon->mask;
    for (int v = 0; v < height; ++v) {
        const int py = y + v + dc->origin.y;
        if (py < 0 || py >= d.height) continue;
        if (dc->clip && (py < dc->clip->top || py >= dc->clip->bottom)) continue;
        const int sy = static_cast<int>(int64_t{v} * c.height / height);
        uint8_t* drow = d.Row(py);
        for (int u = 0; u < width; ++u) {
            const int px = x + u + dc->origin.x;
            if (px < 0 || px >= d.width) continue;
            if (dc->clip && (px < dc->clip->left || px >= dc->clip->right)) continue;
            const int sx = static_cast<int>(int64_t{u} * c.width / width);
            const uint8_t* p = c.Row(sy) + 4 * sx;
            const COLORREF dst = RawToColor(d, ReadRaw(d, drow, px));
            const COLORREF src = RGB(p[2], p[1], p[0]);
            // AND with the mask, then XOR with the image.
            const bool keep = ReadRaw(m, m.Row(sy), sx) != 0;
            WriteRaw(d, drow, px, ColorToRaw(d, keep ? (dst ^ src) : src));
        }
    }
    return true;
}

}  // namespace vardel::gdi
