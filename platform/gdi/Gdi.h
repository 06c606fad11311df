// A software 2-D graphics interface: device contexts (screen, window, memory),
// device-independent sections and device-dependent bitmaps, palettes, pixel access,
// block transfers with raster operations, pens, brushes and metafile bytes.
//
// The calls keep the names and the documented behaviour of the platform interface
// that the picture model and the readers are written against. Handles are shared
// typed objects; dropping the last reference frees the object, and DeleteObject /
// DeleteDC only mark the end of their use.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vardel::gdi {

using COLORREF = uint32_t;  // 0x00BBGGRR
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
    return r | (uint32_t{g} << 8) | (uint32_t{b} << 16);
}
constexpr uint8_t GetRValue(COLORREF c) { return c & 0xFF; }
constexpr uint8_t GetGValue(COLORREF c) { return (c >> 8) & 0xFF; }
constexpr uint8_t GetBValue(COLORREF c) { return (c >> 16) & 0xFF; }

struct POINT {
    int32_t x = 0, y = 0;
};
struct RECT {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const RECT&) const = default;
};

struct RGBQUAD {
    uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
    bool operator==(const RGBQUAD&) const = default;
};
struct PALETTEENTRY {
    uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
    bool operator==(const PALETTEENTRY&) const = default;
};

inline constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;

struct BITMAPINFOHEADER {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = BI_RGB;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

// A bitmap description as handed to the platform: the information header, the three
// colour masks (used with BI_BITFIELDS) and the colour table.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    std::array<uint32_t, 3> bmiMasks{};
    std::vector<RGBQUAD> bmiColors;
};

struct BITMAP {
    int32_t bmType = 0;
    int32_t bmWidth = 0;
    int32_t bmHeight = 0;
    int32_t bmWidthBytes = 0;
    uint16_t bmPlanes = 1;
    uint16_t bmBitsPixel = 0;
    uint8_t* bmBits = nullptr;  // rows of a section, nullptr for a device-dependent bitmap
};

// GetObject of a bitmap: the bitmap part always, the rest only for a section.
struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih{};
    std::array<uint32_t, 3> dsBitfields{};
    bool isSection = false;
};

// ---------------------------------------------------------------------------
// Objects and handles

class GdiObject {
public:
    virtual ~GdiObject() = default;
};

struct BitmapObj;
struct PaletteObj;
struct PenObj;
struct BrushObj;
struct FontObj;
struct DCObj;
struct MetafileObj;
struct IconObj;

using HGDIOBJ = std::shared_ptr<GdiObject>;
using HBITMAP = std::shared_ptr<BitmapObj>;
using HPALETTE = std::shared_ptr<PaletteObj>;
using HPEN = std::shared_ptr<PenObj>;
using HBRUSH = std::shared_ptr<BrushObj>;
using HFONT = std::shared_ptr<FontObj>;
using HDC = std::shared_ptr<DCObj>;
using HENHMETAFILE = std::shared_ptr<MetafileObj>;
using HICON = std::shared_ptr<IconObj>;

// ---------------------------------------------------------------------------
// Errors: a call that fails returns no handle (or 0) and leaves a code here.

inline constexpr uint32_t ERROR_SUCCESS = 0;
inline constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr uint32_t ERROR_INVALID_DATA = 13;

uint32_t GetLastError();
void SetLastError(uint32_t code);
// The platform's text for an error code; empty when it has none.
std::string SystemErrorMessage(uint32_t code);

// ---------------------------------------------------------------------------
// The display

// Bits per pixel of the display: 32 unless tests switch it to 8 to reach the
// palette paths. Process-wide.
int DisplayBitsPerPixel();
void SetDisplayBitsPerPixel(int bits);  // 8 or 32

inline constexpr int TECHNOLOGY = 2, HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14,
                     NUMCOLORS = 24, RASTERCAPS = 38, LOGPIXELSX = 88, LOGPIXELSY = 90,
                     SIZEPALETTE = 104, NUMRESERVED = 106;
inline constexpr int RC_PALETTE = 0x0100;
int GetDeviceCaps(const HDC& dc, int index);

inline constexpr int COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_WINDOW = 5,
                     COLOR_WINDOWTEXT = 8, COLOR_HIGHLIGHT = 13, COLOR_BTNFACE = 15,
                     COLOR_BTNTEXT = 18;
COLORREF GetSysColor(int index);
void SetSysColor(int index, COLORREF color);

inline constexpr int SM_CXICON = 11, SM_CYICON = 12;
int GetSystemMetrics(int index);

bool GdiFlush();

// ---------------------------------------------------------------------------
// Device contexts

// The screen's context (a new handle each call; drawing on it changes nothing).
HDC GetDC();
// A context that draws on a window's client area, kept as the given surface.
HDC GetWindowDC(const HBITMAP& clientSurface);
HDC CreateCompatibleDC(const HDC& dc);  // dc may be null: the screen
bool DeleteDC(HDC& dc);
bool ReleaseDC(HDC& dc);
// True while the handle names a live context (DeleteDC not yet called).
bool IsDC(const HDC& dc);

