// Inside the graphics layer: what pens paint along figures. Figures to be stroked are in
// device coordinates where a whole number names a pixel's centre.
#pragma once

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

// The pen's width in device pixels; 0 for a pen that draws one pixel wide.
double DeviceWidth(const DCObj& dc, const PenObj& pen);
// Strokes with the selected pen (nothing for a null pen).
void StrokeFigures(const DCObj& dc, const Figures& figures);
// The area a geometric pen of `width` device pixels covers, as figures to fill by the
// winding rule.
Figures WidenFigures(const DCObj& dc, const PenObj& pen, const Figures& figures, double width);

}  // namespace vardel::gdi
