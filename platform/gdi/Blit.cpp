// Block transfers: BitBlt, StretchBlt, MaskBlt and PatBlt over every pixel format,
// with ternary raster operations evaluated on the destination's stored values.
#include <algorithm>
#include <cmath>

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

namespace {

// Bit k of a ternary code is the result for P = k >> 2 & 1, S = k >> 1 & 1, D = k & 1.
uint32_t Rop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d) {
    switch (code) {
        case 0xCC:
            return s;
        case 0xF0:
            return p;
        case 0xAA:
            return d;
        case 0x88:
            return s & d;
        case 0xEE:
            return s | d;
        case 0x66:
            return s ^ d;
        case 0x33:
            return ~s;
        case 0x55:
            return ~d;
        case 0x5A:
            return p ^ d;
        case 0xC0:
            return p & s;
        case 0x44:
            return s & ~d;
        case 0x11:
            return ~(s | d);
        case 0xBB:
            return ~s | d;
        default:
            break;
    }
    uint32_t r = 0;
    for (int k = 0; k < 8; ++k) {
        if (!(code >> k & 1)) continue;
        r |= ((k & 4) ? p : ~p) & ((k & 2) ? s : ~s) & ((k & 1) ? d : ~d);
    }
    return r;
}

bool UsesSource(uint8_t code) {
    return ((code >> 2) ^ code) & 0x33;
}
bool UsesPattern(uint8_t code) {
    return ((code >> 4) ^ code) & 0x0F;
}
bool UsesDest(uint8_t code) {
    return ((code >> 1) ^ code) & 0x55;
}

struct Transfer {
    const DCObj* dst = nullptr;
    const DCObj* src = nullptr;
    int x = 0, y = 0, w = 0, h = 0;      // logical destination
    int sx = 0, sy = 0, sw = 0, sh = 0;  // logical source
    uint8_t fore = 0xCC, back = 0xCC;
    const BitmapObj* mask = nullptr;
    int mx = 0, my = 0;
};

// The destination's stored value for a solid brush colour.
uint32_t PatternRaw(const DCObj& dc, const BitmapObj& d) {
    if (!dc.brush || dc.brush->hollow) return 0;
    const COLORREF c = dc.brush->color;
    if (d.monochrome)
        return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) >= 12800 ? 1 : 0;
    return ColorToRaw(d, c);
}

