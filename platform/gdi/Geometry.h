// Inside the graphics layer: points in device space, affine transforms, and the figures
// that shapes, paths and pens are made of before they become pixels.
#pragma once

#include <cmath>
#include <vector>

namespace vardel::gdi {

struct PointD {
    double x = 0, y = 0;
};

// x' = x·m11 + y·m21 + dx, y' = x·m12 + y·m22 + dy (the layout of XFORM).
struct Affine {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

    PointD Apply(PointD p) const {
        return {p.x * m11 + p.y * m21 + dx, p.x * m12 + p.y * m22 + dy};
    }
    // Applies the linear part only: for vectors and sizes.
    PointD ApplyLinear(PointD p) const { return {p.x * m11 + p.y * m21, p.x * m12 + p.y * m22}; }
    // This transform followed by `next`.
    Affine Then(const Affine& next) const {
        return {m11 * next.m11 + m12 * next.m21,         m11 * next.m12 + m12 * next.m22,
                m21 * next.m11 + m22 * next.m21,         m21 * next.m12 + m22 * next.m22,
                dx * next.m11 + dy * next.m21 + next.dx, dx * next.m12 + dy * next.m22 + next.dy};
    }
    double Determinant() const { return m11 * m22 - m12 * m21; }
    // How much lengths grow, on average over directions.
    double Scale() const { return std::sqrt(std::fabs(Determinant())); }
    bool Invert(Affine& out) const {
        const double det = Determinant();
        if (!std::isfinite(det) || std::fabs(det) < 1e-300) return false;
        out.m11 = m22 / det;
        out.m12 = -m12 / det;
        out.m21 = -m21 / det;
        out.m22 = m11 / det;
        out.dx = -(dx * out.m11 + dy * out.m21);
        out.dy = -(dx * out.m12 + dy * out.m22);
        return true;
    }
    bool AxisAligned() const { return m12 == 0 && m21 == 0; }
    bool IsTranslation() const { return m11 == 1 && m22 == 1 && m12 == 0 && m21 == 0; }
    bool Finite() const {
        return std::isfinite(m11) && std::isfinite(m12) && std::isfinite(m21) &&
               std::isfinite(m22) && std::isfinite(dx) && std::isfinite(dy);
    }
    bool operator==(const Affine&) const = default;
};

// A coordinate as a whole number, bounded well within int (NaN gives 0): for values
// that may come from anywhere in a file.
inline int ClampToInt(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::fmax(-1e9, std::fmin(1e9, std::round(v))));
}

// One connected run of points; a closed figure returns to its first point.
struct Figure {
    std::vector<PointD> points;
    bool closed = false;
};
using Figures = std::vector<Figure>;

}  // namespace vardel::gdi
