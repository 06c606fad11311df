// Block transfers: BitBlt, StretchBlt, MaskBlt and PatBlt over every pixel format,
// with ternary raster operations evaluated on the destination's stored values.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

namespace {

// The operation code of a ternary raster operation (its third byte). Bit k of a code
// is the result for P = k >> 2 & 1, S = k >> 1 & 1, D = k & 1.
constexpr uint8_t OpCode(uint32_t rop) {
    return static_cast<uint8_t>(rop >> 16);
}
constexpr uint8_t kSrcCopy = OpCode(SRCCOPY), kPatCopy = OpCode(PATCOPY), kSrcAnd = OpCode(SRCAND),
                  kSrcPaint = OpCode(SRCPAINT), kSrcInvert = OpCode(SRCINVERT),
                  kNotSrcCopy = OpCode(NOTSRCCOPY), kDstInvert = OpCode(DSTINVERT),
                  kPatInvert = OpCode(PATINVERT), kMergeCopy = OpCode(MERGECOPY),
                  kSrcErase = OpCode(SRCERASE), kNotSrcErase = OpCode(NOTSRCERASE),
                  kMergePaint = OpCode(MERGEPAINT), kBlackness = OpCode(BLACKNESS),
                  kWhiteness = OpCode(WHITENESS);
constexpr uint8_t kDstCopy = 0xAA;  // the target as it is

uint32_t Rop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d) {
    switch (code) {
        case kSrcCopy:
            return s;
        case kPatCopy:
            return p;
        case kDstCopy:
            return d;
        case kSrcAnd:
            return s & d;
        case kSrcPaint:
            return s | d;
        case kSrcInvert:
            return s ^ d;
        case kNotSrcCopy:
            return ~s;
        case kDstInvert:
            return ~d;
        case kPatInvert:
            return p ^ d;
        case kMergeCopy:
            return p & s;
        case kSrcErase:
            return s & ~d;
        case kNotSrcErase:
            return ~(s | d);
        case kMergePaint:
            return ~s | d;
        default:
            break;
    }
    // Any other code: its truth table, term by term.
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
    uint8_t fore = kSrcCopy, back = kSrcCopy;
    const BitmapObj* mask = nullptr;
    int mx = 0, my = 0;

    // What the foreground operation, or with a mask either one, reads.
    bool NeedsSource() const { return UsesSource(fore) || (mask && UsesSource(back)); }
    bool NeedsPattern() const { return UsesPattern(fore) || (mask && UsesPattern(back)); }
    bool NeedsDest() const { return UsesDest(fore) || (mask && UsesDest(back)); }
};

// The destination's stored value for a solid brush colour.
uint32_t PatternRaw(const DCObj& dc, const BitmapObj& d) {
    if (!dc.brush || dc.brush->hollow) return 0;
    const COLORREF c = dc.brush->color;
    if (d.monochrome)
        return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) >= 12800 ? 1 : 0;
    return ColorToRaw(d, c);
}

// A transfer's regions with positive extents; a negative extent mirrored the picture
// along its axis (two of them mirror it back).
struct TExtents {
    int x, y, w, h;      // logical destination
    int sx, sy, sw, sh;  // logical source
    bool flipX = false, flipY = false;
};

TExtents Unmirror(const Transfer& t) {
    TExtents e{t.x, t.y, t.w, t.h, t.sx, t.sy, t.sw, t.sh};
    const auto positive = [](int& at, int& extent, bool& flip) {
        if (extent >= 0) return;
        at += extent;
        extent = -extent;
        flip = !flip;
    };
    positive(e.x, e.w, e.flipX);
    positive(e.y, e.h, e.flipY);
    positive(e.sx, e.sw, e.flipX);
    positive(e.sy, e.sh, e.flipY);
    return e;
}

