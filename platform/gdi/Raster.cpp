// Scan conversion of figures and painting of runs.
#include "platform/gdi/Raster.h"

#include <algorithm>
#include <cmath>

namespace vardel::gdi {

namespace {
struct Edge {
    double top, bottom;  // y range, top < bottom
    double x, slope;     // x at `top`, and its change per unit of y
    int dir;             // +1 downwards, -1 upwards
};

// Eight rows of eight bits, the leftmost pixel in the high bit.
constexpr uint8_t kHatches[6][8] = {
    {0, 0, 0, 0xFF, 0, 0, 0, 0},                        // horizontal
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10},   // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},   // forward diagonal "\"
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},   // backward diagonal "/"
    {0x10, 0x10, 0x10, 0xFF, 0x10, 0x10, 0x10, 0x10},   // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}};  // diagonal cross

uint32_t PixelMask(const BitmapObj& b) {
    return b.bitCount >= 32 ? 0xFFFFFFFFu : (1u << b.bitCount) - 1;
}

// Bit k of (rop2 - 1) is the result for P = k >> 1 & 1, D = k & 1.
uint32_t Rop2(int rop2, uint32_t p, uint32_t d) {
    const int code = rop2 - 1;
    uint32_t r = 0;
    for (int k = 0; k < 4; ++k)
        if (code >> k & 1) r |= ((k & 2) ? p : ~p) & ((k & 1) ? d : ~d);
    return r;
}

int Mod(int a, int m) {
    const int r = a % m;
    return r < 0 ? r + m : r;
}

void PaintClipped(const DCObj& dc, int y, int x0, int x1, const Paint& p) {
    const BitmapObj& b = *dc.bitmap;
    uint8_t* row = b.Row(y);
    if (p.kind == Paint::Kind::Solid && p.rop2 == R2_COPYPEN) {
        if (b.kind == PixelKind::Bgrx32 || b.kind == PixelKind::Masked32) {
            std::fill_n(reinterpret_cast<uint32_t*>(row) + x0, x1 - x0, p.fore);
            return;
        }
        for (int x = x0; x < x1; ++x) WriteRaw(b, row, x, p.fore);
        return;
    }
    const uint32_t mask = PixelMask(b);
    const BitmapObj* tile = p.tile.get();
    const uint8_t* tileRow = tile ? tile->Row(Mod(y - p.org.y, tile->height)) : nullptr;
    const uint8_t hatchRow =
        p.kind == Paint::Kind::Hatch ? kHatches[p.hatch][Mod(y - p.org.y, 8)] : 0;
    for (int x = x0; x < x1; ++x) {
        uint32_t value = p.fore;
        if (p.kind == Paint::Kind::Hatch) {
            if (!(hatchRow >> (7 - Mod(x - p.org.x, 8)) & 1)) {
                if (!p.opaqueBack) continue;
                value = p.back;
            }
        } else if (p.kind == Paint::Kind::Tile) {
            const uint32_t raw = ReadRaw(*tile, tileRow, Mod(x - p.org.x, tile->width));
            value = p.monoTile ? (raw ? p.back : p.fore) : ColorToRaw(b, RawToColor(*tile, raw));
        }
        if (p.rop2 != R2_COPYPEN) value = Rop2(p.rop2, value, ReadRaw(b, row, x)) & mask;
        WriteRaw(b, row, x, value);
    }
}
}  // namespace

void ScanFigures(const Figures& figures, bool winding, const RECT& limit,
                 const std::function<void(int, int, int)>& fn) {
    if (limit.right <= limit.left || limit.bottom <= limit.top) return;
    std::vector<Edge> edges;
    const double rowsFrom = limit.top + 0.5, rowsTo = limit.bottom - 0.5;
    for (const Figure& f : figures) {
        const size_t n = f.points.size();
        for (size_t i = 0; i < n; ++i) {
            PointD a = f.points[i], b = f.points[(i + 1) % n];
            if (!std::isfinite(a.x + a.y + b.x + b.y)) return;  // a broken shape draws nothing
            if (a.y == b.y) continue;
            int dir = 1;
            if (a.y > b.y) std::swap(a, b), dir = -1;
            // Edges that no sampled row crosses play no part.
            if (b.y <= rowsFrom || a.y > rowsTo) continue;
            edges.push_back({a.y, b.y, a.x, (b.x - a.x) / (b.y - a.y), dir});
        }
    }
    if (edges.empty()) return;
    std::sort(edges.begin(), edges.end(),
              [](const Edge& a, const Edge& b) { return a.top < b.top; });
    double low = edges.front().top, high = edges.front().bottom;
    for (const Edge& e : edges) high = std::max(high, e.bottom);
    low = std::max(low, double(limit.top));
    high = std::min(high, double(limit.bottom));
    const int yFrom = static_cast<int>(std::floor(low)), yTo = static_cast<int>(std::ceil(high));
    std::vector<const Edge*> active;
    std::vector<std::pair<double, int>> crossings;
    size_t next = 0;
    for (int y = yFrom; y < yTo; ++y) {
        const double yc = y + 0.5;
        while (next < edges.size() && edges[next].top <= yc) active.push_back(&edges[next++]);
        std::erase_if(active, [yc](const Edge* e) { return e->bottom <= yc; });
        crossings.clear();
        for (const Edge* e : active)
            if (e->top <= yc) crossings.push_back({e->x + (yc - e->top) * e->slope, e->dir});
        std::sort(crossings.begin(), crossings.end());
        int inside = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i) {
            inside = winding ? inside + crossings[i].second : inside ^ 1;
            if (inside == 0) continue;
            // Pixels whose centres lie in [xa, xb).
            const double xa =
                std::clamp(crossings[i].first - 0.5, limit.left - 1.0, limit.right + 1.0);
            const double xb =
                std::clamp(crossings[i + 1].first - 0.5, limit.left - 1.0, limit.right + 1.0);
            const int x0 = std::max(static_cast<int>(std::ceil(xa)), limit.left);
            const int x1 = std::min(static_cast<int>(std::ceil(xb)), limit.right);
            if (x0 < x1) fn(y, x0, x1);
        }
    }
}

