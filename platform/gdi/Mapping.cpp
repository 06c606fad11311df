// Coordinates: mapping modes, window and viewport, the world transform, and saving and
// restoring the whole drawing state of a context.
#include <cmath>
#include <utility>

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

namespace {
// Logical units per inch of the fixed mapping modes (their y axis points up).
double UnitsPerInch(int mode) {
    switch (mode) {
        case MM_LOMETRIC:
            return 254;
        case MM_HIMETRIC:
            return 2540;
        case MM_LOENGLISH:
            return 100;
        case MM_HIENGLISH:
            return 1000;
        case MM_TWIPS:
            return 1440;
        default:
            return 0;
    }
}

Affine FromXform(const XFORM& x) {
    return {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy};
}

bool SetPoint(const HDC& dc, POINT DrawState::*field, int x, int y, POINT* old) {
    DCObj* d = LiveDC(dc);
    if (!d) return false;
    if (old) *old = d->*field;
    d->*field = {x, y};
    MappingChanged(*d);
    return true;
}

// Extents only count in the two scalable modes; elsewhere they are kept unchanged.
bool SetExtent(const HDC& dc, SIZE DrawState::*field, int x, int y, SIZE* old) {
    DCObj* d = LiveDC(dc);
    if (!d || x == 0 || y == 0) return false;
    if (old) *old = d->*field;
    if (d->mapMode != MM_ISOTROPIC && d->mapMode != MM_ANISOTROPIC) return true;
    d->*field = {x, y};
    MappingChanged(*d);
    return true;
}

bool ScaleExtent(const HDC& dc, SIZE DrawState::*field, int xNum, int xDenom, int yNum, int yDenom,
                 SIZE* old) {
    DCObj* d = LiveDC(dc);
    if (!d || xDenom == 0 || yDenom == 0) return false;
    const SIZE e = d->*field;
    const int64_t x = int64_t{e.cx} * xNum / xDenom, y = int64_t{e.cy} * yNum / yDenom;
    if (x == 0 || y == 0 || x != static_cast<int32_t>(x) || y != static_cast<int32_t>(y))
        return false;
    return SetExtent(dc, field, static_cast<int>(x), static_cast<int>(y), old);
}
}  // namespace