// The destination pixels a transfer reaches, from (dx0, dy0) in device pixels: its
// rectangle cut to the bitmap and to the context's clipping.
RECT TargetArea(const DCObj& dst, const BitmapObj& d, int dx0, int dy0, int w, int h) {
    RECT clip{0, 0, d.width, d.height};
    if (dst.clip) {
        clip.left = std::max(clip.left, dst.clip->left);
        clip.top = std::max(clip.top, dst.clip->top);
        clip.right = std::min(clip.right, dst.clip->right);
        clip.bottom = std::min(clip.bottom, dst.clip->bottom);
    }
    return {std::max(dx0, clip.left), std::max(dy0, clip.top),
            static_cast<int>(std::min<int64_t>(int64_t{dx0} + w, clip.right)),
            static_cast<int>(std::min<int64_t>(int64_t{dy0} + h, clip.bottom))};
}

// The source pixels behind destination position u of `extent`, along one axis: the
// cell from `first` to `end`, and the pixel at its centre.
struct TCell {
    int first, end, centre;
};

TCell CellOf(int u, int sourceExtent, int extent) {
    TCell cell;
    cell.first = static_cast<int>((int64_t{u} * sourceExtent) / extent);
    cell.end = static_cast<int>((int64_t{u + 1} * sourceExtent) / extent);
    cell.centre = static_cast<int>((int64_t{2 * u + 1} * sourceExtent) / (2 * int64_t{extent}));
    if (cell.end <= cell.first) cell.end = cell.first + 1;
    return cell;
}

// Source values in the destination's terms: the two levels of a monochrome source
// take the destination's text and background colours, a monochrome destination takes
// 1 for the source's background colour, and colours go through the destination's
// format. Small enough to be copied into the loops that use it.
class TTranslation {
  public:
    TTranslation(const Transfer& t, const BitmapObj& d, const BitmapObj* s)
        : d_(&d),
          s_(s),
          srcMono_(s && s->monochrome),
          dstMono_(d.monochrome),
          srcBk_(t.src ? t.src->bkColor : 0xFFFFFF),
          monoText_(dstMono_ ? 0 : ColorToRaw(d, t.dst->textColor)),
          monoBk_(dstMono_ ? 1 : ColorToRaw(d, t.dst->bkColor)) {}
    uint32_t operator()(uint32_t raw) const { return table_ ? table_[raw] : Translate(raw); }
    // An indexed source has at most 256 values: each is translated once into `table`
    // and looked up there afterwards.
    void TranslateEachValue(std::vector<uint32_t>& table) {
        table.resize(size_t{1} << s_->bitCount);
        for (uint32_t raw = 0; raw < table.size(); ++raw) table[raw] = Translate(raw);
        table_ = table.data();
    }
    const uint32_t* Table() const { return table_; }

  private:
    uint32_t Translate(uint32_t raw) const {
        if (srcMono_) return dstMono_ ? raw : (raw ? monoBk_ : monoText_);
        const COLORREF c = RawToColor(*s_, raw);
        if (dstMono_) return c == (srcBk_ & 0xFFFFFF) ? 1 : 0;
        return ColorToRaw(*d_, c);
    }

    const BitmapObj* d_;
    const BitmapObj* s_;
    bool srcMono_, dstMono_;
    COLORREF srcBk_;
    uint32_t monoText_, monoBk_;
    const uint32_t* table_ = nullptr;
};

// What a raster operation reads besides the source: the brush as the destination
// stores it, and the destination itself when the operations read it. Plain values, so
// that the loops keep them in registers while they store into rows.
struct TRaster {
    uint32_t pattern;
    bool needDest;
    bool dstMono;
    uint32_t black, white;  // the colours as the destination stores them

    TRaster(const BitmapObj& d, uint32_t pattern, bool needDest)
        : pattern(pattern),
          needDest(needDest),
          dstMono(d.monochrome),
          black(ColorToRaw(d, 0)),
          white(ColorToRaw(d, 0xFFFFFF)) {}

