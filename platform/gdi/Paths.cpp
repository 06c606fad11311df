// Paths: recording shapes between BeginPath and EndPath, then filling, stroking or
// clipping with what was recorded.
#include <cmath>

#include "platform/gdi/Raster.h"
#include "platform/gdi/Shapes.h"
#include "platform/gdi/Stroke.h"

namespace vardel::gdi {

namespace {
// The finished path of a context, or null (a path still being recorded is not ready).
PathState* Finished(const HDC& handle) {
    DCObj* dc = LiveDC(handle);
    return dc && dc->path && !dc->path->recording ? dc->path.get() : nullptr;
}

bool FillAndStroke(const HDC& handle, bool fill, bool stroke) {
    PathState* path = Finished(handle);
    if (!path) return false;
    DCObj& dc = *LiveDC(handle);
    const Figures figures = std::move(path->figures);
    dc.path.reset();
    if (!dc.bitmap) return true;
    if (fill && dc.brush && !dc.brush->hollow) {
        Figures closed = figures;
        for (Figure& f : closed) f.closed = true;
        FillFigures(dc, closed, dc.polyFillMode == WINDING, BrushPaint(dc, *dc.brush));
    }
    if (stroke) StrokeFigures(dc, figures);
    return true;
}
}  // namespace

bool BeginPath(const HDC& handle) {
    DCObj* dc = LiveDC(handle);
    if (!dc) return false;
    dc->path = std::make_shared<PathState>();
    dc->path->recording = true;
    return true;
}

bool EndPath(const HDC& handle) {
    DCObj* dc = LiveDC(handle);
    if (!dc || !Recording(*dc)) return false;
    dc->path->recording = false;
    dc->path->figureOpen = false;
    return true;
}

bool AbortPath(const HDC& handle) {
    DCObj* dc = LiveDC(handle);
    if (!dc) return false;
    dc->path.reset();
    return true;
}

bool CloseFigure(const HDC& handle) {
    DCObj* dc = LiveDC(handle);
    if (!dc || !Recording(*dc) || dc->path->figures.empty()) return false;
    dc->path->figures.back().closed = true;
    dc->path->figureOpen = false;
    return true;
}

bool FillPath(const HDC& dc) {
    return FillAndStroke(dc, true, false);
}
bool StrokePath(const HDC& dc) {
    return FillAndStroke(dc, false, true);
}
bool StrokeAndFillPath(const HDC& dc) {
    return FillAndStroke(dc, true, true);
}

bool FlattenPath(const HDC& handle) {
    // Curves are flattened as they are recorded.
    return Finished(handle) != nullptr;
}

bool WidenPath(const HDC& handle) {
    PathState* path = Finished(handle);
    if (!path) return false;
    DCObj& dc = *LiveDC(handle);
    if (!dc.pen || dc.pen->Kind() == PS_NULL) return false;
    const double width = std::max(DeviceWidth(dc, *dc.pen), 1.0);
    path->figures = WidenFigures(dc, *dc.pen, path->figures, width);
    return true;
}

bool SelectClipPath(const HDC& handle, int mode) {
    PathState* path = Finished(handle);
    if (!path || mode < RGN_AND || mode > RGN_COPY) return false;
    DCObj& dc = *LiveDC(handle);
    Figures closed = std::move(path->figures);
    dc.path.reset();
    for (Figure& f : closed) f.closed = true;
    // Rows beyond the surface can never be drawn; the region stops there.
    RECT limit{0, 0, 0, 0};
    if (dc.bitmap) limit = {0, 0, dc.bitmap->width, dc.bitmap->height};
    std::vector<Region::Run> runs;
    ScanFigures(closed, dc.polyFillMode == WINDING, limit, [&](int y, int x0, int x1) {
        runs.push_back({y, x0, x1});
    });
    auto region = std::make_shared<RegionObj>();
    region->region = std::make_shared<Region>(Region::FromRuns(std::move(runs)));
    return ExtSelectClipRgn(handle, region, mode) != ERROR_REGION;
}

}  // namespace vardel::gdi
