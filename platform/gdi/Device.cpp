// The display, errors, device contexts, selection, colours and pixel access.
#include <algorithm>
#include <atomic>
#include <cmath>
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
    MappingChanged(*dc);
    return dc;
}

bool Live(const HDC& dc) {
    return dc && dc->alive;
}

}  // namespace

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
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

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

COLORREF SetTextColor(const HDC& dc, COLORREF color) {
    return Live(dc) ? std::exchange(dc->textColor, color) : CLR_INVALID;
}
COLORREF SetBkColor(const HDC& dc, COLORREF color) {
    return Live(dc) ? std::exchange(dc->bkColor, color) : CLR_INVALID;
}
int SetBkMode(const HDC& dc, int mode) {
    return Live(dc) ? std::exchange(dc->bkMode, mode) : 0;
}

int SetROP2(const HDC& dc, int mode) {
    if (!Live(dc) || mode < R2_BLACK || mode > R2_WHITE) return 0;
    return std::exchange(dc->rop2, mode);
}
int SetPolyFillMode(const HDC& dc, int mode) {
    if (!Live(dc) || (mode != ALTERNATE && mode != WINDING)) return 0;
    return std::exchange(dc->polyFillMode, mode);
}
int SetArcDirection(const HDC& dc, int direction) {
    if (!Live(dc) || (direction != AD_COUNTERCLOCKWISE && direction != AD_CLOCKWISE)) return 0;
    return std::exchange(dc->arcDirection, direction);
}
bool SetMiterLimit(const HDC& dc, float limit, float* old) {
    if (!Live(dc) || !(limit >= 1)) return false;
    if (old) *old = static_cast<float>(dc->miterLimit);
    dc->miterLimit = limit;
    return true;
}
int SetTextAlign(const HDC& dc, int align) {
    return Live(dc) ? std::exchange(dc->textAlign, align) : -1;
}
int SetTextCharacterExtra(const HDC& dc, int extra) {
    return Live(dc) ? std::exchange(dc->charExtra, extra) : INT32_MIN;
}

int SetStretchBltMode(const HDC& dc, int mode) {
    if (!Live(dc) || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return std::exchange(dc->stretchMode, mode);
}

bool SetBrushOrgEx(const HDC& dc, int x, int y, POINT* old) {
    if (!Live(dc)) return false;
    if (old) *old = dc->brushOrg;
    dc->brushOrg = {x, y};
    return true;
}

bool GetPixelWindow(const HDC& dc, PixelWindow& window) {
    window = PixelWindow{};
    if (!Live(dc)) return false;
    window.generationSource = &dc->generation;
    window.generation = dc->generation;
    // Mapped coordinates and clipping regions go through GetPixel and SetPixel.
    if (!dc->bitmap || dc->bitmap->isStock || dc->mapped || dc->complexClip) return false;
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

namespace {
// The bitmap that a pixel operation at logical (x, y) touches and the device
// coordinates, or none when the point lies outside the surface or its clipping.
// The default bitmap of a memory context stands for "no bitmap": nothing to read or keep.
inline const BitmapObj* PixelTarget(const HDC& dc, int& x, int& y) {
    if (!dc || !dc->alive || !dc->bitmap) return nullptr;
    const BitmapObj& b = *dc->bitmap;
    if (dc->mapped) {
        // The pixel that holds the point's image.
        const PointD p = dc->toDevice.Apply({double(x), double(y)});
        if (!(std::fabs(p.x) < 1e9 && std::fabs(p.y) < 1e9)) return nullptr;
        x = static_cast<int>(std::floor(p.x));
        y = static_cast<int>(std::floor(p.y));
    } else {
        x += dc->origin.x;
        y += dc->origin.y;
    }
    if (static_cast<unsigned>(x) >= static_cast<unsigned>(b.width) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(b.height) || b.isStock)
        return nullptr;
    if (dc->clip &&
        (x < dc->clip->left || x >= dc->clip->right || y < dc->clip->top || y >= dc->clip->bottom))
        return nullptr;
    if (dc->complexClip && !dc->complexClip->Contains(x, y)) return nullptr;
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

}  // namespace vardel::gdi
