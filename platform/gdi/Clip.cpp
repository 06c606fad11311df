// Region objects and the clipping of a context: the program's clipping region within
// the meta region, both in device coordinates.
#include <algorithm>
#include <cmath>

#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Raster.h"

namespace vardel::gdi {

namespace {
int Kind(const Region& r) {
    return r.Empty() ? NULLREGION : r.IsRect() ? SIMPLEREGION : COMPLEXREGION;
}

HRGN MakeRegion(Region r) {
    auto h = std::make_shared<RegionObj>();
    h->region = std::make_shared<Region>(std::move(r));
    return h;
}

Region::Op ToOp(int mode) {
    switch (mode) {
        case RGN_AND:
            return Region::Op::And;
        case RGN_XOR:
            return Region::Op::Xor;
        case RGN_DIFF:
            return Region::Op::Diff;
        default:
            return Region::Op::Or;
    }
}

// What the program's clipping becomes when `region` is combined into it.
bool CombineClip(DCObj& dc, const Region& region, int mode) {
    if (mode < RGN_AND || mode > RGN_COPY) return false;
    if (mode == RGN_COPY) {
        dc.clipRegion = std::make_shared<Region>(region);
    } else if (!dc.clipRegion) {
        // No clipping stands for the whole surface.
        const Region all(RECT{INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2});
        dc.clipRegion = std::make_shared<Region>(Region::Combine(all, region, ToOp(mode)));
    } else {
        dc.clipRegion =
            std::make_shared<Region>(Region::Combine(*dc.clipRegion, region, ToOp(mode)));
    }
    ClipChanged(dc);
    return true;
}

// The device rectangle of a logical one (its bounds, when the mapping turns it).
Region LogicalRect(const DCObj& dc, int left, int top, int right, int bottom) {
    const PointD a = dc.toDevice.Apply({double(left), double(top)});
    const PointD b = dc.toDevice.Apply({double(right), double(bottom)});
    const PointD c = dc.toDevice.Apply({double(right), double(top)});
    const PointD e = dc.toDevice.Apply({double(left), double(bottom)});
    if (!std::isfinite(a.x + a.y + b.x + b.y + c.x + c.y + e.x + e.y)) return {};
    const double x0 = std::min({a.x, b.x, c.x, e.x}), x1 = std::max({a.x, b.x, c.x, e.x});
    const double y0 = std::min({a.y, b.y, c.y, e.y}), y1 = std::max({a.y, b.y, c.y, e.y});
    return Region(RECT{ClampToInt(x0), ClampToInt(y0), ClampToInt(x1), ClampToInt(y1)});
}

int ClipKind(const DCObj& dc) {
    if (!dc.clip) return SIMPLEREGION;
    if (dc.clip->right <= dc.clip->left || dc.clip->bottom <= dc.clip->top) return NULLREGION;
    return dc.complexClip ? COMPLEXREGION : SIMPLEREGION;
}
}  // namespace

void ClipChanged(DCObj& dc) {
    std::shared_ptr<const Region> effective = dc.clipRegion;
    if (dc.metaRegion)
        effective = effective ? std::make_shared<Region>(
                                    Region::Combine(*effective, *dc.metaRegion, Region::Op::And))
                              : dc.metaRegion;
    dc.complexClip.reset();
    if (!effective) {
        dc.clip.reset();
    } else {
        // An empty clipping is kept as an empty rectangle: nothing can be drawn.
        dc.clip = effective->Empty() ? RECT{0, 0, 0, 0} : effective->Bounds();
        if (effective->Rects().size() > 1) dc.complexClip = effective;
    }
    ++dc.generation;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    return MakeRegion(Region(RECT{left, top, right, bottom}));
}

HRGN ExtCreateRegion(const XFORM* xform, const std::vector<RECT>& rects) {
    if (!xform) return MakeRegion(Region::FromRects(rects));
    std::vector<RECT> moved;
    for (const RECT& r : rects) {
        const double x0 = r.left * xform->eM11 + r.top * xform->eM21 + xform->eDx;
        const double y0 = r.left * xform->eM12 + r.top * xform->eM22 + xform->eDy;
        const double x1 = r.right * xform->eM11 + r.bottom * xform->eM21 + xform->eDx;
        const double y1 = r.right * xform->eM12 + r.bottom * xform->eM22 + xform->eDy;
        if (!std::isfinite(x0 + y0 + x1 + y1)) continue;
        auto c = [](double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); };
        moved.push_back(RECT{c(std::min(x0, x1)), c(std::min(y0, y1)), c(std::max(x0, x1)),
                             c(std::max(y0, y1))});
    }
    return MakeRegion(Region::FromRects(std::move(moved)));
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
    if (!points || count < 3) return MakeRegion(Region());
    Figure f;
    f.closed = true;
    for (int i = 0; i < count; ++i) f.points.push_back({double(points[i].x), double(points[i].y)});
    std::vector<Region::Run> runs;
    // A region is never drawn beyond the largest surface there can be.
    const RECT limit{-(1 << 16), -(1 << 16), 1 << 16, 1 << 16};
    ScanFigures({f}, fillMode == WINDING, limit, [&](int y, int x0, int x1) {
        runs.push_back({y, x0, x1});
    });
    return MakeRegion(Region::FromRuns(std::move(runs)));
}

