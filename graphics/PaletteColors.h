// Palettes to colour tables and back, for the bitmap's own files.
#pragma once

#include <vector>

#include "platform/gdi/Gdi.h"

namespace vardel {

// A logical palette with one entry per table colour; none for an empty table.
gdi::HPALETTE PaletteFromColors(const std::vector<gdi::RGBQUAD>& colors);
// At most `limit` entries of a palette as table colours.
std::vector<gdi::RGBQUAD> PaletteColors(const gdi::HPALETTE& palette, size_t limit);

}  // namespace vardel