// Selection returns the previously selected object of the same kind.
HBITMAP SelectObject(const HDC& dc, const HBITMAP& bitmap);
HPEN SelectObject(const HDC& dc, const HPEN& pen);
HBRUSH SelectObject(const HDC& dc, const HBRUSH& brush);
HFONT SelectObject(const HDC& dc, const HFONT& font);
HBITMAP GetCurrentBitmap(const HDC& dc);
HPALETTE GetCurrentPalette(const HDC& dc);
bool DeleteObject(HGDIOBJ object);

COLORREF SetTextColor(const HDC& dc, COLORREF color);
COLORREF GetTextColor(const HDC& dc);
COLORREF SetBkColor(const HDC& dc, COLORREF color);
COLORREF GetBkColor(const HDC& dc);
inline constexpr int TRANSPARENT = 1, OPAQUE = 2;
int SetBkMode(const HDC& dc, int mode);

inline constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;
int SetStretchBltMode(const HDC& dc, int mode);
int GetStretchBltMode(const HDC& dc);
bool SetBrushOrgEx(const HDC& dc, int x, int y, POINT* old);

// Logical (0, 0) is drawn at device (x, y).
bool SetViewportOrgEx(const HDC& dc, int x, int y, POINT* old);
// Limits drawing to the rectangle (logical coordinates) within the current clipping.
bool IntersectClipRect(const HDC& dc, int left, int top, int right, int bottom);
void SelectClipRect(const HDC& dc, const std::optional<RECT>& deviceRect);

inline constexpr int ERROR_REGION = 0, NULLREGION = 1, SIMPLEREGION = 2;
int GetClipBox(const HDC& dc, RECT* rect);

COLORREF GetPixel(const HDC& dc, int x, int y);
COLORREF SetPixel(const HDC& dc, int x, int y, COLORREF color);
// SetPixel without working out the colour that was stored.
bool SetPixelV(const HDC& dc, int x, int y, COLORREF color);

// Direct access to the rows that a context draws on, for per-pixel work on 24- and
// 32-bit surfaces. It describes the context as it was when taken; Current() says
// whether the context's bitmap, origin and clipping are still the same.
struct PixelWindow {
    uint8_t* corner = nullptr;  // where the top-left device pixel that drawing may touch is
    ptrdiff_t step = 0;         // from one row to the next below it
    int bytesPerPixel = 0;      // 3 or 4; 0 when the context's pixels are not reachable so
    POINT origin;               // device position of logical (0, 0), less the corner's
    uint32_t width = 0, height = 0;  // how far drawing may reach from the corner
    const uint32_t* generationSource = &kNoContext;
    uint32_t generation = 1;

    bool Current() const { return *generationSource == generation; }
    // Where a logical point is stored when drawing may touch it, else null.
    uint8_t* At(int x, int y) const {
        const uint32_t dx = static_cast<uint32_t>(x + origin.x), dy = static_cast<uint32_t>(y + origin.y);
        if (dx >= width || dy >= height) return nullptr;
        return corner + step * static_cast<int>(dy) + bytesPerPixel * static_cast<int>(dx);
    }

    static constexpr uint32_t kNoContext = 0;
};
// False (and no bytes per pixel) for contexts that draw on anything but a 24- or
// 32-bit bitmap; the window still knows when the context changes.
bool GetPixelWindow(const HDC& dc, PixelWindow& window);

// ---------------------------------------------------------------------------
// Bitmaps

inline constexpr uint32_t DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1;
inline constexpr uint32_t CBM_INIT = 4;

HBITMAP CreateDIBSection(const HDC& dc, const BITMAPINFO& info, uint32_t usage, uint8_t** bits);
// A device-dependent bitmap in the format of the context's device (a memory context
// with a monochrome bitmap selected gives monochrome bitmaps).
HBITMAP CreateCompatibleBitmap(const HDC& dc, int width, int height);
// Planes 1 and bit count 1 give a monochrome bitmap; other counts a display bitmap.
// `bits` (rows top first, each padded to 16 bits) may be null.
HBITMAP CreateBitmap(int width, int height, uint32_t planes, uint32_t bitCount, const void* bits);
// A device-dependent bitmap from a description and, with CBM_INIT, its pixel data
// (uncompressed, bit fields, RLE8 or RLE4). `dataSize` bounds the reads of `bits`.
HBITMAP CreateDIBitmap(const HDC& dc, const BITMAPINFOHEADER& header, uint32_t init,
                       const void* bits, size_t dataSize, const BITMAPINFO& info,
                       uint32_t usage);
// With bits null and biBitCount 0, fills the header with the bitmap's own format.
// Otherwise converts `lines` rows from `start` (counted from the bottom for a
// positive height) into the requested format and returns how many it copied; a
// request of 8 bits or fewer also receives a colour table.
int GetDIBits(const HDC& dc, const HBITMAP& bitmap, unsigned start, unsigned lines, void* bits,
              BITMAPINFO& info, uint32_t usage);