int CombineRgn(const HRGN& dst, const HRGN& a, const HRGN& b, int mode) {
    if (!dst || !a || mode < RGN_AND || mode > RGN_COPY || (mode != RGN_COPY && !b))
        return ERROR_REGION;
    Region r = mode == RGN_COPY ? *a->region : Region::Combine(*a->region, *b->region, ToOp(mode));
    const int kind = Kind(r);
    dst->region = std::make_shared<Region>(std::move(r));
    return kind;
}

int OffsetRgn(const HRGN& region, int x, int y) {
    if (!region) return ERROR_REGION;
    Region r = *region->region;
    r.Offset(x, y);
    region->region = std::make_shared<Region>(std::move(r));
    return Kind(*region->region);
}

int GetRgnBox(const HRGN& region, RECT* rect) {
    if (!region) return ERROR_REGION;
    if (rect) *rect = region->region->Bounds();
    return Kind(*region->region);
}

bool PtInRegion(const HRGN& region, int x, int y) {
    return region && region->region->Contains(x, y);
}

bool FillRgn(const HDC& dc, const HRGN& region, const HBRUSH& brush) {
    DCObj* d = LiveDC(dc);
    if (!d || !region || !brush) return false;
    if (!d->bitmap || brush->hollow) return true;
    const Paint paint = BrushPaint(*d, *brush);
    for (const RECT& r : region->region->Rects())
        for (int y = r.top; y < r.bottom; ++y) PaintRun(*d, y, r.left, r.right, paint);
    return true;
}

bool PaintRgn(const HDC& dc, const HRGN& region) {
    DCObj* d = LiveDC(dc);
    return d && d->brush && FillRgn(dc, region, d->brush);
}

bool FrameRgn(const HDC& dc, const HRGN& region, const HBRUSH& brush, int width, int height) {
    DCObj* d = LiveDC(dc);
    if (!d || !region || !brush || width <= 0 || height <= 0) return false;
    // The frame is the region less itself moved inwards from every side.
    Region inner = *region->region;
    for (const auto& [dx, dy] : {std::pair{width, 0}, {-width, 0}, {0, height}, {0, -height}}) {
        Region moved = *region->region;
        moved.Offset(dx, dy);
        inner = Region::Combine(inner, moved, Region::Op::And);
    }
    auto frame = std::make_shared<RegionObj>();
    frame->region =
        std::make_shared<Region>(Region::Combine(*region->region, inner, Region::Op::Diff));
    return FillRgn(dc, frame, brush);
}