void MappingChanged(DCObj& dc) {
    double sx = 1, sy = 1;
    if (const double inch = UnitsPerInch(dc.mapMode)) {
        sx = dc.dpiX / inch;
        sy = -dc.dpiY / inch;
    } else if (dc.mapMode == MM_ISOTROPIC || dc.mapMode == MM_ANISOTROPIC) {
        sx = double(dc.viewportExt.cx) / dc.windowExt.cx;
        sy = double(dc.viewportExt.cy) / dc.windowExt.cy;
        if (dc.mapMode == MM_ISOTROPIC) {
            // Equal units both ways: the smaller scale wins, each keeping its sign.
            const double m = std::min(std::fabs(sx), std::fabs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
    }
    const Affine view{
        sx, 0, 0, sy, dc.origin.x - dc.windowOrg.x * sx, dc.origin.y - dc.windowOrg.y * sy};
    dc.toDevice = dc.world.Then(view).Then(dc.placement);
    dc.mapped = !(sx == 1 && sy == 1 && dc.windowOrg.x == 0 && dc.windowOrg.y == 0 &&
                  dc.world == Affine{} && dc.placement == Affine{});
    ++dc.generation;
}

int SetMapMode(const HDC& dc, int mode) {
    DCObj* d = LiveDC(dc);
    if (!d || mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
    const int old = std::exchange(d->mapMode, mode);
    if (UnitsPerInch(mode) || mode == MM_TEXT) d->windowExt = d->viewportExt = {1, 1};
    MappingChanged(*d);
    return old;
}

bool SetViewportOrgEx(const HDC& dc, int x, int y, POINT* old) {
    return SetPoint(dc, &DrawState::origin, x, y, old);
}
bool SetWindowOrgEx(const HDC& dc, int x, int y, POINT* old) {
    return SetPoint(dc, &DrawState::windowOrg, x, y, old);
}
bool OffsetViewportOrgEx(const HDC& dc, int x, int y, POINT* old) {
    DCObj* d = LiveDC(dc);
    return d && SetPoint(dc, &DrawState::origin, d->origin.x + x, d->origin.y + y, old);
}
bool OffsetWindowOrgEx(const HDC& dc, int x, int y, POINT* old) {
    DCObj* d = LiveDC(dc);
    return d && SetPoint(dc, &DrawState::windowOrg, d->windowOrg.x + x, d->windowOrg.y + y, old);
}
bool SetViewportExtEx(const HDC& dc, int x, int y, SIZE* old) {
    return SetExtent(dc, &DrawState::viewportExt, x, y, old);
}
bool SetWindowExtEx(const HDC& dc, int x, int y, SIZE* old) {
    return SetExtent(dc, &DrawState::windowExt, x, y, old);
}
bool ScaleViewportExtEx(const HDC& dc, int xNum, int xDenom, int yNum, int yDenom, SIZE* old) {
    return ScaleExtent(dc, &DrawState::viewportExt, xNum, xDenom, yNum, yDenom, old);
}
bool ScaleWindowExtEx(const HDC& dc, int xNum, int xDenom, int yNum, int yDenom, SIZE* old) {
    return ScaleExtent(dc, &DrawState::windowExt, xNum, xDenom, yNum, yDenom, old);
}

int SetGraphicsMode(const HDC& dc, int mode) {
    DCObj* d = LiveDC(dc);
    if (!d || (mode != GM_COMPATIBLE && mode != GM_ADVANCED)) return 0;
    // Back in the compatible mode only the identity is allowed.
    if (mode == GM_COMPATIBLE && !(d->world == Affine{})) return 0;
    return std::exchange(d->graphicsMode, mode);
}

bool SetWorldTransform(const HDC& dc, const XFORM& xform) {
    DCObj* d = LiveDC(dc);
    const Affine a = FromXform(xform);
    if (!d || d->graphicsMode != GM_ADVANCED || !a.Finite() || a.Determinant() == 0) return false;
    d->world = a;
    MappingChanged(*d);
    return true;
}

bool ModifyWorldTransform(const HDC& dc, const XFORM* xform, int mode) {
    DCObj* d = LiveDC(dc);
    if (!d || d->graphicsMode != GM_ADVANCED) return false;
    Affine next;
    if (mode == MWT_IDENTITY) {
        next = {};
    } else if (xform && (mode == MWT_LEFTMULTIPLY || mode == MWT_RIGHTMULTIPLY)) {
        const Affine a = FromXform(*xform);
        next = mode == MWT_LEFTMULTIPLY ? a.Then(d->world) : d->world.Then(a);
    } else {
        return false;
    }
    if (!next.Finite() || next.Determinant() == 0) return false;
    d->world = next;
    MappingChanged(*d);
    return true;
}

bool GetWorldTransform(const HDC& dc, XFORM* xform) {
    DCObj* d = LiveDC(dc);
    if (!d || !xform) return false;
    const Affine& w = d->world;
    *xform = {float(w.m11), float(w.m12), float(w.m21), float(w.m22), float(w.dx), float(w.dy)};
    return true;
}

bool LPtoDP(const HDC& dc, POINT* points, int count) {
    DCObj* d = LiveDC(dc);
    if (!d || (!points && count > 0)) return false;
    for (int i = 0; i < count; ++i) {
        const PointD p = d->toDevice.Apply({double(points[i].x), double(points[i].y)});
        if (!(std::fabs(p.x) < 2e9 && std::fabs(p.y) < 2e9)) return false;
        points[i] = {static_cast<int32_t>(std::lround(p.x)),
                     static_cast<int32_t>(std::lround(p.y))};
    }
    return true;
}

int SaveDC(const HDC& dc) {
    DCObj* d = LiveDC(dc);
    if (!d) return 0;
    d->saved.push_back(static_cast<const DrawState&>(*d));
    return static_cast<int>(d->saved.size());
}

bool RestoreDC(const HDC& dc, int saved) {
    DCObj* d = LiveDC(dc);
    if (!d) return false;
    const int depth = static_cast<int>(d->saved.size());
    const int level = saved < 0 ? depth + saved + 1 : saved;
    if (saved == 0 || level < 1 || level > depth) return false;
    static_cast<DrawState&>(*d) = std::move(d->saved[level - 1]);
    d->saved.resize(level - 1);
    MappingChanged(*d);
    ClipChanged(*d);
    return true;
}

}  // namespace vardel::gdi
