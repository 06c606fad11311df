// Shapes: lines, polygons, curves and the shapes drawn in a bounding box, each turned
// into device figures and then drawn, or added to the path that is being recorded.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/gdi/Raster.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/Stroke.h"

namespace vardel::gdi {

namespace {
enum class BoxKind { Rect, Round, Ellipse, Arc, Chord, Pie };

std::vector<PointD> DevicePoints(const DCObj& dc, const POINT* points, int count) {
    std::vector<PointD> out;
    out.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) out.push_back(ToDevice(dc, points[i]));
    return out;
}

// The figure of a box shape inside [lo, hi]; arcs run from the radial through r1 to
// the radial through r2.
Figure BoxFigure(BoxKind kind, PointD lo, PointD hi, PointD r1, PointD r2, double cw, double ch,
                 bool ccw, double scale) {
    Figure f;
    f.closed = kind != BoxKind::Arc;
    const PointD c{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2};
    const double rx = (hi.x - lo.x) / 2, ry = (hi.y - lo.y) / 2;
    auto& p = f.points;
    switch (kind) {
        case BoxKind::Rect:
            p = {{lo.x, lo.y}, {hi.x, lo.y}, {hi.x, hi.y}, {lo.x, hi.y}};
            break;
        case BoxKind::Ellipse:
            AppendArc(p, c, rx, ry, 0, 2 * std::numbers::pi,
                      CurveSegments(std::max(rx, ry) * scale), false);
            break;
        case BoxKind::Round: {
            const double ax = std::min(std::fabs(cw), hi.x - lo.x) / 2,
                         ay = std::min(std::fabs(ch), hi.y - lo.y) / 2;
            const int n = CurveSegments(std::max(ax, ay) * scale);
            const double q = std::numbers::pi / 2;
            AppendArc(p, {hi.x - ax, lo.y + ay}, ax, ay, 0, q, n, true);
            AppendArc(p, {lo.x + ax, lo.y + ay}, ax, ay, q, q, n, true);
            AppendArc(p, {lo.x + ax, hi.y - ay}, ax, ay, 2 * q, q, n, true);
            AppendArc(p, {hi.x - ax, hi.y - ay}, ax, ay, 3 * q, q, n, true);
            break;
        }
        default: {
            const double t0 = RadialParameter(c, rx, ry, r1);
            double sweep = RadialParameter(c, rx, ry, r2) - t0;
            if (ccw) {
                while (sweep <= 0) sweep += 2 * std::numbers::pi;
            } else {
                while (sweep >= 0) sweep -= 2 * std::numbers::pi;
            }
            AppendArc(p, c, rx, ry, t0, sweep, CurveSegments(std::max(rx, ry) * scale), true);
            if (kind == BoxKind::Pie) p.push_back(c);
        }
    }
    return f;
}

bool CounterClockwise(const DCObj& dc) {
    // Arcs keep their direction in logical space: a mirroring mapping turns it.
    bool ccw = dc.arcDirection == AD_COUNTERCLOCKWISE;
    if (dc.graphicsMode == GM_ADVANCED && dc.toDevice.Determinant() < 0) ccw = !ccw;
    return ccw;
}

// Builds and draws a box shape; returns the device end of an arc's sweep.
bool BoxShape(const HDC& handle, BoxKind kind, int l, int t, int r, int b, POINT p1 = {},
              POINT p2 = {}, int cw = 0, int ch = 0, std::vector<PointD>* arcOut = nullptr) {
    DCObj* dc = LiveDC(handle);
    if (!dc) return false;
    if (r < l) std::swap(l, r);
    if (b < t) std::swap(t, b);
    const Affine& m = dc->toDevice;
    Figure fill, stroke;
    if (m.AxisAligned()) {
        // Built in device pixels, where the outline leaves out the right and bottom edges.
        const PointD a = m.Apply({double(l), double(t)}), z = m.Apply({double(r), double(b)});
        const PointD lo{std::round(std::min(a.x, z.x)), std::round(std::min(a.y, z.y))};
        const PointD hi{std::round(std::max(a.x, z.x)), std::round(std::max(a.y, z.y))};
        const PointD r1 = ToDevice(*dc, p1), r2 = ToDevice(*dc, p2);
        const double dcw = cw * std::fabs(m.m11), dch = ch * std::fabs(m.m22);
        const bool ccw = CounterClockwise(*dc);
        fill = BoxFigure(kind, lo, hi, r1, r2, dcw, dch, ccw, 1);
        double inset = 0;
        if (dc->pen && dc->pen->Kind() == PS_INSIDEFRAME)
            inset = std::floor(DeviceWidth(*dc, *dc->pen) / 2);
        stroke = BoxFigure(kind, {lo.x + inset, lo.y + inset}, {hi.x - 1 - inset, hi.y - 1 - inset},
                           r1, r2, dcw, dch, ccw, 1);
    } else {
        // A turned mapping: built in logical space and carried over point by point.
        fill = BoxFigure(kind, {double(l), double(t)}, {double(r), double(b)},
                         {double(p1.x), double(p1.y)}, {double(p2.x), double(p2.y)}, cw, ch,
                         dc->arcDirection == AD_COUNTERCLOCKWISE, m.Scale());
        for (PointD& p : fill.points) p = m.Apply(p);
        stroke = fill;
    }
    if (!std::isfinite(m.Scale())) return false;
    if (arcOut) {
        *arcOut = stroke.points;
        return true;
    }
    DrawShape(*dc, {fill}, {stroke}, kind != BoxKind::Arc);
    return true;
}

bool PolyShapes(const HDC& handle, const POINT* points, const int* counts, int shapes,
                bool closed) {
    DCObj* dc = LiveDC(handle);
    if (!dc || (!points && shapes > 0) || shapes < 0) return false;
    Figures figures;
    size_t at = 0;
    for (int i = 0; i < shapes; ++i) {
        if (counts[i] < 0) return false;
        figures.push_back({DevicePoints(*dc, points + at, counts[i]), closed});
        at += static_cast<size_t>(counts[i]);
    }
    if (closed) {
        DrawShape(*dc, figures, figures, true);
    } else if (Recording(*dc)) {
        dc->path->figures.insert(dc->path->figures.end(), figures.begin(), figures.end());
        dc->path->figureOpen = false;
    } else {
        StrokeFigures(*dc, figures);
    }
    return true;
}
}  // namespace

