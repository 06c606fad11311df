// A floating-point RGB picture that the sample scenes are painted into, and the small
// pieces of arithmetic they share. Channels run from 0 (dark) to 1 (full).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vardel::samples {

struct TRgb {
    double r = 0, g = 0, b = 0;

    TRgb operator+(const TRgb& o) const { return {r + o.r, g + o.g, b + o.b}; }
    TRgb operator-(const TRgb& o) const { return {r - o.r, g - o.g, b - o.b}; }
    TRgb operator*(double k) const { return {r * k, g * k, b * k}; }
    TRgb operator*(const TRgb& o) const { return {r * o.r, g * o.g, b * o.b}; }
    TRgb& operator+=(const TRgb& o) { return *this = *this + o; }
};

inline TRgb Mix(const TRgb& a, const TRgb& b, double t) {
    return a + (b - a) * t;
}

inline double Clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

inline double SmoothStep(double edge0, double edge1, double v) {
    const double t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

inline uint8_t ToByte(double v) {
    return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0));
}

class TRaster {
  public:
    TRaster(int width, int height)
        : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height) {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    TRgb& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    const TRgb& At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

    // Red, green, blue bytes, rows from the top.
    std::vector<uint8_t> RgbBytes() const {
        std::vector<uint8_t> bytes;
        bytes.reserve(pixels_.size() * 3);
        for (const TRgb& p : pixels_) {
            bytes.push_back(ToByte(p.r));
            bytes.push_back(ToByte(p.g));
            bytes.push_back(ToByte(p.b));
        }
        return bytes;
    }

  private:
    int width_, height_;
    std::vector<TRgb> pixels_;
};

// Paints every pixel as the mean of n x n samples of shade(x, y), taken at the
// centres of an even grid inside the pixel, so that edges come out smooth.
template <class Shade>
TRaster Supersample(int width, int height, int n, Shade shade) {
    TRaster raster(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            TRgb sum;
            for (int j = 0; j < n; ++j)
                for (int i = 0; i < n; ++i)
                    sum += shade(x + (i + 0.5) / n, y + (j + 0.5) / n, x, y);
            raster.At(x, y) = sum * (1.0 / (n * n));
        }
    return raster;
}

}  // namespace vardel::samples
