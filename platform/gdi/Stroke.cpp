// Pens: one-pixel lines stepped pixel by pixel with their dash patterns, and wide
// lines as the polygons of their segments, joins and end caps.
#include "platform/gdi/Stroke.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <numbers>

#include "platform/gdi/Raster.h"

namespace vardel::gdi {

namespace {
// Dash patterns: on, off, on, off … in pixels for one-pixel pens, in pen widths for wide.
std::vector<double> Pattern(const PenObj& pen, bool wide) {
    switch (pen.Kind()) {
        case PS_DASH:
            return wide ? std::vector<double>{3, 1} : std::vector<double>{18, 6};
        case PS_DOT:
            return wide ? std::vector<double>{1, 1} : std::vector<double>{3, 3};
        case PS_DASHDOT:
            return wide ? std::vector<double>{3, 1, 1, 1} : std::vector<double>{9, 6, 3, 6};
        case PS_DASHDOTDOT:
            return wide ? std::vector<double>{3, 1, 1, 1, 1, 1}
                        : std::vector<double>{9, 3, 3, 3, 3, 3};
        case PS_ALTERNATE:
            return {1, 1};
        case PS_USERSTYLE:
            return pen.dashes;
        default:
            return {};
    }
}

// Where along a dash pattern a line is; `at` runs over [0, total).
struct DashWalk {
    std::vector<double> pattern;
    double total = 0, at = 0;