void DrawShape(DCObj& dc, const Figures& fill, const Figures& stroke, bool filled) {
    if (Recording(dc)) {
        dc.path->figures.insert(dc.path->figures.end(), fill.begin(), fill.end());
        dc.path->figureOpen = false;
        return;
    }
    if (!dc.bitmap) return;
    if (filled && dc.brush && !dc.brush->hollow)
        FillFigures(dc, fill, dc.polyFillMode == WINDING, BrushPaint(dc, *dc.brush));
    StrokeFigures(dc, stroke);
}

void DrawFromCurrent(DCObj& dc, const std::vector<PointD>& points) {
    const PointD start = ToDevice(dc, dc.penPos);
    if (Recording(dc)) {
        auto& path = *dc.path;
        if (!path.figureOpen || path.figures.empty()) {
            path.figures.push_back({{start}, false});
            path.figureOpen = true;
        }
        auto& p = path.figures.back().points;
        p.insert(p.end(), points.begin(), points.end());
        return;
    }
    Figure f{{start}, false};
    f.points.insert(f.points.end(), points.begin(), points.end());
    StrokeFigures(dc, {f});
}

int FillRect(const HDC& handle, const RECT& rect, const HBRUSH& brush) {
    DCObj* dc = LiveDC(handle);
    if (!dc || !brush) return 0;
    if (brush->hollow || !dc->bitmap) return 1;
    const PointD a = ToDevice(*dc, {rect.left, rect.top}),
                 b = ToDevice(*dc, {rect.right, rect.bottom});
    const PointD c = ToDevice(*dc, {rect.right, rect.top}),
                 d = ToDevice(*dc, {rect.left, rect.bottom});
    FillFigures(*dc, {{{a, c, b, d}, true}}, false, BrushPaint(*dc, *brush));
    return 1;
}

