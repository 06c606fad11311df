// The walk that every point operation of the workbench makes over a view: width and
// height read once, rows outer and columns inner, one read and one write through the
// view's surface per pixel, the write of one pixel before the read of the next.
#pragma once

#include "graphics/Canvas.h"
#include "graphics/Image.h"

namespace vardel {

constexpr int RedOf(TColor c) {
    return c & 0xFF;
}
constexpr int GreenOf(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr int BlueOf(TColor c) {
    return (c >> 16) & 0xFF;
}
constexpr TColor Grey(int v) {
    return v * 0x10101;
}

template <class Map>
void MapViewPixels(TImage& view, Map map) {
    const int width = view.Width();
    const int height = view.Height();
    // An empty walk never asks for the surface.
    if (width <= 0 || height <= 0) return;
    TCanvas& surface = view.Surface();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) surface.WritePixel(x, y, map(surface.ReadPixel(x, y)));
}

}  // namespace vardel