    // The value an operation leaves in destination pixel px of drow.
    uint32_t Apply(uint8_t code, uint32_t source, const BitmapObj& d, const uint8_t* drow,
                   int px) const {
        if (code == kSrcCopy) return source;
        // Blackness and whiteness mean the colours, whatever the table holds.
        if ((code == kBlackness || code == kWhiteness) && !dstMono)
            return code == kWhiteness ? white : black;
        return Rop3(code, pattern, source, needDest ? ReadRaw(d, drow, px) : 0);
    }
};

// The operation for each destination pixel: with a mask, the foreground where its bit
// is 1 or where the mask does not reach, the background where it is 0.
struct TChoice {
    const BitmapObj* mask;
    int mx, my;    // the mask's pixel at the destination's (dx0, dy0)
    int dx0, dy0;  // device position of the destination's (0, 0)
    uint8_t fore, back;

    uint8_t CodeAt(int px, int py) const {
        if (!mask) return fore;
        const int mxp = mx + (px - dx0), myp = my + (py - dy0);
        bool bit = true;
        if (mxp >= 0 && myp >= 0 && mxp < mask->width && myp < mask->height)
            bit = ReadRaw(*mask, mask->Row(myp), mxp) != 0;
        return bit ? fore : back;
    }
};

// How the rows of a transfer are written.
enum class TRows {
    StoredValues,  // plain copies between equal formats: stored values as they are
    LookUps,       // palette pictures on 32-bit surfaces: one look-up per pixel
    PerPixel,      // everything else: translation, halftone, mask, raster operation
};

// Everything the rows of one transfer share.
struct TPlan {
    const BitmapObj& d;
    const BitmapObj* s;  // none when the operations read no source
    TExtents e;
    RECT area;      // destination pixels reached
    int dx0, dy0;   // device position of the destination's (0, 0)
    int sox, soy;   // device position of the source's (0, 0)
    bool halftone;  // shrinking averages the source pixels of each cell
    TChoice choice;
    TRaster raster;
    // Source column of every destination column of `area` (-1 outside the source),
    // and the end of its cell.
    std::vector<int> columnX, columnEnd;
    TTranslation translate;
};

void MapColumns(TPlan& p) {
    const int count = p.area.right - p.area.left;
    p.columnX.resize(count);
    p.columnEnd.resize(count);
    const BitmapObj& s = *p.s;
    for (int px = p.area.left; px < p.area.right; ++px) {
        int u = px - p.dx0;
        if (p.e.flipX) u = p.e.w - 1 - u;
        const TCell cell = CellOf(u, p.e.sw, p.e.w);
        const int at = p.sox + (p.halftone && p.e.sw > p.e.w ? cell.first : cell.centre);
        p.columnX[px - p.area.left] = (at >= 0 && at < s.width) ? at : -1;
        p.columnEnd[px - p.area.left] = std::min(p.sox + cell.end, s.width);
    }
}

// Runs of source columns copied as stored, whole bytes (equal formats of 8 bits and
// more).
void CopyStoredValues(const TPlan& p, uint8_t* drow, const uint8_t* srow) {
    const int left = p.area.left, right = p.area.right;
    const int* columnX = p.columnX.data();
    const size_t bpp = static_cast<size_t>(p.d.bitCount / 8);
    int px = left;
    while (px < right) {
        while (px < right && columnX[px - left] < 0) ++px;
        int end = px;
        while (end < right && columnX[end - left] >= 0) ++end;
        if (end == px) break;
        std::memcpy(drow + static_cast<size_t>(px) * bpp,
                    srow + static_cast<size_t>(columnX[px - left]) * bpp,
                    static_cast<size_t>(end - px) * bpp);
        px = end;
    }
}