// Colour table of the section selected into dc.
unsigned GetDIBColorTable(const HDC& dc, unsigned start, unsigned count, RGBQUAD* colors);
unsigned SetDIBColorTable(const HDC& dc, unsigned start, unsigned count, const RGBQUAD* colors);
bool GetObject(const HBITMAP& bitmap, DIBSECTION& out);
int GetObject(const HPALETTE& palette);  // number of entries

// ---------------------------------------------------------------------------
// Palettes

inline constexpr uint8_t PC_RESERVED = 1, PC_EXPLICIT = 2, PC_NOCOLLAPSE = 4;
struct LOGPALETTE {
    uint16_t palVersion = 0x300;
    std::vector<PALETTEENTRY> palPalEntry;
};
HPALETTE CreatePalette(const LOGPALETTE& palette);
HPALETTE CreateHalftonePalette(const HDC& dc);
// The 20 static colours of the display, the stock default palette.
HPALETTE GetDefaultPalette();
// The sixteen standard colours.
HPALETTE GetSystemPalette16();
HPALETTE SelectPalette(const HDC& dc, const HPALETTE& palette, bool forceBackground);
unsigned RealizePalette(const HDC& dc);
unsigned GetPaletteEntries(const HPALETTE& palette, unsigned start, unsigned count,
                           PALETTEENTRY* entries);
unsigned GetNearestPaletteIndex(const HPALETTE& palette, COLORREF color);

// ---------------------------------------------------------------------------
// Pens, brushes, fonts and shapes

inline constexpr int PS_SOLID = 0, PS_NULL = 5;
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
inline constexpr int WHITE_BRUSH = 0, BLACK_BRUSH = 4, NULL_BRUSH = 5, BLACK_PEN = 7;
HGDIOBJ GetStockObject(int index);
HBRUSH GetStockBrush(int index);
HPEN GetStockPen(int index);

struct LOGFONT {
    int32_t lfHeight = -11;
    int32_t lfWeight = 400;
    bool lfItalic = false;
    bool lfUnderline = false;
    bool lfStrikeOut = false;
    std::string lfFaceName = "MS Sans Serif";
};
HFONT CreateFontIndirect(const LOGFONT& font);
const LOGFONT* GetFontInfo(const HFONT& font);

int FillRect(const HDC& dc, const RECT& rect, const HBRUSH& brush);
bool MoveToEx(const HDC& dc, int x, int y, POINT* old);
bool GetCurrentPositionEx(const HDC& dc, POINT* point);
bool LineTo(const HDC& dc, int x, int y);
bool Rectangle(const HDC& dc, int left, int top, int right, int bottom);

// ---------------------------------------------------------------------------
// Block transfers

inline constexpr uint32_t SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
                          SRCINVERT = 0x00660046, SRCERASE = 0x00440328,
                          NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6,
                          MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226,
                          PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
                          DSTINVERT = 0x00550009, BLACKNESS = 0x00000042,
                          WHITENESS = 0x00FF0062;
constexpr uint32_t MAKEROP4(uint32_t fore, uint32_t back) {
    return ((back << 8) & 0xFF000000u) | fore;
}

bool BitBlt(const HDC& dst, int x, int y, int width, int height, const HDC& src, int sx, int sy,
            uint32_t rop);
bool StretchBlt(const HDC& dst, int x, int y, int width, int height, const HDC& src, int sx,
                int sy, int sw, int sh, uint32_t rop);
// Per pixel, mask bit 1 applies the foreground operation and 0 the background one
// (MAKEROP4). Without a mask only the foreground operation applies.
bool MaskBlt(const HDC& dst, int x, int y, int width, int height, const HDC& src, int sx, int sy,
             const HBITMAP& mask, int mx, int my, uint32_t rop4);
bool PatBlt(const HDC& dc, int x, int y, int width, int height, uint32_t rop);

// ---------------------------------------------------------------------------
// Metafiles: kept as bytes; an enhanced metafile asked for its Windows form (or the
// other way round) embeds the original so that nothing is lost.

HENHMETAFILE SetEnhMetaFileBits(const uint8_t* data, size_t size);
// `data` is a Windows metafile without its placeable header.
HENHMETAFILE SetWinMetaFileBits(const uint8_t* data, size_t size);
std::vector<uint8_t> GetEnhMetaFileBits(const HENHMETAFILE& metafile);
std::vector<uint8_t> GetWinMetaFileBits(const HENHMETAFILE& metafile);
// True when the metafile came from Windows metafile bytes.
bool IsWinMetaFile(const HENHMETAFILE& metafile);

// ---------------------------------------------------------------------------
// Icons: one image of an icon file (a BMP-coded colour image followed by its AND
// mask, the header height counting both).

HICON CreateIconFromResource(const uint8_t* data, size_t size);
bool DrawIconEx(const HDC& dc, int x, int y, const HICON& icon, int width, int height);
POINT GetIconSize(const HICON& icon);

}  // namespace vardel::gdi
