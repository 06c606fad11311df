#include "tools/samples/Landscape.h"

#include <algorithm>
#include <cmath>

#include "tools/samples/Noise.h"

namespace vardel::samples {

namespace {

// The scene in units of the picture's height: x from 0 to aspect, y from 0 (top) to 1.
class TLandscape {
  public:
    explicit TLandscape(double aspect) : aspect_(aspect) {}

    // The colour at a point above the water line, or its reflection below it.
    TRgb At(double x, double y) const {
        if (y < kWaterLine) return AboveWater(x, y);
        return Water(x, y);
    }

  private:
    static constexpr double kWaterLine = 0.62;

    double SunX() const { return aspect_ * 0.70; }
    static constexpr double kSunY = 0.30;

    TRgb Sky(double x, double y) const {
        const double t = y / kWaterLine;
        TRgb sky = t < 0.55
                       ? Mix(TRgb{0.16, 0.30, 0.58}, TRgb{0.47, 0.62, 0.82}, t / 0.55)
                       : Mix(TRgb{0.47, 0.62, 0.82}, TRgb{0.98, 0.80, 0.55}, (t - 0.55) / 0.45);
        const double dx = x - SunX(), dy = y - kSunY;
        const double d = std::sqrt(dx * dx + dy * dy);
        sky += TRgb{1.0, 0.75, 0.45} * (0.55 * std::exp(-d / 0.09));
        // Clouds: stretched noise, thicker up high, lit from the sun's side.
        const double n = Fbm(x * 3.2, y * 11, 6, 11);
        const double cover = SmoothStep(0.52, 0.72, n) * (1.1 - t);
        const double litSide = std::exp(-d / 0.35);
        const TRgb cloud = Mix(TRgb{0.58, 0.58, 0.66}, TRgb{1.0, 0.88, 0.74}, litSide);
        sky = Mix(sky, cloud, Clamp01(cover));
        if (d < 0.028) sky = Mix(sky, TRgb{1.0, 0.97, 0.88}, SmoothStep(0.028, 0.022, d));
        return sky;
    }

    static double FarRidge(double x) {
        // Sharper peaks than plain noise: the ridge rises faster than the noise does.
        const double n = Fbm(x * 1.9, 1.7, 7, 23);
        return kWaterLine - 0.04 - 0.9 * std::pow(std::max(0.0, n - 0.3), 1.4);
    }
    static double NearRidge(double x) {
        return kWaterLine - 0.015 - 0.08 * Fbm(x * 3.5, 5.3, 5, 31);
    }

    // Conifers on the near shore: one every few hundredths, each a narrow triangle
    // whose height is drawn from the hash of its place.
    static bool InTree(double x, double y) {
        constexpr double kSpacing = 0.018;
        const auto slot = static_cast<int64_t>(std::floor(x / kSpacing));
        for (int64_t s = slot - 1; s <= slot + 1; ++s) {
            if (Hash(s, 0, 61) < 0.35) continue;
            const double cx = (static_cast<double>(s) + 0.2 + 0.6 * Hash(s, 1, 61)) * kSpacing;
            const double base = NearRidge(cx) + 0.01;
            const double height = 0.03 + 0.07 * Hash(s, 2, 61);
            const double top = base - height;
            if (y < top || y > base) continue;
            const double halfWidth = (y - top) / height * 0.011;
            if (std::fabs(x - cx) < halfWidth) return true;
        }
        return false;
    }

    TRgb AboveWater(double x, double y) const {
        if (InTree(x, y)) {
            const double shade = 0.7 + 0.3 * ValueNoise(x * 300, y * 300, 71);
            return TRgb{0.07, 0.13, 0.08} * shade;
        }
        if (y > NearRidge(x)) {
            const double texture = Fbm(x * 40, y * 40, 4, 43);
            return Mix(TRgb{0.10, 0.18, 0.09}, TRgb{0.30, 0.36, 0.16}, texture);
        }
        if (y > FarRidge(x)) {
            // Distance haze: the rock fades towards the sky's colour near the horizon.
            const double texture = Fbm(x * 18, y * 30, 5, 53);
            TRgb rock = Mix(TRgb{0.30, 0.34, 0.45}, TRgb{0.55, 0.56, 0.62}, texture);
            // Snow above a snow line that wanders with the rock's texture.
            const double snowLine = kWaterLine - 0.21 + 0.05 * (texture - 0.5);
            const double snow = SmoothStep(snowLine, snowLine - 0.02, y);
            rock = Mix(rock, TRgb{0.93, 0.92, 0.95}, snow);
            const double haze = SmoothStep(FarRidge(x), kWaterLine, y) * 0.55;
            return Mix(rock, Sky(x, kWaterLine - 0.01), haze);
        }
        return Sky(x, y);
    }

    TRgb Water(double x, double y) const {
        const double depth = y - kWaterLine;
        // Ripples shift the mirrored scene sideways, more so nearer the viewer.
        const double ripple = (ValueNoise(x * 6, y * 140, 83) - 0.5) * (0.006 + depth * 0.12);
        const double mirroredY = kWaterLine - depth * 1.0;
        TRgb color = AboveWater(x + ripple, mirroredY) * TRgb{0.62, 0.68, 0.74};
        // The sun's glitter on the water below it.
        const double glitterBand = std::exp(-std::pow((x - SunX()) / (0.04 + depth * 0.5), 2));
        const double sparkle = SmoothStep(0.72, 0.95, ValueNoise(x * 90, y * 400, 89));
        color += TRgb{1.0, 0.86, 0.62} * (glitterBand * sparkle * 0.8);
        // The shore in the foreground: stones and grass over the last rows.
        const double shore = 0.93 - 0.05 * Fbm(x * 6, 9.1, 4, 97);
        if (y > shore) {
            const double texture = Fbm(x * 60, y * 60, 5, 101);
            color = Mix(TRgb{0.22, 0.20, 0.14}, TRgb{0.46, 0.44, 0.34}, texture);
        }
        return color;
    }

    double aspect_;
};

}  // namespace

TRaster PaintLandscape(int width, int height) {
    const TLandscape scene(static_cast<double>(width) / height);
    return Supersample(width, height, 2, [&](double px, double py, int ix, int iy) {
        const double x = px / height, y = py / height;
        TRgb color = scene.At(x, y);
        // A camera's vignetting and sensor grain.
        const double cx = px / width - 0.5, cy = py / height - 0.5;
        color = color * (1 - 0.35 * (cx * cx + cy * cy));
        return color + TRgb{1, 1, 1} * (0.03 * (Hash(ix, iy, 131) - 0.5));
    });
}

}  // namespace vardel::samples