    explicit DashWalk(std::vector<double> p) : pattern(std::move(p)) {
        for (double d : pattern) total += d;
        if (!(total > 0)) pattern.clear();
    }
    bool Solid() const { return pattern.empty(); }
    bool On() const {
        double sum = 0;
        for (size_t i = 0; i < pattern.size(); ++i) {
            sum += pattern[i];
            if (at < sum) return i % 2 == 0;
        }
        return true;
    }
    // Distance until the pattern next switches.
    double Left() const {
        double sum = 0;
        for (double d : pattern) {
            sum += d;
            if (at < sum) return sum - at;
        }
        return total - at;
    }
    void Advance(double d) { at = std::fmod(at + d, total); }
};

// Cuts [t0, t1] of the segment a→b to the box; false when nothing is left.
bool ClipSegment(PointD a, PointD b, const RECT& box, double& t0, double& t1) {
    t0 = 0, t1 = 1;
    const double d[2] = {b.x - a.x, b.y - a.y};
    const double p0[2] = {a.x, a.y};
    const double lo[2] = {double(box.left), double(box.top)},
                 hi[2] = {double(box.right), double(box.bottom)};
    for (int k = 0; k < 2; ++k) {
        if (d[k] == 0) {
            if (p0[k] < lo[k] || p0[k] > hi[k]) return false;
            continue;
        }
        double ta = (lo[k] - p0[k]) / d[k], tb = (hi[k] - p0[k]) / d[k];
        if (ta > tb) std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
    }
    return t0 <= t1;
}

// One-pixel segment from a to b, leaving out b, stepping along the longer axis.
void CosmeticSegment(const DCObj& dc, PointD a, PointD b, const Paint& on, const Paint* off,
                     DashWalk& dash) {
    const double steps = std::max(std::fabs(std::round(b.x) - std::round(a.x)),
                                  std::fabs(std::round(b.y) - std::round(a.y)));
    RECT box = on.bounds;
    box.left -= 2, box.top -= 2, box.right += 2, box.bottom += 2;
    double t0, t1;
    if (!std::isfinite(steps) || !ClipSegment(a, b, box, t0, t1)) {
        if (!dash.Solid() && std::isfinite(steps)) dash.Advance(std::fmod(steps, dash.total));
        return;
    }
    const PointD s{a.x + (b.x - a.x) * t0, a.y + (b.y - a.y) * t0};
    const PointD e{a.x + (b.x - a.x) * t1, a.y + (b.y - a.y) * t1};
    const int64_t x0 = std::llround(s.x), y0 = std::llround(s.y);
    const int64_t x1 = std::llround(e.x), y1 = std::llround(e.y);
    const int64_t dx = std::llabs(x1 - x0), dy = std::llabs(y1 - y0);
    const int sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
    const int64_t n = std::max(dx, dy);
    const bool keepLast = t1 < 1;  // the end was cut away: its pixel is not the line's end
    if (!dash.Solid()) dash.Advance(std::fmod(std::round(steps * t0), dash.total));
    for (int64_t i = 0; i < n + (keepLast ? 1 : 0); ++i) {
        // The minor axis moves by the rounded share of the step.
        int64_t x = x0, y = y0;
        if (n == 0) {
        } else if (dx >= dy) {
            x = x0 + sx * i;
            y = y0 + sy * ((2 * i * dy + dx) / (2 * dx));
        } else {
            y = y0 + sy * i;
            x = x0 + sx * ((2 * i * dx + dy) / (2 * dy));
        }
        const Paint* paint = dash.Solid() || dash.On() ? &on : off;
        if (paint)
            PaintRun(dc, static_cast<int>(y), static_cast<int>(x), static_cast<int>(x) + 1, *paint);
        if (!dash.Solid()) dash.Advance(1);
    }
    if (!dash.Solid() && !keepLast)
        dash.Advance(std::fmod(std::round(steps * (1 - t1)), dash.total));
}

double Length(PointD v) {
    return std::hypot(v.x, v.y);
}

void Orient(Figure& f) {
    double area = 0;
    const size_t n = f.points.size();
    for (size_t i = 0; i < n; ++i) {
        const PointD& a = f.points[i];
        const PointD& b = f.points[(i + 1) % n];
        area += a.x * b.y - b.x * a.y;
    }
    if (area < 0) std::reverse(f.points.begin(), f.points.end());
}

void AddPolygon(Figures& out, std::vector<PointD> points) {
    Figure f{std::move(points), true};
    Orient(f);
    out.push_back(std::move(f));
}

// Points of the unit circle for polygons of n corners, worked out once per n.
const std::vector<PointD>& UnitCircle(int n) {
    static std::mutex mutex;
    static std::map<int, std::vector<PointD>> circles;
    std::lock_guard lock(mutex);
    std::vector<PointD>& c = circles[n];
    if (c.empty())
        for (int i = 0; i < n; ++i)
            c.push_back(
                {std::cos(2 * std::numbers::pi * i / n), std::sin(2 * std::numbers::pi * i / n)});
    return c;
}

void AddCircle(Figures& out, PointD c, double r) {
    const int n = static_cast<int>(std::clamp(std::ceil(std::sqrt(r) * 4), 8.0, 256.0));
    std::vector<PointD> pts;
    pts.reserve(static_cast<size_t>(n));
    for (const PointD& u : UnitCircle(n)) pts.push_back({c.x + r * u.x, c.y + r * u.y});
    AddPolygon(out, std::move(pts));
}

PointD Normal(PointD a, PointD b, double half) {
    const double len = Length({b.x - a.x, b.y - a.y});
    return {-(b.y - a.y) / len * half, (b.x - a.x) / len * half};
}

// How a wide pen is laid along figures, and the device area worth building for.
struct Shape {
    double half;
    int cap, join;
    double miterLimit;
    RECT visible;  // the drawable bounds grown by the pen's width