bool MoveToEx(const HDC& handle, int x, int y, POINT* old) {
    DCObj* dc = LiveDC(handle);
    if (!dc) return false;
    if (old) *old = dc->penPos;
    dc->penPos = {x, y};
    if (dc->path) dc->path->figureOpen = false;
    return true;
}

bool GetCurrentPositionEx(const HDC& handle, POINT* point) {
    DCObj* dc = LiveDC(handle);
    if (!dc) return false;
    if (point) *point = dc->penPos;
    return true;
}

bool LineTo(const HDC& handle, int x, int y) {
    return PolylineTo(handle, std::array<POINT, 1>{POINT{x, y}}.data(), 1);
}

bool PolylineTo(const HDC& handle, const POINT* points, int count) {
    DCObj* dc = LiveDC(handle);
    if (!dc || count < 0 || (!points && count > 0)) return false;
    if (count == 0) return true;
    DrawFromCurrent(*dc, DevicePoints(*dc, points, count));
    dc->penPos = points[count - 1];
    return true;
}

bool Polyline(const HDC& handle, const POINT* points, int count) {
    return PolyShapes(handle, points, &count, 1, false);
}

bool PolyPolyline(const HDC& handle, const POINT* points, const uint32_t* counts, int polylines) {
    std::vector<int> n;
    for (int i = 0; i < polylines; ++i) {
        if (counts[i] > INT32_MAX) return false;
        n.push_back(static_cast<int>(counts[i]));
    }
    return PolyShapes(handle, points, n.data(), polylines, false);
}

bool Polygon(const HDC& handle, const POINT* points, int count) {
    return PolyShapes(handle, points, &count, 1, true);
}

bool PolyPolygon(const HDC& handle, const POINT* points, const int* counts, int polygons) {
    return PolyShapes(handle, points, counts, polygons, true);
}

bool PolyBezier(const HDC& handle, const POINT* points, int count) {
    DCObj* dc = LiveDC(handle);
    if (!dc || count < 1 || (count - 1) % 3 != 0) return false;
    const std::vector<PointD> p = DevicePoints(*dc, points, count);
    Figure f{{p[0]}, false};
    for (int i = 1; i + 2 < count; i += 3)
        AppendBezier(f.points, p[i - 1], p[i], p[i + 1], p[i + 2]);
    if (Recording(*dc)) {
        dc->path->figures.push_back(std::move(f));
        dc->path->figureOpen = false;
    } else {
        StrokeFigures(*dc, {f});
    }
    return true;
}

bool PolyBezierTo(const HDC& handle, const POINT* points, int count) {
    DCObj* dc = LiveDC(handle);
    if (!dc || count < 0 || count % 3 != 0) return false;
    if (count == 0) return true;
    const std::vector<PointD> p = DevicePoints(*dc, points, count);
    std::vector<PointD> out;
    PointD from = ToDevice(*dc, dc->penPos);
    for (int i = 0; i + 2 < count; i += 3) {
        AppendBezier(out, from, p[i], p[i + 1], p[i + 2]);
        from = p[i + 2];
    }
    DrawFromCurrent(*dc, out);
    dc->penPos = points[count - 1];
    return true;
}

