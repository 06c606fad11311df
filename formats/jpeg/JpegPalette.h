// Between libjpeg's colour maps and platform palettes.
#pragma once

#include "formats/jpeg/JpegDecoder.h"
#include "platform/gdi/Gdi.h"

namespace vardel::jpeg {

// The decoder's colour map as a palette. Rows are in output component order: one
// row of grey levels, or blue, green and red.
gdi::HPALETTE PaletteFromColormap(const jpeg_decompress_struct& info);

// Makes the palette's entries (up to 256) the colour map that the decoder maps
// onto; a palette without entries changes nothing. Returns whether a map was set.
bool ColormapFromPalette(TJpegDecompressor& decoder, const gdi::HPALETTE& palette);

// A palette of its own with the same entries.
gdi::HPALETTE CopyPalette(const gdi::HPALETTE& palette);

}  // namespace vardel::jpeg