// 8-bit indices onto a 32-bit surface through the translated table.
void LookUpIndices(const TPlan& p, uint8_t* drow, const uint8_t* srow) {
    const int left = p.area.left, right = p.area.right;
    const int* columnX = p.columnX.data();
    const uint32_t* colours = p.translate.Table();
    for (int px = left; px < right; ++px) {
        const int cx = columnX[px - left];
        if (cx < 0) continue;
        const uint32_t value = colours[srow[cx]];
        std::memcpy(drow + 4 * static_cast<size_t>(px), &value, 4);
    }
}

// Shrinking in halftone mode: the average colour of the source pixels from (x0, y0)
// up to (x1, y1), as the destination stores it.
uint32_t CellAverage(const BitmapObj& s, const BitmapObj& d, int x0, int x1, int y0, int y1) {
    uint32_t r = 0, g = 0, b = 0, n = 0;
    for (int yy = y0; yy < y1; ++yy) {
        const uint8_t* row = s.Row(yy);
        for (int xx = x0; xx < x1; ++xx) {
            const COLORREF c = RawToColor(s, ReadRaw(s, row, xx));
            r += GetRValue(c);
            g += GetGValue(c);
            b += GetBValue(c);
            ++n;
        }
    }
    return ColorToRaw(
        d, RGB(static_cast<uint8_t>((r + n / 2) / n), static_cast<uint8_t>((g + n / 2) / n),
               static_cast<uint8_t>((b + n / 2) / n)));
}

// Pixel by pixel: the source value that `sourceOf` gives for each column of the area
// (false where the column lies outside the source), the operation the mask chooses,
// and its result. What the loop reads of the plan is copied into locals first: its
// stores into the row could otherwise alias it.
template <class SourceOf>
void CombinePixels(const TPlan& p, int py, uint8_t* drow, SourceOf sourceOf) {
    const BitmapObj& d = p.d;
    const TChoice choice = p.choice;
    const TRaster raster = p.raster;
    const int left = p.area.left, right = p.area.right;
    for (int px = left; px < right; ++px) {
        uint32_t source = 0;
        if (!sourceOf(px - left, source)) continue;
        WriteRaw(d, drow, px, raster.Apply(choice.CodeAt(px, py), source, d, drow, px));
    }
}

// The source values of one row: none, each column's pixel translated, or halftone
// averages of each column's cell.
void CombineRow(const TPlan& p, int py, uint8_t* drow, const uint8_t* srow, int srcY, int srcYEnd) {
    const BitmapObj* s = p.s;
    if (!s) {
        CombinePixels(p, py, drow, [](int, uint32_t&) { return true; });
        return;
    }
    const int* columnX = p.columnX.data();
    if (!p.halftone) {
        const TTranslation translate = p.translate;
        CombinePixels(p, py, drow, [&](int i, uint32_t& source) {
            const int cx = columnX[i];
            if (cx < 0) return false;
            source = translate(ReadRaw(*s, srow, cx));
            return true;
        });
        return;
    }
    const int* columnEnd = p.columnEnd.data();
    const bool shrinkX = p.e.sw > p.e.w;
    const int y1 = p.e.sh > p.e.h ? srcYEnd : srcY + 1;
    CombinePixels(p, py, drow, [&](int i, uint32_t& source) {
        const int cx = columnX[i];
        if (cx < 0) return false;
        source = CellAverage(*s, p.d, cx, shrinkX ? columnEnd[i] : cx + 1, srcY, y1);
        return true;
    });
}

// The plan of a transfer that reaches `area` of the destination.
TPlan Plan(const Transfer& t, const BitmapObj& d, const BitmapObj* s, const TExtents& e,
           const RECT& area, int dx0, int dy0) {
    TPlan p{d,
            s,
            e,
            area,
            dx0,
            dy0,
            s ? e.sx + t.src->origin.x : 0,
            s ? e.sy + t.src->origin.y : 0,
            s && t.dst->stretchMode == HALFTONE && !s->monochrome && !d.monochrome &&
                (e.sw > e.w || e.sh > e.h),
            TChoice{t.mask, t.mx, t.my, dx0, dy0, t.fore, t.back},
            TRaster(d, t.NeedsPattern() ? PatternRaw(*t.dst, d) : 0, t.NeedsDest()),
            {},
            {},
            TTranslation(t, d, s)};
    if (s) MapColumns(p);
    return p;
}