bool Run(const Transfer& t) {
    if (t.dst->bitmap->isStock) return true;  // a context without a bitmap of its own
    const BitmapObj& d = *t.dst->bitmap;
    const bool needSource = UsesSource(t.fore) || (t.mask && UsesSource(t.back));
    const bool needPattern = UsesPattern(t.fore) || (t.mask && UsesPattern(t.back));
    const bool needDest = UsesDest(t.fore) || (t.mask && UsesDest(t.back));
    const BitmapObj* s = needSource ? t.src->bitmap.get() : nullptr;
    if (needSource && !s) return false;

    // Negative extents mirror the picture.
    int x = t.x, y = t.y, w = t.w, h = t.h, sx = t.sx, sy = t.sy, sw = t.sw, sh = t.sh;
    bool flipX = false, flipY = false;
    if (w < 0) {
        x += w;
        w = -w;
        flipX = !flipX;
    }
    if (h < 0) {
        y += h;
        h = -h;
        flipY = !flipY;
    }
    if (sw < 0) {
        sx += sw;
        sw = -sw;
        flipX = !flipX;
    }
    if (sh < 0) {
        sy += sh;
        sh = -sh;
        flipY = !flipY;
    }
    if (w == 0 || h == 0 || (needSource && (sw == 0 || sh == 0))) return true;

    const int dx0 = x + t.dst->origin.x, dy0 = y + t.dst->origin.y;
    RECT clip{0, 0, d.width, d.height};
    if (t.dst->clip) {
        clip.left = std::max(clip.left, t.dst->clip->left);
        clip.top = std::max(clip.top, t.dst->clip->top);
        clip.right = std::min(clip.right, t.dst->clip->right);
        clip.bottom = std::min(clip.bottom, t.dst->clip->bottom);
    }
    const int left = std::max(dx0, clip.left),
              right = std::min<int64_t>(int64_t{dx0} + w, clip.right);
    const int top = std::max(dy0, clip.top),
              bottom = std::min<int64_t>(int64_t{dy0} + h, clip.bottom);
    if (left >= right || top >= bottom) return true;

    const uint32_t pattern = needPattern ? PatternRaw(*t.dst, d) : 0;
    const bool srcMono = s && s->monochrome, dstMono = d.monochrome;
    const bool halftone =
        s && t.dst->stretchMode == HALFTONE && !srcMono && !dstMono && (sw > w || sh > h);
    const int sox = s ? sx + t.src->origin.x : 0, soy = s ? sy + t.src->origin.y : 0;
    const bool sameFormat = s && !halftone && sw == w && sh == h && !flipX && !flipY &&
                            s->kind == d.kind && s->bitCount == d.bitCount && s->bitCount >= 8 &&
                            s->masks == d.masks && s->colors == d.colors && srcMono == dstMono;

    // Source column of every destination column (-1 outside the source).
    std::vector<int> columnX;
    std::vector<int> columnEnd;
    if (s) {
        columnX.resize(right - left);
        columnEnd.resize(right - left);
        for (int px = left; px < right; ++px) {
            int u = px - dx0;
            if (flipX) u = w - 1 - u;
            const int a = static_cast<int>((int64_t{u} * sw) / w);
            int b = static_cast<int>((int64_t{u + 1} * sw) / w);
            const int c = static_cast<int>((int64_t{2 * u + 1} * sw) / (2 * int64_t{w}));
            const int at = sox + (halftone && sw > w ? a : c);
            if (b <= a) b = a + 1;
            columnX[px - left] = (at >= 0 && at < s->width) ? at : -1;
            columnEnd[px - left] = std::min(sox + b, s->width);
        }
    }

    const COLORREF dstText = t.dst->textColor, dstBk = t.dst->bkColor;
    const COLORREF srcBk = t.src ? t.src->bkColor : 0xFFFFFF;
    const uint32_t monoText = dstMono ? 0 : ColorToRaw(d, dstText);
    const uint32_t monoBk = dstMono ? 1 : ColorToRaw(d, dstBk);
    auto translate = [&](uint32_t raw) -> uint32_t {
        if (srcMono) return dstMono ? raw : (raw ? monoBk : monoText);
        const COLORREF c = RawToColor(*s, raw);
        if (dstMono) return c == (srcBk & 0xFFFFFF) ? 1 : 0;
        return ColorToRaw(d, c);
    };
    // An indexed source has at most 256 values: on transfers of more pixels than that,
    // each value is translated once, not per pixel.
    std::vector<uint32_t> translated;
    if (s && !srcMono && s->bitCount <= 8 && !halftone && !sameFormat &&
        int64_t{right - left} * (bottom - top) > (int64_t{1} << s->bitCount)) {
        translated.resize(size_t{1} << s->bitCount);
        for (uint32_t raw = 0; raw < translated.size(); ++raw) translated[raw] = translate(raw);
    }
    auto sourceRaw = [&](uint32_t raw) -> uint32_t {
        return translated.empty() ? translate(raw) : translated[raw];
    };
    // Frames of palette pictures drawn on 32-bit surfaces: one look-up per pixel.
    const bool indexedTo32 = !translated.empty() && s->kind == PixelKind::Index8 &&
                             d.kind == PixelKind::Bgrx32 && t.fore == 0xCC && !t.mask;

    for (int py = top; py < bottom; ++py) {
        uint8_t* drow = d.Row(py);
        int v = py - dy0;
        if (flipY) v = h - 1 - v;
        int srcY = 0, srcYEnd = 0;
        const uint8_t* srow = nullptr;
        if (s) {
            const int a = static_cast<int>((int64_t{v} * sh) / h);
            int b = static_cast<int>((int64_t{v + 1} * sh) / h);
            const int c = static_cast<int>((int64_t{2 * v + 1} * sh) / (2 * int64_t{h}));
            srcY = soy + (halftone && sh > h ? a : c);
            if (b <= a) b = a + 1;
            srcYEnd = std::min(soy + b, s->height);
            if (srcY < 0 || srcY >= s->height) continue;
            srow = s->Row(srcY);
        }
        if (sameFormat && t.fore == 0xCC && !t.mask) {
            // Plain copies between equal formats move stored values as they are: whole
            // runs of bytes from 8 bits up, value by value below.
            const int bpp = d.bitCount / 8;
            int px = left;
            while (px < right) {
                while (px < right && columnX[px - left] < 0) ++px;
                int end = px;
                while (end < right && columnX[end - left] >= 0) ++end;
                if (end == px) break;
                const int sx0 = columnX[px - left];
                const int bits = d.bitCount;
                if (bpp > 0) {
                    std::memcpy(drow + static_cast<size_t>(px) * bpp,
                                srow + static_cast<size_t>(sx0) * bpp,
                                static_cast<size_t>(end - px) * bpp);
                } else if ((px * bits) % 8 == 0 && (sx0 * bits) % 8 == 0) {
                    // Both runs start on a byte: whole bytes, then the last few values.
                    const int whole = (end - px) * bits / 8;
                    std::memcpy(drow + px * bits / 8, srow + sx0 * bits / 8,
                                static_cast<size_t>(whole));
                    for (int x = px + whole * 8 / bits; x < end; ++x)
                        WriteRaw(d, drow, x, ReadRaw(*s, srow, columnX[x - left]));
                } else {
                    for (int x = px; x < end; ++x)
                        WriteRaw(d, drow, x, ReadRaw(*s, srow, columnX[x - left]));
                }
                px = end;
            }
            continue;
        }
        if (indexedTo32) {
            for (int px = left; px < right; ++px) {
                const int cx = columnX[px - left];
                if (cx < 0) continue;
                const uint32_t value = translated[srow[cx]];
                std::memcpy(drow + 4 * static_cast<size_t>(px), &value, 4);
            }
            continue;
        }
        for (int px = left; px < right; ++px) {
            uint32_t sraw = 0;
            if (s) {
                const int cx = columnX[px - left];
                if (cx < 0) continue;
                if (halftone) {
                    // Shrinking in halftone mode averages the source pixels of the cell.
                    const int x1 = sw > w ? columnEnd[px - left] : cx + 1;
                    const int y1 = sh > h ? srcYEnd : srcY + 1;
                    uint32_t r = 0, g = 0, b = 0, n = 0;
                    for (int yy = srcY; yy < y1; ++yy) {
                        const uint8_t* row = s->Row(yy);
                        for (int xx = cx; xx < x1; ++xx) {
                            const COLORREF c = RawToColor(*s, ReadRaw(*s, row, xx));
                            r += GetRValue(c);
                            g += GetGValue(c);
                            b += GetBValue(c);
                            ++n;
                        }
                    }
                    sraw = ColorToRaw(d, RGB(static_cast<uint8_t>((r + n / 2) / n),
                                             static_cast<uint8_t>((g + n / 2) / n),
                                             static_cast<uint8_t>((b + n / 2) / n)));
                } else {
                    sraw = sourceRaw(ReadRaw(*s, srow, cx));
                }
            }
            uint8_t code = t.fore;
            if (t.mask) {
                const int mxp = t.mx + (px - dx0), myp = t.my + (py - dy0);
                bool bit = true;
                if (mxp >= 0 && myp >= 0 && mxp < t.mask->width && myp < t.mask->height)
                    bit = ReadRaw(*t.mask, t.mask->Row(myp), mxp) != 0;
                code = bit ? t.fore : t.back;
            }
            uint32_t result;
            if (code == 0xCC) {
                result = sraw;
            } else if ((code == 0x00 || code == 0xFF) && !dstMono) {
                // Blackness and whiteness mean the colours, whatever the table holds.
                result = ColorToRaw(d, code == 0xFF ? 0xFFFFFF : 0);
            } else {
                result = Rop3(code, pattern, sraw, needDest ? ReadRaw(d, drow, px) : 0);
            }
            WriteRaw(d, drow, px, result);
        }
    }
    return true;
}

