// Curve geometry: ellipse arcs and cubic curves flattened into points.
#include <algorithm>
#include <cmath>

#include "platform/gdi/Shapes.h"

namespace vardel::gdi {

int CurveSegments(double radius) {
    if (!(radius > 1)) return 8;
    // The chord of an arc of angle a strays r·(1 − cos(a/2)) from it.
    const double a = 2 * std::acos(std::max(-1.0, 1 - 0.25 / radius));
    return static_cast<int>(std::clamp(std::ceil(2 * M_PI / a), 8.0, 2048.0));
}

void AppendArc(std::vector<PointD>& out, PointD centre, double rx, double ry, double t0,
               double sweep, int segments, bool withStart) {
    const int n =
        std::max(1, static_cast<int>(std::ceil(segments * std::fabs(sweep) / (2 * M_PI))));
    for (int i = withStart ? 0 : 1; i <= n; ++i) {
        const double t = t0 + sweep * i / n;
        out.push_back({centre.x + rx * std::cos(t), centre.y - ry * std::sin(t)});
    }
}

double RadialParameter(PointD centre, double rx, double ry, PointD p) {
    // Along the ray, (rx·cos t, ry·sin t) points the same way as (p − centre) with y up.
    const double dx = p.x - centre.x, dy = centre.y - p.y;
    if (dx == 0 && dy == 0) return 0;
    return std::atan2(dy * rx, dx * ry);
}

void AppendBezier(std::vector<PointD>& out, PointD p0, PointD p1, PointD p2, PointD p3) {
    const double length = std::hypot(p1.x - p0.x, p1.y - p0.y) +
                          std::hypot(p2.x - p1.x, p2.y - p1.y) +
                          std::hypot(p3.x - p2.x, p3.y - p2.y);
    const int n = std::isfinite(length)
                      ? static_cast<int>(std::clamp(std::ceil(std::sqrt(length * 2)), 1.0, 512.0))
                      : 1;
    for (int i = 1; i <= n; ++i) {
        const double t = double(i) / n, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        out.push_back(
            {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
}

}  // namespace vardel::gdi
