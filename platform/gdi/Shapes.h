// Inside the graphics layer: curve geometry, and the one place where a shape is either
// drawn (filled in pixel-corner coordinates, outlined through pixel centres) or added
// to the open path.
#pragma once

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

struct PathState {
    Figures figures;          // device coordinates
    bool recording = false;   // between BeginPath and EndPath
    bool figureOpen = false;  // the last figure still grows with lines from the current position
};

// Segments for a curve of `radius` device pixels: fine enough that the polygon strays
// less than a quarter pixel, and bounded.
int CurveSegments(double radius);
// Points of the ellipse (centre, radii) from parameter t0 on by `sweep` radians;
// positive sweeps run counter-clockwise as seen with y pointing down. The first point
// is included when `withStart`.
void AppendArc(std::vector<PointD>& out, PointD centre, double rx, double ry, double t0,
               double sweep, int segments, bool withStart);
// The parameter at which the ray from the centre through p meets the ellipse.
double RadialParameter(PointD centre, double rx, double ry, PointD p);
// A cubic curve from p0 (not added) to p3, flattened.
void AppendBezier(std::vector<PointD>& out, PointD p0, PointD p1, PointD p2, PointD p3);

inline PointD ToDevice(const DCObj& dc, POINT p) {
    return dc.toDevice.Apply({double(p.x), double(p.y)});
}
inline bool Recording(const DCObj& dc) {
    return dc.path && dc.path->recording;
}
// Draws a shape: `fill` with the brush (when `filled`), `stroke` with the pen; while a
// path is recorded, adds `fill` to it instead.
void DrawShape(DCObj& dc, const Figures& fill, const Figures& stroke, bool filled);
// Lines from the current position: drawn, or added to the path's open figure.
void DrawFromCurrent(DCObj& dc, const std::vector<PointD>& points);

}  // namespace vardel::gdi