// Run for mapped contexts and clipping regions: the logical destination becomes its
// device rectangle (the bounds of a turned one), and a region is drawn rectangle by
// rectangle with the clip bounds narrowed to each.
bool RunClipped(Transfer t, DCObj& dst) {
    if (dst.mapped) {
        const PointD a = dst.toDevice.Apply({double(t.x), double(t.y)});
        const PointD b = dst.toDevice.Apply({double(t.x) + t.w, double(t.y) + t.h});
        if (!(std::fabs(a.x) < 1e9 && std::fabs(a.y) < 1e9 && std::fabs(b.x) < 1e9 &&
              std::fabs(b.y) < 1e9))
            return true;
        const int x0 = static_cast<int>(std::lround(a.x)), y0 = static_cast<int>(std::lround(a.y));
        t.w = static_cast<int>(std::lround(b.x)) - x0;
        t.h = static_cast<int>(std::lround(b.y)) - y0;
        if (!t.mask && !UsesSource(t.fore)) {
            // Without a source, mirroring changes nothing.
            t.x = std::min(x0, x0 + t.w) - dst.origin.x;
            t.y = std::min(y0, y0 + t.h) - dst.origin.y;
            t.w = std::abs(t.w), t.h = std::abs(t.h);
        } else {
            t.x = x0 - dst.origin.x;
            t.y = y0 - dst.origin.y;
        }
    }
    if (!dst.complexClip) return Run(t);
    const std::optional<RECT> bounds = dst.clip;
    const std::shared_ptr<const Region> region = std::move(dst.complexClip);
    bool ok = true;
    for (const RECT& r : region->Rects()) {
        dst.clip = r;
        ok = Run(t) && ok;
    }
    dst.clip = bounds;
    dst.complexClip = region;
    return ok;
}

