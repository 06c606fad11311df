// A ringed planet in space, seen from a little above its ring plane and lit from the
// front left, with an optional small moon on an orbit in the ring plane. The planet
// has radius 1; the view maps world units to pixels.
#pragma once

#include <optional>

#include "tools/samples/Raster.h"

namespace vardel::samples {

struct TVec {
    double x = 0, y = 0, z = 0;
};

struct TPlanetView {
    int width = 0, height = 0;
    double centerX = 0, centerY = 0;  // pixel position of the planet's centre
    double scale = 1;                 // pixels per planet radius
    int samples = 3;                  // n x n samples per pixel
};

// Where the moon stands after turning `angle` radians along its orbit.
TVec MoonPosition(double angle);

// The scene's colour at a pixel-space point; `pixelX`, `pixelY` pick the star field.
// `moon` adds the moon at that place; `moonSeen` (when given) is set when the moon
// is what the point shows.
TRgb ShadeSpace(const TPlanetView& view, double px, double py, int pixelX, int pixelY,
                const std::optional<TVec>& moon, bool* moonSeen = nullptr);

// The whole scene without the moon.
TRaster PaintPlanet(const TPlanetView& view);

}  // namespace vardel::samples