// How the rows are written. An indexed source is translated into `table` once, value
// by value, when the transfer has more pixels than the source has values.
TRows ChooseRows(const Transfer& t, TPlan& p, std::vector<uint32_t>& table) {
    const BitmapObj& d = p.d;
    const BitmapObj* s = p.s;
    const bool srcMono = s && s->monochrome;
    const TExtents& e = p.e;
    const bool sameFormat = s && !p.halftone && e.sw == e.w && e.sh == e.h && !e.flipX &&
                            !e.flipY && s->kind == d.kind && s->bitCount == d.bitCount &&
                            s->bitCount >= 8 && s->masks == d.masks && s->colors == d.colors &&
                            srcMono == d.monochrome;
    const int64_t pixels = int64_t{p.area.right - p.area.left} * (p.area.bottom - p.area.top);
    if (s && !srcMono && s->bitCount <= 8 && !p.halftone && !sameFormat &&
        pixels > (int64_t{1} << s->bitCount))
        p.translate.TranslateEachValue(table);
    const bool plain = t.fore == kSrcCopy && !t.mask;
    if (sameFormat && plain) return TRows::StoredValues;
    if (plain && p.translate.Table() && s->kind == PixelKind::Index8 && d.kind == PixelKind::Bgrx32)
        return TRows::LookUps;
    return TRows::PerPixel;
}

// The source row behind destination row py and the end of its cell; false when the
// row lies outside the source.
bool SourceRowOf(const TPlan& p, int py, int& srcY, int& srcYEnd) {
    int v = py - p.dy0;
    if (p.e.flipY) v = p.e.h - 1 - v;
    const TCell cell = CellOf(v, p.e.sh, p.e.h);
    srcY = p.soy + (p.halftone && p.e.sh > p.e.h ? cell.first : cell.centre);
    srcYEnd = std::min(p.soy + cell.end, p.s->height);
    return srcY >= 0 && srcY < p.s->height;
}

bool Run(const Transfer& t) {
    if (t.dst->bitmap->isStock) return true;  // a context without a bitmap of its own
    const BitmapObj& d = *t.dst->bitmap;
    const bool needSource = t.NeedsSource();
    const BitmapObj* s = needSource ? t.src->bitmap.get() : nullptr;
    if (needSource && !s) return false;
    const TExtents e = Unmirror(t);
    if (e.w == 0 || e.h == 0 || (needSource && (e.sw == 0 || e.sh == 0))) return true;
    const int dx0 = e.x + t.dst->origin.x, dy0 = e.y + t.dst->origin.y;
    const RECT area = TargetArea(*t.dst, d, dx0, dy0, e.w, e.h);
    if (area.left >= area.right || area.top >= area.bottom) return true;

    TPlan p = Plan(t, d, s, e, area, dx0, dy0);
    std::vector<uint32_t> table;
    const TRows rows = ChooseRows(t, p, table);
    for (int py = area.top; py < area.bottom; ++py) {
        uint8_t* drow = d.Row(py);
        int srcY = 0, srcYEnd = 0;
        if (s && !SourceRowOf(p, py, srcY, srcYEnd)) continue;
        const uint8_t* srow = s ? s->Row(srcY) : nullptr;
        switch (rows) {
            case TRows::StoredValues:
                CopyStoredValues(p, drow, srow);
                break;
            case TRows::LookUps:
                LookUpIndices(p, drow, srow);
                break;
            case TRows::PerPixel:
                CombineRow(p, py, drow, srow, srcY, srcYEnd);
                break;
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
    t.fore = OpCode(rop);
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
