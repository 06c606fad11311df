// A photograph-like landscape: a lake under a low sun, hazy mountains behind a wooded
// shore, clouds, the scene mirrored in rippled water, and a little grain and
// vignetting as a camera leaves them.
#pragma once

#include "tools/samples/Raster.h"

namespace vardel::samples {

TRaster PaintLandscape(int width, int height);

}  // namespace vardel::samples
