// A software 2-D graphics interface: device contexts (screen, window, memory),
// device-independent sections and device-dependent bitmaps, palettes, pixel access,
// block transfers with raster operations, pens, brushes and metafile bytes.
//
// The calls keep the names and the documented behaviour of the platform interface
// that the picture model and the readers are written against. Handles are shared
// typed objects; dropping the last reference frees the object, and DeleteDC only
// marks the end of its use.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vardel::gdi {

using COLORREF = uint32_t;  // 0x00BBGGRR
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
    return r | (uint32_t{g} << 8) | (uint32_t{b} << 16);
}
constexpr uint8_t GetRValue(COLORREF c) {
    return c & 0xFF;
}
constexpr uint8_t GetGValue(COLORREF c) {
    return (c >> 8) & 0xFF;
}
constexpr uint8_t GetBValue(COLORREF c) {
    return (c >> 16) & 0xFF;
}

struct POINT {
    int32_t x = 0, y = 0;
};
struct SIZE {
    int32_t cx = 0, cy = 0;
};
// A world transform: x' = x·eM11 + y·eM21 + eDx, y' = x·eM12 + y·eM22 + eDy.
struct XFORM {
    float eM11 = 1, eM12 = 0, eM21 = 0, eM22 = 1, eDx = 0, eDy = 0;
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
struct RegionObj;

using HGDIOBJ = std::shared_ptr<GdiObject>;
using HBITMAP = std::shared_ptr<BitmapObj>;
using HPALETTE = std::shared_ptr<PaletteObj>;
using HPEN = std::shared_ptr<PenObj>;
using HBRUSH = std::shared_ptr<BrushObj>;
using HFONT = std::shared_ptr<FontObj>;
using HDC = std::shared_ptr<DCObj>;
using HENHMETAFILE = std::shared_ptr<MetafileObj>;
using HICON = std::shared_ptr<IconObj>;
using HRGN = std::shared_ptr<RegionObj>;

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
// Selects a pen, brush, font, bitmap, palette or region (a region as the clipping)
// named by a plain handle; returns the object it replaced (none for a region).
HGDIOBJ SelectObject(const HDC& dc, const HGDIOBJ& object);
HBITMAP GetCurrentBitmap(const HDC& dc);
HPALETTE GetCurrentPalette(const HDC& dc);

COLORREF SetTextColor(const HDC& dc, COLORREF color);
COLORREF SetBkColor(const HDC& dc, COLORREF color);
inline constexpr int TRANSPARENT = 1, OPAQUE = 2;
int SetBkMode(const HDC& dc, int mode);

inline constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;
int SetStretchBltMode(const HDC& dc, int mode);
bool SetBrushOrgEx(const HDC& dc, int x, int y, POINT* old);

// Every drawing mode below is kept per context and saved by SaveDC.
inline constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4,
                     R2_MASKPENNOT = 5, R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8,
                     R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11, R2_MERGENOTPEN = 12,
                     R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;
int SetROP2(const HDC& dc, int mode);
inline constexpr int ALTERNATE = 1, WINDING = 2;
int SetPolyFillMode(const HDC& dc, int mode);
inline constexpr int AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2;
int SetArcDirection(const HDC& dc, int direction);
bool SetMiterLimit(const HDC& dc, float limit, float* old);

// ---------------------------------------------------------------------------
// Coordinates: logical points pass the world transform, then the window-to-viewport
// mapping of the mapping mode, to become device pixels.

inline constexpr int MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4,
                     MM_HIENGLISH = 5, MM_TWIPS = 6, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8;
int SetMapMode(const HDC& dc, int mode);
// Logical (0, 0) is drawn at device (x, y) (with the window origin at 0).
bool SetViewportOrgEx(const HDC& dc, int x, int y, POINT* old);
bool SetViewportExtEx(const HDC& dc, int x, int y, SIZE* old);
bool SetWindowOrgEx(const HDC& dc, int x, int y, POINT* old);
bool SetWindowExtEx(const HDC& dc, int x, int y, SIZE* old);
bool OffsetViewportOrgEx(const HDC& dc, int x, int y, POINT* old);
bool OffsetWindowOrgEx(const HDC& dc, int x, int y, POINT* old);
bool ScaleViewportExtEx(const HDC& dc, int xNum, int xDenom, int yNum, int yDenom, SIZE* old);
bool ScaleWindowExtEx(const HDC& dc, int xNum, int xDenom, int yNum, int yDenom, SIZE* old);
inline constexpr int GM_COMPATIBLE = 1, GM_ADVANCED = 2;
int SetGraphicsMode(const HDC& dc, int mode);
// World transforms need the advanced graphics mode.
bool SetWorldTransform(const HDC& dc, const XFORM& xform);
inline constexpr int MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3;
bool ModifyWorldTransform(const HDC& dc, const XFORM* xform, int mode);
bool GetWorldTransform(const HDC& dc, XFORM* xform);
bool LPtoDP(const HDC& dc, POINT* points, int count);
// Saves the drawing state (objects, colours, modes, mapping, clipping); returns the
// level saved, 0 on failure. RestoreDC takes a level or, when negative, how many back.
int SaveDC(const HDC& dc);
bool RestoreDC(const HDC& dc, int saved);

// ---------------------------------------------------------------------------
// Regions (device coordinates) and clipping

inline constexpr int ERROR_REGION = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;
inline constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
HRGN CreateRectRgn(int left, int top, int right, int bottom);
// The union of the rectangles, moved by the transform when one is given.
HRGN ExtCreateRegion(const XFORM* xform, const std::vector<RECT>& rects);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
// dst becomes a ∘ b (RGN_COPY: a); returns the kind of the result.
int CombineRgn(const HRGN& dst, const HRGN& a, const HRGN& b, int mode);
int OffsetRgn(const HRGN& region, int x, int y);
int GetRgnBox(const HRGN& region, RECT* rect);
bool PtInRegion(const HRGN& region, int x, int y);
bool FillRgn(const HDC& dc, const HRGN& region, const HBRUSH& brush);
bool PaintRgn(const HDC& dc, const HRGN& region);
bool FrameRgn(const HDC& dc, const HRGN& region, const HBRUSH& brush, int width, int height);
bool InvertRgn(const HDC& dc, const HRGN& region);

// The clipping that drawing keeps to, within the meta region. A null region removes it.
int SelectClipRgn(const HDC& dc, const HRGN& region);
int ExtSelectClipRgn(const HDC& dc, const HRGN& region, int mode);
// Limits drawing to the rectangle (logical coordinates) within the current clipping.
int IntersectClipRect(const HDC& dc, int left, int top, int right, int bottom);
int ExcludeClipRect(const HDC& dc, int left, int top, int right, int bottom);
int OffsetClipRgn(const HDC& dc, int x, int y);
// Makes the current clipping the meta region, which later clipping stays within.
int SetMetaRgn(const HDC& dc);
void SelectClipRect(const HDC& dc, const std::optional<RECT>& deviceRect);
int GetClipBox(const HDC& dc, RECT* rect);

COLORREF GetPixel(const HDC& dc, int x, int y);
COLORREF SetPixel(const HDC& dc, int x, int y, COLORREF color);
// SetPixel without working out the colour that was stored.
bool SetPixelV(const HDC& dc, int x, int y, COLORREF color);

// Direct access to the rows that a context draws on, for per-pixel work on 24- and
// 32-bit surfaces. It describes the context as it was when taken; Current() says
// whether the context's bitmap, origin and clipping are still the same.
struct PixelWindow {
    uint8_t* corner = nullptr;       // where the top-left device pixel that drawing may touch is
    ptrdiff_t step = 0;              // from one row to the next below it
    int bytesPerPixel = 0;           // 3 or 4; 0 when the context's pixels are not reachable so
    POINT origin;                    // device position of logical (0, 0), less the corner's
    uint32_t width = 0, height = 0;  // how far drawing may reach from the corner
    const uint32_t* generationSource = &kNoContext;
    uint32_t generation = 1;

