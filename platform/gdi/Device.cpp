// The display, errors, device contexts, selection, pixel access and simple shapes.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

namespace {
thread_local uint32_t lastError = ERROR_SUCCESS;
std::atomic<int> displayBits{32};

// The classic default scheme, with the light button face of current desktops.
std::atomic<COLORREF>* SysColors() {
    static std::atomic<COLORREF> colors[31];
    static std::once_flag once;
    std::call_once(once, [] {
        const COLORREF init[31] = {
            0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
            0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0,
            0xA0A0A0, 0x6D6D6D, 0x000000, 0x544E43, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
            0xE1FFFF, 0xB5B5B5, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};
        for (int i = 0; i < 31; ++i) colors[i] = init[i];
    });
    return colors;
}

// Every memory context starts with a 1 × 1 monochrome bitmap of its own, so what is
// drawn before a real bitmap is selected goes nowhere that anyone reads.
HBITMAP DefaultBitmap() {
    HBITMAP b = CreateBitmap(1, 1, 1, 1, nullptr);
    b->isStock = true;
    return b;
}

HDC NewDC(DCKind kind) {
    auto dc = std::make_shared<DCObj>();
    dc->kind = kind;
    dc->pen = GetStockPen(BLACK_PEN);
    dc->brush = GetStockBrush(WHITE_BRUSH);
    dc->font = CreateFontIndirect(LOGFONT{});
    dc->palette = GetDefaultPalette();
    return dc;
}

bool Live(const HDC& dc) {
    return dc && dc->alive;
}

// Device rectangle that drawing may touch: the bitmap bounds within the clip.
RECT DrawableBounds(const DCObj& dc) {
    RECT r{0, 0, 0, 0};
    if (!dc.bitmap) return r;
    r.right = dc.bitmap->width;
    r.bottom = dc.bitmap->height;
    if (dc.clip) {
        r.left = std::max(r.left, dc.clip->left);
        r.top = std::max(r.top, dc.clip->top);
        r.right = std::min(r.right, dc.clip->right);
        r.bottom = std::min(r.bottom, dc.clip->bottom);
    }
    return r;
}

bool Inside(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

void PlotDevice(const DCObj& dc, const RECT& bounds, int x, int y, COLORREF color) {
    if (!Inside(bounds, x, y)) return;
    const BitmapObj& b = *dc.bitmap;
    WriteRaw(b, b.Row(y), x, ColorToRaw(b, color));
}

// Fills a device rectangle (already clipped) with one colour.
void FillDevice(const DCObj& dc, RECT r, COLORREF color) {
    const BitmapObj& b = *dc.bitmap;
    const uint32_t raw = ColorToRaw(b, color);
    // Values of fewer than 8 bits repeat through a byte: whole bytes are filled in one go.
    int byteFrom = 0, byteTo = 0;
    uint8_t pattern = 0;
    if (b.bitCount < 8) {
        const int perByte = 8 / b.bitCount;
        byteFrom = (r.left + perByte - 1) / perByte;
        byteTo = r.right / perByte;
        for (int k = 0; k < perByte; ++k) pattern = static_cast<uint8_t>((pattern << b.bitCount) | raw);
    }
    for (int y = r.top; y < r.bottom; ++y) {
        uint8_t* row = b.Row(y);
        if (b.kind == PixelKind::Bgrx32 || b.kind == PixelKind::Masked32) {
            std::fill_n(reinterpret_cast<uint32_t*>(row) + r.left, r.right - r.left, raw);
        } else if (b.bitCount < 8 && byteTo > byteFrom) {
            const int perByte = 8 / b.bitCount;
            for (int x = r.left; x < byteFrom * perByte; ++x) WriteRaw(b, row, x, raw);
            std::memset(row + byteFrom, pattern, static_cast<size_t>(byteTo - byteFrom));
            for (int x = byteTo * perByte; x < r.right; ++x) WriteRaw(b, row, x, raw);
        } else {
            for (int x = r.left; x < r.right; ++x) WriteRaw(b, row, x, raw);
        }
    }
}

RECT Intersect(RECT a, const RECT& b) {
    a.left = std::max(a.left, b.left);
    a.top = std::max(a.top, b.top);
    a.right = std::min(a.right, b.right);
    a.bottom = std::min(a.bottom, b.bottom);
    if (a.right < a.left) a.right = a.left;
    if (a.bottom < a.top) a.bottom = a.top;
    return a;
}
}  // namespace

void SetFailure(uint32_t code) {
    lastError = code;
}
uint32_t GetLastError() {
    return lastError;
}
void SetLastError(uint32_t code) {
    lastError = code;
}

std::string SystemErrorMessage(uint32_t code) {
    switch (code) {
        case ERROR_NOT_ENOUGH_MEMORY:
            return "Not enough memory resources are available to process this command";
        case ERROR_INVALID_PARAMETER:
            return "The parameter is incorrect";
        case ERROR_INVALID_HANDLE:
            return "The handle is invalid";
        case ERROR_INVALID_DATA:
            return "The data is invalid";
        default:
            return {};
    }
}

int DisplayBitsPerPixel() {
    return displayBits.load();
}
void SetDisplayBitsPerPixel(int bits) {
    displayBits = bits == 8 ? 8 : 32;
}

int GetDeviceCaps(const HDC& dc, int index) {
    const bool memMono = dc && dc->kind == DCKind::Memory && dc->bitmap && dc->bitmap->monochrome &&
                         !dc->bitmap->isStock;
    const int bits = memMono ? 1 : DisplayBitsPerPixel();
    switch (index) {
        case TECHNOLOGY:
            return 1;  // raster display
        case HORZRES:
            return 1920;
        case VERTRES:
            return 1080;
        case BITSPIXEL:
            return bits;
        case PLANES:
            return 1;
        case NUMCOLORS:
            return bits <= 8 ? 20 : -1;
        case RASTERCAPS:
            return bits == 8 ? RC_PALETTE : 0;
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        case SIZEPALETTE:
            return bits == 8 ? 256 : 0;
        case NUMRESERVED:
            return bits == 8 ? 20 : 0;
        default:
            return 0;
    }
}

COLORREF GetSysColor(int index) {
    if (index < 0 || index >= 31) return 0;
    return SysColors()[index].load();
}

void SetSysColor(int index, COLORREF color) {
    if (index >= 0 && index < 31) SysColors()[index] = color & 0xFFFFFF;
}

int GetSystemMetrics(int index) {
    return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}

bool GdiFlush() {
    return true;
}

HDC GetDC() {
    return NewDC(DCKind::Screen);
}

HDC GetWindowDC(const HBITMAP& clientSurface) {
    if (!clientSurface) {
        SetFailure(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HDC dc = NewDC(DCKind::Window);
    dc->bitmap = clientSurface;
    return dc;
}

HDC CreateCompatibleDC(const HDC&) {
    HDC dc = NewDC(DCKind::Memory);
    dc->bitmap = DefaultBitmap();
    return dc;
}

bool DeleteDC(HDC& dc) {
    if (!Live(dc)) return false;
    if (dc->bitmap && dc->kind == DCKind::Memory) {
        DCObj* expected = dc.get();
        dc->bitmap->selectedIn.compare_exchange_strong(expected, nullptr);
    }
    dc->alive = false;
    ++dc->generation;
    dc->bitmap.reset();
    dc.reset();
    return true;
}

bool ReleaseDC(HDC& dc) {
    return DeleteDC(dc);
}
bool IsDC(const HDC& dc) {
    return Live(dc);
}

HBITMAP SelectObject(const HDC& dc, const HBITMAP& bitmap) {
    if (!Live(dc) || dc->kind != DCKind::Memory || !bitmap) {
        SetFailure(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!bitmap->isStock) {
        // A bitmap can be selected into one context at a time.
        DCObj* expected = nullptr;
        if (!bitmap->selectedIn.compare_exchange_strong(expected, dc.get()) &&
            expected != dc.get()) {
            SetFailure(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    ++dc->generation;
    HBITMAP old = dc->bitmap;
    if (old && old != bitmap && !old->isStock) {
        DCObj* expected = dc.get();
        old->selectedIn.compare_exchange_strong(expected, nullptr);
    }
    dc->bitmap = bitmap;
    return old;
}

HPEN SelectObject(const HDC& dc, const HPEN& pen) {
    if (!Live(dc) || !pen) return nullptr;
    return std::exchange(dc->pen, pen);
}
HBRUSH SelectObject(const HDC& dc, const HBRUSH& brush) {
    if (!Live(dc) || !brush) return nullptr;
    return std::exchange(dc->brush, brush);
}
HFONT SelectObject(const HDC& dc, const HFONT& font) {
    if (!Live(dc) || !font) return nullptr;
    return std::exchange(dc->font, font);
}
HBITMAP GetCurrentBitmap(const HDC& dc) {
    return Live(dc) ? dc->bitmap : nullptr;
}
HPALETTE GetCurrentPalette(const HDC& dc) {
    return Live(dc) ? dc->palette : nullptr;
}
bool DeleteObject(HGDIOBJ object) {
    return object != nullptr;
}

COLORREF SetTextColor(const HDC& dc, COLORREF color) {
    return Live(dc) ? std::exchange(dc->textColor, color) : CLR_INVALID;
}
COLORREF GetTextColor(const HDC& dc) {
    return Live(dc) ? dc->textColor : CLR_INVALID;
}
COLORREF SetBkColor(const HDC& dc, COLORREF color) {
    return Live(dc) ? std::exchange(dc->bkColor, color) : CLR_INVALID;
}
COLORREF GetBkColor(const HDC& dc) {
    return Live(dc) ? dc->bkColor : CLR_INVALID;
}
int SetBkMode(const HDC& dc, int mode) {
    return Live(dc) ? std::exchange(dc->bkMode, mode) : 0;
}

int SetStretchBltMode(const HDC& dc, int mode) {
    if (!Live(dc) || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return std::exchange(dc->stretchMode, mode);
}
int GetStretchBltMode(const HDC& dc) {
    return Live(dc) ? dc->stretchMode : 0;
}

bool SetBrushOrgEx(const HDC& dc, int x, int y, POINT* old) {
    if (!Live(dc)) return false;
    if (old) *old = dc->brushOrg;
    dc->brushOrg = {x, y};
    return true;
}

bool SetViewportOrgEx(const HDC& dc, int x, int y, POINT* old) {
    if (!Live(dc)) return false;
    if (old) *old = dc->origin;
    dc->origin = {x, y};
    ++dc->generation;
    return true;
}

bool IntersectClipRect(const HDC& dc, int left, int top, int right, int bottom) {
    if (!Live(dc)) return false;
    RECT r{left + dc->origin.x, top + dc->origin.y, right + dc->origin.x, bottom + dc->origin.y};
    dc->clip = dc->clip ? Intersect(*dc->clip, r) : r;
    ++dc->generation;
    return true;
}

void SelectClipRect(const HDC& dc, const std::optional<RECT>& deviceRect) {
    if (!Live(dc)) return;
    dc->clip = deviceRect;
    ++dc->generation;
}

bool GetPixelWindow(const HDC& dc, PixelWindow& window) {
    window = PixelWindow{};
    if (!Live(dc)) return false;
    window.generationSource = &dc->generation;
    window.generation = dc->generation;
    if (!dc->bitmap || dc->bitmap->isStock) return false;
    const BitmapObj& b = *dc->bitmap;
    if (b.kind != PixelKind::Bgrx32 && b.kind != PixelKind::Bgr24) return false;
    window.step = b.step;
    window.bytesPerPixel = b.kind == PixelKind::Bgrx32 ? 4 : 3;
    const RECT bounds = DrawableBounds(*dc);
    window.corner = b.top + b.step * bounds.top + window.bytesPerPixel * bounds.left;
    window.origin = {dc->origin.x - bounds.left, dc->origin.y - bounds.top};
    window.width = static_cast<uint32_t>(std::max(bounds.Width(), 0));
    window.height = static_cast<uint32_t>(std::max(bounds.Height(), 0));
    return true;
}

int GetClipBox(const HDC& dc, RECT* rect) {
    if (!Live(dc)) return ERROR_REGION;
    RECT r = dc->bitmap ? DrawableBounds(*dc)
                        : RECT{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    r.left -= dc->origin.x;
    r.right -= dc->origin.x;
    r.top -= dc->origin.y;
    r.bottom -= dc->origin.y;
    if (rect) *rect = r;
    return r.Width() > 0 && r.Height() > 0 ? SIMPLEREGION : NULLREGION;
}

namespace {
// The bitmap that a pixel operation at logical (x, y) touches and the device
// coordinates, or none when the point lies outside the surface or its clipping.
// The default bitmap of a memory context stands for "no bitmap": nothing to read or keep.
inline const BitmapObj* PixelTarget(const HDC& dc, int& x, int& y) {
    if (!dc || !dc->alive || !dc->bitmap) return nullptr;
    const BitmapObj& b = *dc->bitmap;
    x += dc->origin.x;
    y += dc->origin.y;
    if (static_cast<unsigned>(x) >= static_cast<unsigned>(b.width) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(b.height) || b.isStock)
        return nullptr;
    if (dc->clip && !Inside(*dc->clip, x, y)) return nullptr;
    return &b;
}
}  // namespace

COLORREF GetPixel(const HDC& dc, int x, int y) {
    const BitmapObj* b = PixelTarget(dc, x, y);
    if (!b) return CLR_INVALID;
    // The display's format and 24-bit files, the common cases, without the general dispatch.
    if (b->kind == PixelKind::Bgrx32) {
        const uint8_t* p = b->Row(y) + 4 * x;
        return RGB(p[2], p[1], p[0]);
    }
    if (b->kind == PixelKind::Bgr24) {
        const uint8_t* p = b->Row(y) + 3 * x;
        return RGB(p[2], p[1], p[0]);
    }
    return RawToColor(*b, ReadRaw(*b, b->Row(y), x));
}

bool SetPixelV(const HDC& dc, int x, int y, COLORREF color) {
    const BitmapObj* b = PixelTarget(dc, x, y);
    if (!b) return false;
    if (b->kind == PixelKind::Bgrx32 || b->kind == PixelKind::Bgr24) {
        uint8_t* p = b->Row(y) + (b->kind == PixelKind::Bgrx32 ? 4 : 3) * x;
        p[0] = GetBValue(color), p[1] = GetGValue(color), p[2] = GetRValue(color);
        return true;
    }
    WriteRaw(*b, b->Row(y), x, ColorToRaw(*b, color & 0xFFFFFF));
    return true;
}

COLORREF SetPixel(const HDC& dc, int x, int y, COLORREF color) {
    const BitmapObj* b = PixelTarget(dc, x, y);
    if (!b) return CLR_INVALID;
    const uint32_t raw = ColorToRaw(*b, color & 0xFFFFFF);
    WriteRaw(*b, b->Row(y), x, raw);
    return RawToColor(*b, raw);
}

HPEN CreatePen(int style, int width, COLORREF color) {
    auto p = std::make_shared<PenObj>();
    p->style = style;
    p->width = std::max(width, 1);
    p->color = color & 0xFFFFFF;
    return p;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto b = std::make_shared<BrushObj>();
    b->color = color & 0xFFFFFF;
    return b;
}

HBRUSH GetStockBrush(int index) {
    static const HBRUSH white = CreateSolidBrush(0xFFFFFF);
    static const HBRUSH black = CreateSolidBrush(0);
    static const HBRUSH hollow = [] {
        auto b = std::make_shared<BrushObj>();
        b->hollow = true;
        return b;
    }();
    switch (index) {
        case WHITE_BRUSH:
            return white;
        case BLACK_BRUSH:
            return black;
        case NULL_BRUSH:
            return hollow;
        default:
            return nullptr;
    }
}

HPEN GetStockPen(int index) {
    static const HPEN black = CreatePen(PS_SOLID, 1, 0);
    return index == BLACK_PEN ? black : nullptr;
}

HGDIOBJ GetStockObject(int index) {
    if (index == BLACK_PEN) return GetStockPen(index);
    return GetStockBrush(index);
}

HFONT CreateFontIndirect(const LOGFONT& font) {
    auto f = std::make_shared<FontObj>();
    f->font = font;
    return f;
}

const LOGFONT* GetFontInfo(const HFONT& font) {
    return font ? &font->font : nullptr;
}

int FillRect(const HDC& dc, const RECT& rect, const HBRUSH& brush) {
    if (!Live(dc) || !brush) return 0;
    if (brush->hollow || !dc->bitmap) return 1;
    RECT r{rect.left + dc->origin.x, rect.top + dc->origin.y, rect.right + dc->origin.x,
           rect.bottom + dc->origin.y};
    FillDevice(*dc, Intersect(r, DrawableBounds(*dc)), brush->color);
    return 1;
}

bool MoveToEx(const HDC& dc, int x, int y, POINT* old) {
    if (!Live(dc)) return false;
    if (old) *old = dc->penPos;
    dc->penPos = {x, y};
    return true;
}

bool GetCurrentPositionEx(const HDC& dc, POINT* point) {
    if (!Live(dc)) return false;
    if (point) *point = dc->penPos;
    return true;
}

bool LineTo(const HDC& dc, int x, int y) {
    if (!Live(dc)) return false;
    const POINT from = dc->penPos;
    dc->penPos = {x, y};
    if (!dc->bitmap || !dc->pen || dc->pen->style == PS_NULL) return true;
    const RECT bounds = DrawableBounds(*dc);
    const int w = dc->pen->width;
    // Bresenham from the pen position up to, not including, the end point.
    int x0 = from.x + dc->origin.x, y0 = from.y + dc->origin.y;
    const int x1 = x + dc->origin.x, y1 = y + dc->origin.y;
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (!(x0 == x1 && y0 == y1)) {
        if (w == 1) {
            PlotDevice(*dc, bounds, x0, y0, dc->pen->color);
        } else {
            FillDevice(
                *dc,
                Intersect(RECT{x0 - w / 2, y0 - w / 2, x0 - w / 2 + w, y0 - w / 2 + w}, bounds),
                dc->pen->color);
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    return true;
}

bool Rectangle(const HDC& dc, int left, int top, int right, int bottom) {
    if (!Live(dc)) return false;
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    if (!dc->bitmap) return true;
    const RECT bounds = DrawableBounds(*dc);
    const int ox = dc->origin.x, oy = dc->origin.y;
    // The interior takes the brush; the outline, inside the rectangle, the pen.
    if (dc->brush && !dc->brush->hollow)
        FillDevice(*dc, Intersect(RECT{left + ox, top + oy, right + ox, bottom + oy}, bounds),
                   dc->brush->color);
    if (dc->pen && dc->pen->style != PS_NULL) {
        const int w = dc->pen->width;
        const COLORREF c = dc->pen->color;
        const RECT r{left + ox, top + oy, right + ox, bottom + oy};
        FillDevice(
            *dc, Intersect(RECT{r.left, r.top, r.right, std::min(r.top + w, r.bottom)}, bounds), c);
        FillDevice(
            *dc, Intersect(RECT{r.left, std::max(r.bottom - w, r.top), r.right, r.bottom}, bounds),
            c);
        FillDevice(*dc,
                   Intersect(RECT{r.left, r.top, std::min(r.left + w, r.right), r.bottom}, bounds),
                   c);
        FillDevice(*dc,
                   Intersect(RECT{std::max(r.right - w, r.left), r.top, r.right, r.bottom}, bounds),
                   c);
    }
    return true;
}

}  // namespace vardel::gdi
