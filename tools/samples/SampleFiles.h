// The file writers of the sample generator: a JPEG through libjpeg's encoder, an
// uncompressed RGB TIFF written field by field, the animated GIF through the
// project's own GIF object model and writer, and the program's icon as SVG text.
#pragma once

#include <string>

#include "tools/samples/Raster.h"

namespace vardel::samples {

void WriteJpeg(const TRaster& picture, int quality, const std::string& path);
void WriteTiff(const TRaster& picture, const std::string& path);
void WriteAnimatedGif(const std::string& path);
void WriteIcon(const std::string& path);

}  // namespace vardel::samples
