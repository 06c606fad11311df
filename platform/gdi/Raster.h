// Inside the graphics layer: turning figures into runs of pixels, and painting runs
// with a colour, a hatch or a tile, through the binary raster operation and the
// clipping of a context.
#pragma once

#include <functional>

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

// Calls fn(y, x0, x1) for the runs of pixels whose centres lie inside the figures
// (each taken as closed), by the even-odd or the winding rule, within `limit`.
// Rows outside `limit` cost nothing, so huge coordinates are harmless.
void ScanFigures(const Figures& figures, bool winding, const RECT& limit,
                 const std::function<void(int, int, int)>& fn);

// What a run is painted with, worked out once per shape.
struct Paint {
    enum class Kind { Solid, Hatch, Tile } kind = Kind::Solid;
    uint32_t fore = 0;  // stored value of the colour (the hatch lines, a tile's 0 bits)
    uint32_t back = 0;  // stored value of the background (hatch gaps, a tile's 1 bits)
    bool opaqueBack = true;
    int hatch = 0;
    HBITMAP tile;
    bool monoTile = false;
    POINT org;  // device position where the hatch or tile starts
    int rop2 = R2_COPYPEN;
    RECT bounds;  // bitmap within the clip bounds
};

// Paints in one colour through the context's binary raster operation.
Paint SolidPaint(const DCObj& dc, COLORREF color);
Paint BrushPaint(const DCObj& dc, const BrushObj& brush);
// Paints the pixels [x0, x1) of device row y that the clipping lets through.
void PaintRun(const DCObj& dc, int y, int x0, int x1, const Paint& paint);
void FillFigures(const DCObj& dc, const Figures& figures, bool winding, const Paint& paint);
// Mixes `color` into the run by the coverage values (0 to 255), one per pixel from x0.
void BlendRun(const DCObj& dc, int y, int x0, int x1, const uint8_t* coverage, COLORREF color);

}  // namespace vardel::gdi