    bool Current() const { return *generationSource == generation; }
    // Where a logical point is stored when drawing may touch it, else null.
    uint8_t* At(int x, int y) const {
        const uint32_t dx = static_cast<uint32_t>(x + origin.x),
                       dy = static_cast<uint32_t>(y + origin.y);
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
                       const void* bits, size_t dataSize, const BITMAPINFO& info, uint32_t usage);
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

inline constexpr int PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4,
                     PS_NULL = 5, PS_INSIDEFRAME = 6, PS_USERSTYLE = 7, PS_ALTERNATE = 8,
                     PS_STYLE_MASK = 0xF;
inline constexpr int PS_ENDCAP_ROUND = 0, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200,
                     PS_ENDCAP_MASK = 0xF00, PS_JOIN_ROUND = 0, PS_JOIN_BEVEL = 0x1000,
                     PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000, PS_GEOMETRIC = 0x10000;
// Width 0 draws one pixel wide whatever the mapping; wider pens scale with it.
HPEN CreatePen(int style, int width, COLORREF color);
// A pen with end caps and joins; `dashes` are the on and off lengths of PS_USERSTYLE.
HPEN ExtCreatePen(int style, int width, COLORREF color, const std::vector<uint32_t>& dashes);
HBRUSH CreateSolidBrush(COLORREF color);
inline constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3,
                     HS_CROSS = 4, HS_DIAGCROSS = 5;
// Lines of the colour over the background colour (or nothing in transparent mode).
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
// A tile repeated from the brush origin; a monochrome tile takes the text (0) and
// background (1) colours of the context it draws on.
HBRUSH CreatePatternBrush(const HBITMAP& tile);
// A pattern brush from device-independent pixels (`size` bytes of them).
HBRUSH CreateDIBPatternBrush(const BITMAPINFO& info, const void* bits, size_t size);
inline constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3,
                     BLACK_BRUSH = 4, NULL_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
                     OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12,
                     SYSTEM_FONT = 13, DEVICE_DEFAULT_FONT = 14, DEFAULT_PALETTE = 15,
                     SYSTEM_FIXED_FONT = 16, DEFAULT_GUI_FONT = 17;
// The shared objects every context starts with; null for an unknown index.
HGDIOBJ GetStockObject(int index);
HBRUSH GetStockBrush(int index);
HPEN GetStockPen(int index);

inline constexpr uint8_t ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2;
struct LOGFONT {
    int32_t lfHeight = -11;    // < 0: character height; > 0: cell height; 0: a default
    int32_t lfWidth = 0;       // average character width, 0 for the face's own
    int32_t lfEscapement = 0;  // baseline angle, tenths of a degree counter-clockwise
    int32_t lfOrientation = 0;
    int32_t lfWeight = 400;
    bool lfItalic = false;
    bool lfUnderline = false;
    bool lfStrikeOut = false;
    uint8_t lfCharSet = DEFAULT_CHARSET;
    uint8_t lfPitchAndFamily = 0;
    std::string lfFaceName = "MS Sans Serif";
};
HFONT CreateFontIndirect(const LOGFONT& font);

int FillRect(const HDC& dc, const RECT& rect, const HBRUSH& brush);
bool MoveToEx(const HDC& dc, int x, int y, POINT* old);
bool GetCurrentPositionEx(const HDC& dc, POINT* point);
// Lines leave out their last pixel; shapes are filled with the brush and outlined
// with the pen, and while a path is open they add to the path instead.
bool LineTo(const HDC& dc, int x, int y);
bool Polyline(const HDC& dc, const POINT* points, int count);
bool PolylineTo(const HDC& dc, const POINT* points, int count);
bool PolyPolyline(const HDC& dc, const POINT* points, const uint32_t* counts, int polylines);
bool Polygon(const HDC& dc, const POINT* points, int count);
bool PolyPolygon(const HDC& dc, const POINT* points, const int* counts, int polygons);
// Cubic curves: a start point, then three points per curve.
bool PolyBezier(const HDC& dc, const POINT* points, int count);
bool PolyBezierTo(const HDC& dc, const POINT* points, int count);
inline constexpr uint8_t PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6;
bool PolyDraw(const HDC& dc, const POINT* points, const uint8_t* types, int count);
// Rectangles leave out their right and bottom edges.
bool Rectangle(const HDC& dc, int left, int top, int right, int bottom);
bool RoundRect(const HDC& dc, int left, int top, int right, int bottom, int width, int height);
bool Ellipse(const HDC& dc, int left, int top, int right, int bottom);
// Parts of the ellipse in the box, from where the radial through the first point
// meets it to where the radial through the second does, in the arc direction.
bool Arc(const HDC& dc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);
bool ArcTo(const HDC& dc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);
bool Chord(const HDC& dc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);
bool Pie(const HDC& dc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2);
// A line from the current position to the start of the arc, then the arc; angles in
// degrees counter-clockwise.
bool AngleArc(const HDC& dc, int x, int y, uint32_t radius, float start, float sweep);

// Paths: shapes drawn between BeginPath and EndPath make up the path, which is then
// filled, stroked or made the clipping (and is gone afterwards).
bool BeginPath(const HDC& dc);
bool EndPath(const HDC& dc);
bool AbortPath(const HDC& dc);
bool CloseFigure(const HDC& dc);
bool FillPath(const HDC& dc);
bool StrokePath(const HDC& dc);
bool StrokeAndFillPath(const HDC& dc);
bool FlattenPath(const HDC& dc);
// Replaces the path with the area that the pen would paint.
bool WidenPath(const HDC& dc);
bool SelectClipPath(const HDC& dc, int mode);

// ---------------------------------------------------------------------------
// Text, in the nearest installed face to the one the font asks for

inline constexpr int TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6,
                     TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24;
int SetTextAlign(const HDC& dc, int align);
int SetTextCharacterExtra(const HDC& dc, int extra);
inline constexpr uint32_t ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_GLYPH_INDEX = 0x10, ETO_PDY = 0x2000;
// `dx` (null or one per character, two with ETO_PDY) gives the advances in logical units.
bool ExtTextOutW(const HDC& dc, int x, int y, uint32_t options, const RECT* rect,
                 std::u16string_view text, const int* dx);
bool TextOutW(const HDC& dc, int x, int y, std::u16string_view text);
bool GetTextExtentPoint32W(const HDC& dc, std::u16string_view text, SIZE* size);

// ---------------------------------------------------------------------------
// Block transfers

inline constexpr uint32_t SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
                          SRCINVERT = 0x00660046, SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008,
                          NOTSRCERASE = 0x001100A6, MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226,
                          PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
                          DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;
constexpr uint32_t MAKEROP4(uint32_t fore, uint32_t back) {
    return ((back << 8) & 0xFF000000u) | fore;
}

bool BitBlt(const HDC& dst, int x, int y, int width, int height, const HDC& src, int sx, int sy,
            uint32_t rop);
bool StretchBlt(const HDC& dst, int x, int y, int width, int height, const HDC& src, int sx, int sy,
                int sw, int sh, uint32_t rop);
// Per pixel, mask bit 1 applies the foreground operation and 0 the background one
// (MAKEROP4). Without a mask only the foreground operation applies.
bool MaskBlt(const HDC& dst, int x, int y, int width, int height, const HDC& src, int sx, int sy,
             const HBITMAP& mask, int mx, int my, uint32_t rop4);
bool PatBlt(const HDC& dc, int x, int y, int width, int height, uint32_t rop);
// Draws device-independent pixels (`bits`, `size` bytes, described by `info`) into
// the logical rectangle; the source rectangle counts rows from the bottom of a
// bottom-up picture. Returns the rows drawn, 0 on failure.
int StretchDIBits(const HDC& dc, int x, int y, int width, int height, int sx, int sy, int sw,
                  int sh, const void* bits, size_t size, const BITMAPINFO& info, uint32_t usage,
                  uint32_t rop);

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
// Plays the metafile's records onto the context, its frame (for a Windows metafile,
// `frame`: the box of its placeable header) scaled to the destination rectangle.
// Records that break their own sizes stop playback there; what was drawn stays.
// The context's state is as before afterwards.
bool PlayEnhMetaFile(const HDC& dc, const HENHMETAFILE& metafile, const RECT& dest);
bool PlayWinMetaFile(const HDC& dc, const HENHMETAFILE& metafile, const RECT& frame,
                     const RECT& dest);

// ---------------------------------------------------------------------------
// Drawing with alpha: a 32-bit bitmap whose fourth byte is straight (not
// premultiplied) alpha, mixed into what the context holds, scaled to the rectangle
// as stretched transfers sample. The target's own fourth byte stays as it was.

bool DrawAlphaBitmap(const HDC& dc, int x, int y, int width, int height, const HBITMAP& source);

// ---------------------------------------------------------------------------
// Icons: one image of an icon file, either BMP-coded (a colour image followed by its
// AND mask, the header height counting both) or a whole PNG file.

HICON CreateIconFromResource(const uint8_t* data, size_t size);
bool DrawIconEx(const HDC& dc, int x, int y, const HICON& icon, int width, int height);
POINT GetIconSize(const HICON& icon);

}  // namespace vardel::gdi