bool Start(Transfer& t, const HDC& dst, const HDC& src, uint32_t rop) {
    if (!dst || !dst->alive) {
        SetFailure(ERROR_INVALID_HANDLE);
        return false;
    }
    t.dst = dst.get();
    t.src = src && src->alive ? src.get() : nullptr;
    t.fore = static_cast<uint8_t>(rop >> 16);
    t.back = t.fore;
    return true;
}
}  // namespace

bool BitBlt(const HDC& dst, int x, int y, int width, int height, const HDC& src, int sx, int sy,
            uint32_t rop) {
    return StretchBlt(dst, x, y, width, height, src, sx, sy, width, height, rop);
}

bool StretchBlt(const HDC& dst, int x, int y, int width, int height, const HDC& src, int sx, int sy,
                int sw, int sh, uint32_t rop) {
    Transfer t;
    if (!Start(t, dst, src, rop)) return false;
    if (UsesSource(t.fore) && (!t.src || !t.src->bitmap)) {
        // The screen is not readable; a missing source is an error.
        SetFailure(ERROR_INVALID_HANDLE);
        return t.src != nullptr;
    }
    if (!dst->bitmap) return true;
    t.x = x, t.y = y, t.w = width, t.h = height;
    t.sx = sx, t.sy = sy, t.sw = sw, t.sh = sh;
    return RunClipped(t, *dst);
}

bool MaskBlt(const HDC& dst, int x, int y, int width, int height, const HDC& src, int sx, int sy,
             const HBITMAP& mask, int mx, int my, uint32_t rop4) {
    Transfer t;
    if (!Start(t, dst, src, rop4)) return false;
    t.back = mask ? static_cast<uint8_t>(rop4 >> 24) : t.fore;
    if (mask && mask->bitCount != 1) {
        SetFailure(ERROR_INVALID_PARAMETER);
        return false;
    }
    t.mask = mask.get();
    if ((UsesSource(t.fore) || UsesSource(t.back)) && (!t.src || !t.src->bitmap)) {
        SetFailure(ERROR_INVALID_HANDLE);
        return false;
    }
    if (!dst->bitmap) return true;
    t.x = x, t.y = y, t.w = width, t.h = height;
    t.sx = sx, t.sy = sy, t.sw = width, t.sh = height;
    t.mx = mx, t.my = my;
    return RunClipped(t, *dst);
}

bool PatBlt(const HDC& dc, int x, int y, int width, int height, uint32_t rop) {
    Transfer t;
    if (!Start(t, dc, nullptr, rop)) return false;
    if (UsesSource(t.fore)) {
        SetFailure(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (!dc->bitmap) return true;
    // Hatches and tiles are painted as brushes are.
    if (rop == PATCOPY && dc->brush && (dc->brush->hatch >= 0 || dc->brush->pattern)) {
        const RECT r{std::min(x, x + width), std::min(y, y + height), std::max(x, x + width),
                     std::max(y, y + height)};
        return FillRect(dc, r, dc->brush) != 0;
    }
    t.x = x, t.y = y, t.w = width, t.h = height;
    return RunClipped(t, *dc);
}

}  // namespace vardel::gdi