bool InvertRgn(const HDC& dc, const HRGN& region) {
    DCObj* d = LiveDC(dc);
    if (!d || !region) return false;
    if (!d->bitmap) return true;
    Paint paint = SolidPaint(*d, 0);
    paint.rop2 = R2_NOT;
    for (const RECT& r : region->region->Rects())
        for (int y = r.top; y < r.bottom; ++y) PaintRun(*d, y, r.left, r.right, paint);
    return true;
}

int SelectClipRgn(const HDC& dc, const HRGN& region) {
    return ExtSelectClipRgn(dc, region, RGN_COPY);
}

int ExtSelectClipRgn(const HDC& dc, const HRGN& region, int mode) {
    DCObj* d = LiveDC(dc);
    if (!d) return ERROR_REGION;
    if (!region) {
        // Only copying accepts no region: it removes the clipping.
        if (mode != RGN_COPY) return ERROR_REGION;
        d->clipRegion.reset();
        ClipChanged(*d);
        return ClipKind(*d);
    }
    return CombineClip(*d, *region->region, mode) ? ClipKind(*d) : ERROR_REGION;
}

int IntersectClipRect(const HDC& dc, int left, int top, int right, int bottom) {
    DCObj* d = LiveDC(dc);
    if (!d) return ERROR_REGION;
    CombineClip(*d, LogicalRect(*d, left, top, right, bottom), RGN_AND);
    return ClipKind(*d);
}

int ExcludeClipRect(const HDC& dc, int left, int top, int right, int bottom) {
    DCObj* d = LiveDC(dc);
    if (!d) return ERROR_REGION;
    CombineClip(*d, LogicalRect(*d, left, top, right, bottom), RGN_DIFF);
    return ClipKind(*d);
}

int OffsetClipRgn(const HDC& dc, int x, int y) {
    DCObj* d = LiveDC(dc);
    if (!d) return ERROR_REGION;
    if (d->clipRegion) {
        const PointD v = d->toDevice.ApplyLinear({double(x), double(y)});
        if (!(std::fabs(v.x) < 1e9 && std::fabs(v.y) < 1e9)) return ERROR_REGION;
        Region r = *d->clipRegion;
        r.Offset(ClampToInt(v.x), ClampToInt(v.y));
        d->clipRegion = std::make_shared<Region>(std::move(r));
        ClipChanged(*d);
    }
    return ClipKind(*d);
}

int SetMetaRgn(const HDC& dc) {
    DCObj* d = LiveDC(dc);
    if (!d) return ERROR_REGION;
    if (d->clipRegion) {
        d->metaRegion = d->metaRegion ? std::make_shared<Region>(Region::Combine(
                                            *d->metaRegion, *d->clipRegion, Region::Op::And))
                                      : d->clipRegion;
        d->clipRegion.reset();
        ClipChanged(*d);
    }
    return ClipKind(*d);
}

void SelectClipRect(const HDC& dc, const std::optional<RECT>& deviceRect) {
    DCObj* d = LiveDC(dc);
    if (!d) return;
    if (deviceRect)
        d->clipRegion = std::make_shared<Region>(Region(*deviceRect));
    else
        d->clipRegion.reset();
    ClipChanged(*d);
}

int GetClipBox(const HDC& dc, RECT* rect) {
    DCObj* d = LiveDC(dc);
    if (!d) return ERROR_REGION;
    RECT r = d->bitmap ? DrawableBounds(*d)
                       : RECT{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    // Back to logical coordinates.
    Affine back;
    if (d->toDevice.Invert(back)) {
        const PointD a = back.Apply({double(r.left), double(r.top)});
        const PointD b = back.Apply({double(r.right), double(r.bottom)});
        r = {ClampToInt(std::min(a.x, b.x)), ClampToInt(std::min(a.y, b.y)),
             ClampToInt(std::max(a.x, b.x)), ClampToInt(std::max(a.y, b.y))};
    }
    if (rect) *rect = r;
    return r.Width() > 0 && r.Height() > 0 ? (d->complexClip ? COMPLEXREGION : SIMPLEREGION)
                                           : NULLREGION;
}

}  // namespace vardel::gdi