    // Whether anything within half a width of the box of a and b can be seen.
    bool Near(PointD a, PointD b) const {
        return std::max(a.x, b.x) + half >= visible.left &&
               std::min(a.x, b.x) - half <= visible.right &&
               std::max(a.y, b.y) + half >= visible.top &&
               std::min(a.y, b.y) - half <= visible.bottom;
    }
};

void AddJoin(Figures& out, PointD prev, PointD v, PointD next, const Shape& s) {
    if (!s.Near(v, v)) return;
    const double half = s.half;
    const PointD n1 = Normal(prev, v, half), n2 = Normal(v, next, half);
    if (s.join == PS_JOIN_ROUND) {
        // Where a path barely turns (a flattened curve), the round join and the bevel
        // differ by less than a quarter pixel: the triangle does.
        const double cosTurn = (n1.x * n2.x + n1.y * n2.y) / (half * half);
        if (half * (1 - std::sqrt(std::max(0.0, (1 + cosTurn) / 2))) >= 0.25) {
            AddCircle(out, v, half);
            return;
        }
    }
    // The outer side is the one the path turns away from.
    const double turn = (next.x - v.x) * n1.x + (next.y - v.y) * n1.y;
    const double side = turn > 0 ? -1 : 1;
    const PointD o1{v.x + side * n1.x, v.y + side * n1.y}, o2{v.x + side * n2.x, v.y + side * n2.y};
    const PointD m{(n1.x + n2.x) / half, (n1.y + n2.y) / half};  // sum of unit normals
    const double len2 = m.x * m.x + m.y * m.y;
    if (s.join == PS_JOIN_MITER && len2 > 1e-12 && 2 / std::sqrt(len2) <= s.miterLimit) {
        const PointD tip{v.x + side * m.x * 2 * half / len2, v.y + side * m.y * 2 * half / len2};
        AddPolygon(out, {v, o1, tip, o2});
        return;
    }
    AddPolygon(out, {v, o1, o2});
}

// The polygons of one run of points: segments, joins and end caps, leaving out what
// lies too far from the surface to be seen.
void AddStroke(Figures& out, const std::vector<PointD>& p, bool closed, const Shape& s) {
    const double half = s.half;
    const bool roundEnds = !closed && s.cap == PS_ENDCAP_ROUND;
    if (p.size() == 1) {
        if (roundEnds && s.Near(p[0], p[0])) AddCircle(out, p[0], half);
        return;
    }
    const size_t n = p.size();
    const size_t segments = closed ? n : n - 1;
    for (size_t i = 0; i < segments; ++i) {
        PointD a = p[i], b = p[(i + 1) % n];
        if (!s.Near(a, b)) continue;
        const PointD nrm = Normal(a, b, half);
        if (s.cap == PS_ENDCAP_SQUARE && !closed) {
            const PointD u{nrm.y, -nrm.x};  // along the segment, half a width long
            if (i == 0) a = {a.x - u.x, a.y - u.y};
            if (i + 1 == segments) b = {b.x + u.x, b.y + u.y};
        }
        AddPolygon(out, {{a.x + nrm.x, a.y + nrm.y},
                         {b.x + nrm.x, b.y + nrm.y},
                         {b.x - nrm.x, b.y - nrm.y},
                         {a.x - nrm.x, a.y - nrm.y}});
    }
    for (size_t i = closed ? 0 : 1; i < (closed ? n : n - 1); ++i)
        AddJoin(out, p[(i + n - 1) % n], p[i], p[(i + 1) % n], s);
    if (roundEnds) {
        if (s.Near(p.front(), p.front())) AddCircle(out, p.front(), half);
        if (s.Near(p.back(), p.back())) AddCircle(out, p.back(), half);
    }
}

// Drops repeated points, which have no direction.
std::vector<PointD> Distinct(const Figure& f) {
    std::vector<PointD> p;
    for (const PointD& q : f.points)
        if (p.empty() || q.x != p.back().x || q.y != p.back().y) p.push_back(q);
    if (f.closed && p.size() > 1 && p.front().x == p.back().x && p.front().y == p.back().y)
        p.pop_back();
    return p;
}
}  // namespace

double DeviceWidth(const DCObj& dc, const PenObj& pen) {
    if (pen.width == 0) return 0;
    const double w = pen.width * dc.toDevice.Scale();
    return std::isfinite(w) && w >= 1.5 ? std::min(w, 1e7) : 0;
}

Figures WidenFigures(const DCObj& dc, const PenObj& pen, const Figures& figures, double width) {
    Figures out;
    RECT visible = DrawableBounds(dc);
    const int grow = static_cast<int>(std::min(width, 1e8)) + 2;
    visible = {visible.left - grow, visible.top - grow, visible.right + grow,
               visible.bottom + grow};
    const Shape shape{width / 2, pen.style & PS_ENDCAP_MASK, pen.style & PS_JOIN_MASK,
                      dc.miterLimit, visible};
    std::vector<double> pattern = Pattern(pen, true);
    if (pen.Kind() != PS_USERSTYLE)
        for (double& d : pattern) d *= width;
    else
        for (double& d : pattern) d *= dc.toDevice.Scale();
    for (const Figure& f : figures) {
        std::vector<PointD> p = Distinct(f);
        if (p.empty()) continue;
        DashWalk dash(pattern);
        double length = 0;
        for (size_t i = 0; i + 1 < p.size(); ++i)
            length += Length({p[i + 1].x - p[i].x, p[i + 1].y - p[i].y});
        // Dashes too many to matter are drawn as one line.
        if (dash.Solid() || p.size() < 2 || !(length / dash.total < 1e4)) {
            AddStroke(out, p, f.closed && p.size() > 2, shape);
            continue;
        }
        if (f.closed) p.push_back(p.front());
        std::vector<PointD> piece;
        for (size_t i = 0; i + 1 < p.size(); ++i) {
            const PointD a = p[i], b = p[i + 1];
            const double len = Length({b.x - a.x, b.y - a.y});
            double done = 0;
            while (done < len) {
                const double step = std::min(dash.Left(), len - done);
                const PointD from{a.x + (b.x - a.x) * done / len, a.y + (b.y - a.y) * done / len};
                const PointD to{a.x + (b.x - a.x) * (done + step) / len,
                                a.y + (b.y - a.y) * (done + step) / len};
                if (dash.On()) {
                    if (piece.empty()) piece.push_back(from);
                    piece.push_back(to);
                }
                dash.Advance(step);
                done += step;
                if (!dash.On() && !piece.empty()) {
                    AddStroke(out, piece, false, shape);
                    piece.clear();
                }
            }
        }
        if (!piece.empty()) AddStroke(out, piece, false, shape);
    }
    return out;
}

void StrokeFigures(const DCObj& dc, const Figures& figures) {
    if (!dc.pen || dc.pen->Kind() == PS_NULL || !dc.bitmap) return;
    const PenObj& pen = *dc.pen;
    const double width = DeviceWidth(dc, pen);
    const Paint on = SolidPaint(dc, pen.color);
    if (width == 0) {
        Paint gap = SolidPaint(dc, dc.bkColor);
        const Paint* off = dc.bkMode == OPAQUE ? &gap : nullptr;
        std::vector<double> pattern = Pattern(pen, false);
        if (pen.Kind() == PS_USERSTYLE)
            for (double& d : pattern) d = std::max(1.0, std::round(d * dc.toDevice.Scale()));
        for (const Figure& f : figures) {
            DashWalk dash(pattern);
            const size_t n = f.points.size();
            if (n == 1) CosmeticSegment(dc, f.points[0], f.points[0], on, off, dash);
            for (size_t i = 0; i + 1 < n; ++i)
                CosmeticSegment(dc, f.points[i], f.points[i + 1], on, off, dash);
            if (f.closed && n > 2) CosmeticSegment(dc, f.points[n - 1], f.points[0], on, off, dash);
        }
        return;
    }
    // The pixel whose centre is the whole number (x, y) covers [x, x + 1).
    Figures centred = figures;
    for (Figure& f : centred)
        for (PointD& p : f.points) p.x += 0.5, p.y += 0.5;
    FillFigures(dc, WidenFigures(dc, pen, centred, width), true, on);
}

}  // namespace vardel::gdi
