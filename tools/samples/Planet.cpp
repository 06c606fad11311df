#include "tools/samples/Planet.h"

#include <cmath>

#include "tools/samples/Noise.h"

namespace vardel::samples {

namespace {

constexpr double kPi = 3.14159265358979323846;

TVec operator+(const TVec& a, const TVec& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
TVec operator*(const TVec& a, double k) {
    return {a.x * k, a.y * k, a.z * k};
}
double Dot(const TVec& a, const TVec& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
TVec Cross(const TVec& a, const TVec& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
TVec Normalize(const TVec& v) {
    return v * (1.0 / std::sqrt(Dot(v, v)));
}

// The planet's axis (the ring plane's normal): tipped towards the viewer so that the
// rings' lit face shows, and rolled a little off the vertical.
const TVec kAxis = [] {
    const double tilt = 26 * kPi / 180, roll = -16 * kPi / 180;
    const TVec upright{0, std::cos(tilt), std::sin(tilt)};
    return TVec{upright.x * std::cos(roll) - upright.y * std::sin(roll),
                upright.x * std::sin(roll) + upright.y * std::cos(roll), upright.z};
}();
const TVec kLight = Normalize({-0.55, 0.30, 0.78});
constexpr double kMoonRadius = 0.16;
constexpr double kMoonOrbit = 2.75;

// How much light the rings stop at a distance r from the centre: a faint inner ring,
// a dense middle one, a dark division and an outer ring with a narrow gap of its own.
double RingDensity(double r) {
    const double ripple = 0.5 + 0.5 * std::sin(r * 157) * std::sin(r * 61 + 1.3);
    if (r < 1.24 || r > 2.27) return 0;
    if (r < 1.52) return 0.14 + 0.08 * ripple;
    if (r < 1.95) return 0.72 + 0.22 * ripple * SmoothStep(1.52, 1.70, r);
    if (r < 2.02) return 0.04;
    if (r > 2.212 && r < 2.224) return 0.03;
    return 0.50 + 0.16 * ripple;
}

TRgb RingColor(double r) {
    const double t = Clamp01((r - 1.24) / 1.03);
    return Mix(TRgb{0.62, 0.58, 0.52}, TRgb{0.92, 0.82, 0.64}, 0.4 + 0.6 * std::sin(t * kPi));
}

// The cloud bands run along lines of latitude; a little noise makes their edges
// wander as real bands do.
TRgb PlanetColor(const TVec& p) {
    const double latitude = std::asin(std::clamp(Dot(p, kAxis), -1.0, 1.0));
    const double longitude = std::atan2(p.x, p.z);
    const double wobble = 0.06 * (Fbm(longitude * 3, latitude * 9, 3, 17) - 0.5);
    const double l = latitude + wobble;
    const double bands = 0.5 + 0.22 * std::sin(l * 17) + 0.14 * std::sin(l * 39 + 1.1) +
                         0.14 * (Fbm(0.3, l * 14, 4, 5) - 0.5);
    TRgb color = Mix(TRgb{0.58, 0.45, 0.30}, TRgb{0.97, 0.89, 0.70}, Clamp01(bands));
    // Greyer, bluer polar caps.
    return Mix(color, TRgb{0.55, 0.60, 0.66}, SmoothStep(1.05, 1.35, std::fabs(latitude)));
}

// 1 where the light reaches p, less where the rings or the planet are in the way.
double RingShadowOn(const TVec& p) {
    const double t = -Dot(kAxis, p) / Dot(kAxis, kLight);
    if (t <= 0) return 1;
    const TVec s = p + kLight * t;
    return 1 - 0.85 * RingDensity(std::sqrt(Dot(s, s)));
}

bool PlanetShadowOn(const TVec& p) {
    const double b = Dot(p, kLight), c = Dot(p, p) - 1;
    const double disc = b * b - c;
    return disc > 0 && -b - std::sqrt(disc) > 0;
}

TRgb StarAt(int pixelX, int pixelY) {
    const double h = Hash(pixelX, pixelY, 99);
    if (h > 0.0035) return {};
    const double level = 0.25 + 0.75 * Hash(pixelX, pixelY, 7);
    const double tint = Hash(pixelX, pixelY, 3);
    return TRgb{0.9 + 0.1 * tint, 0.9, 1.0 - 0.1 * tint} * level;
}

}  // namespace

TVec MoonPosition(double angle) {
    const TVec u = Normalize(Cross(kAxis, TVec{0, 0, 1}));
    const TVec w = Cross(kAxis, u);
    return (u * std::cos(angle) + w * std::sin(angle)) * kMoonOrbit;
}

TRgb ShadeSpace(const TPlanetView& view, double px, double py, int pixelX, int pixelY,
                const std::optional<TVec>& moon, bool* moonSeen) {
    const double x = (px - view.centerX) / view.scale;
    const double y = (view.centerY - py) / view.scale;
    // What stands nearest the viewer (largest z) along the line of sight at (x, y)
    // hides what is behind it; the rings only dim what they cover.
    double depth = -1e9;
    TRgb color = StarAt(pixelX, pixelY);
    if (moonSeen) *moonSeen = false;

    const double d2 = x * x + y * y;
    if (d2 < 1) {
        const TVec p{x, y, std::sqrt(1 - d2)};
        const double light = std::max(0.0, Dot(p, kLight));
        const double limb = 0.55 + 0.45 * std::sqrt(p.z);
        color = PlanetColor(p) * ((0.03 + 0.97 * std::pow(light, 0.8)) * limb * RingShadowOn(p));
        depth = p.z;
    }
    if (moon) {
        const double mx = x - moon->x, my = y - moon->y;
        const double m2 = mx * mx + my * my;
        if (m2 < kMoonRadius * kMoonRadius) {
            const double mz = moon->z + std::sqrt(kMoonRadius * kMoonRadius - m2);
            if (mz > depth) {
                const TVec n = Normalize({mx, my, mz - moon->z});
                const TVec surface = *moon + n * kMoonRadius;
                const double craters = 0.75 + 0.25 * Fbm(n.x * 6 + 3, n.y * 6 + n.z * 4, 4, 41);
                const double light = std::max(0.0, Dot(n, kLight));
                const double shadow = PlanetShadowOn(surface) ? 0.1 : 1.0;
                color = TRgb{0.78, 0.76, 0.74} * (craters * (0.04 + 0.96 * light * shadow));
                depth = mz;
                if (moonSeen) *moonSeen = true;
            }
        }
    }
    const double zr = -(kAxis.x * x + kAxis.y * y) / kAxis.z;
    const TVec q{x, y, zr};
    const double alpha = RingDensity(std::sqrt(Dot(q, q)));
    if (alpha > 0 && zr > depth) {
        const double light =
            (0.30 + 0.70 * std::fabs(Dot(kAxis, kLight))) * (PlanetShadowOn(q) ? 0.06 : 1.0);
        color = Mix(color, RingColor(std::sqrt(Dot(q, q))) * light, alpha);
    }
    return color;
}

TRaster PaintPlanet(const TPlanetView& view) {
    return Supersample(view.width, view.height, view.samples,
                       [&](double px, double py, int ix, int iy) {
                           return ShadeSpace(view, px, py, ix, iy, std::nullopt);
                       });
}

}  // namespace vardel::samples