bool PolyDraw(const HDC& handle, const POINT* points, const uint8_t* types, int count) {
    DCObj* dc = LiveDC(handle);
    if (!dc || count < 0) return false;
    // Checked whole first: a bad type draws nothing.
    for (int i = 0; i < count; ++i) {
        const uint8_t kind = types[i] & ~PT_CLOSEFIGURE;
        if (kind == PT_BEZIERTO) {
            if (i + 2 >= count || (types[i + 1] & ~PT_CLOSEFIGURE) != PT_BEZIERTO ||
                (types[i + 2] & ~PT_CLOSEFIGURE) != PT_BEZIERTO)
                return false;
            i += 2;
        } else if (kind != PT_LINETO && kind != PT_MOVETO) {
            return false;
        }
    }
    POINT figureStart = dc->penPos;
    for (int i = 0; i < count; ++i) {
        const uint8_t kind = types[i] & ~PT_CLOSEFIGURE;
        int last = i;
        if (kind == PT_MOVETO) {
            MoveToEx(handle, points[i].x, points[i].y, nullptr);
            figureStart = points[i];
        } else if (kind == PT_LINETO) {
            LineTo(handle, points[i].x, points[i].y);
        } else {
            PolyBezierTo(handle, points + i, 3);
            last = i += 2;
        }
        if (types[last] & PT_CLOSEFIGURE) {
            if (Recording(*dc)) {
                CloseFigure(handle);
            } else {
                LineTo(handle, figureStart.x, figureStart.y);
            }
        }
    }
    return true;
}

bool Rectangle(const HDC& dc, int left, int top, int right, int bottom) {
    return BoxShape(dc, BoxKind::Rect, left, top, right, bottom);
}

bool RoundRect(const HDC& dc, int left, int top, int right, int bottom, int width, int height) {
    return BoxShape(dc, BoxKind::Round, left, top, right, bottom, {}, {}, width, height);
}

bool Ellipse(const HDC& dc, int left, int top, int right, int bottom) {
    return BoxShape(dc, BoxKind::Ellipse, left, top, right, bottom);
}

bool Arc(const HDC& dc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) {
    return BoxShape(dc, BoxKind::Arc, left, top, right, bottom, {x1, y1}, {x2, y2});
}

bool Chord(const HDC& dc, int left, int top, int right, int bottom, int x1, int y1, int x2,
           int y2) {
    return BoxShape(dc, BoxKind::Chord, left, top, right, bottom, {x1, y1}, {x2, y2});
}

bool Pie(const HDC& dc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) {
    return BoxShape(dc, BoxKind::Pie, left, top, right, bottom, {x1, y1}, {x2, y2});
}

bool ArcTo(const HDC& handle, int left, int top, int right, int bottom, int x1, int y1, int x2,
           int y2) {
    std::vector<PointD> arc;
    if (!BoxShape(handle, BoxKind::Arc, left, top, right, bottom, {x1, y1}, {x2, y2}, 0, 0, &arc))
        return false;
    DCObj* dc = LiveDC(handle);
    DrawFromCurrent(*dc, arc);
    Affine back;
    if (!arc.empty() && dc->toDevice.Invert(back)) {
        const PointD end = back.Apply(arc.back());
        dc->penPos = {ClampToInt(end.x), ClampToInt(end.y)};
    }
    return true;
}

bool AngleArc(const HDC& handle, int x, int y, uint32_t radius, float start, float sweep) {
    DCObj* dc = LiveDC(handle);
    if (!dc || !std::isfinite(start) || !std::isfinite(sweep) || radius > (1u << 30)) return false;
    const double a0 = start * std::numbers::pi / 180,
                 da = std::clamp<double>(sweep, -3600, 3600) * std::numbers::pi / 180;
    std::vector<PointD> logical;
    AppendArc(logical, {double(x), double(y)}, radius, radius, a0, da,
              CurveSegments(radius * dc->toDevice.Scale()), true);
    std::vector<PointD> device;
    for (const PointD& p : logical) device.push_back(dc->toDevice.Apply(p));
    DrawFromCurrent(*dc, device);
    dc->penPos = {ClampToInt(logical.back().x), ClampToInt(logical.back().y)};
    return true;
}

}  // namespace vardel::gdi