Paint SolidPaint(const DCObj& dc, COLORREF color) {
    Paint p;
    p.rop2 = dc.rop2;
    p.bounds = DrawableBounds(dc);
    if (dc.bitmap) p.fore = ColorToRaw(*dc.bitmap, ResolveColor(dc, color) & 0xFFFFFF);
    return p;
}

Paint BrushPaint(const DCObj& dc, const BrushObj& brush) {
    Paint p = SolidPaint(dc, brush.color);
    if (!dc.bitmap) return p;
    const BitmapObj& b = *dc.bitmap;
    const PointD org = dc.placement.Apply({double(dc.brushOrg.x), double(dc.brushOrg.y)});
    p.org = {static_cast<int32_t>(std::clamp(org.x, -1e9, 1e9)),
             static_cast<int32_t>(std::clamp(org.y, -1e9, 1e9))};
    if (brush.hatch >= HS_HORIZONTAL && brush.hatch <= HS_DIAGCROSS) {
        p.kind = Paint::Kind::Hatch;
        p.hatch = brush.hatch;
        p.back = ColorToRaw(b, ResolveColor(dc, dc.bkColor) & 0xFFFFFF);
        p.opaqueBack = dc.bkMode == OPAQUE;
    } else if (brush.pattern && brush.pattern->width > 0 && brush.pattern->height > 0) {
        p.kind = Paint::Kind::Tile;
        p.tile = brush.pattern;
        p.monoTile = brush.monoPattern;
        p.fore = ColorToRaw(b, ResolveColor(dc, dc.textColor) & 0xFFFFFF);
        p.back = ColorToRaw(b, ResolveColor(dc, dc.bkColor) & 0xFFFFFF);
    }
    return p;
}

void PaintRun(const DCObj& dc, int y, int x0, int x1, const Paint& paint) {
    const RECT& r = paint.bounds;
    if (y < r.top || y >= r.bottom || !dc.bitmap || dc.bitmap->isStock) return;
    x0 = std::max(x0, r.left);
    x1 = std::min(x1, r.right);
    if (x0 >= x1) return;
    if (dc.complexClip) {
        dc.complexClip->ForEachRun(y, x0, x1,
                                   [&](int a, int b) { PaintClipped(dc, y, a, b, paint); });
        return;
    }
    PaintClipped(dc, y, x0, x1, paint);
}

void FillFigures(const DCObj& dc, const Figures& figures, bool winding, const Paint& paint) {
    if (!dc.bitmap) return;
    ScanFigures(figures, winding, paint.bounds,
                [&](int y, int x0, int x1) { PaintRun(dc, y, x0, x1, paint); });
}

void BlendRun(const DCObj& dc, int y, int x0, int x1, const uint8_t* coverage, COLORREF color) {
    if (!dc.bitmap || dc.bitmap->isStock) return;
    const RECT r = DrawableBounds(dc);
    if (y < r.top || y >= r.bottom) return;
    const int from = std::max(x0, r.left), to = std::min(x1, r.right);
    const BitmapObj& b = *dc.bitmap;
    uint8_t* row = b.Row(y);
    const uint32_t full = ColorToRaw(b, color);
    for (int x = from; x < to; ++x) {
        const int a = coverage[x - x0];
        if (a == 0 || (dc.complexClip && !dc.complexClip->Contains(x, y))) continue;
        if (a == 255 || b.monochrome) {
            if (a >= 128) WriteRaw(b, row, x, full);
            continue;
        }
        const COLORREF under = RawToColor(b, ReadRaw(b, row, x));
        auto mix = [a](int s, int d) {
            return static_cast<uint8_t>((s * a + d * (255 - a) + 127) / 255);
        };
        WriteRaw(b, row, x,
                 ColorToRaw(b, RGB(mix(GetRValue(color), GetRValue(under)),
                                   mix(GetGValue(color), GetGValue(under)),
                                   mix(GetBValue(color), GetBValue(under)))));
    }
}

}  // namespace vardel::gdi
