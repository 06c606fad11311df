// Inside the graphics layer: the objects behind the handles and the pixel primitives
// of every format. Only platform/gdi includes this header.
#pragma once

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Geometry.h"
#include "platform/gdi/Region.h"
#include "platform/runtime/ByteOrder.h"
#include "platform/runtime/MemoryBudget.h"

namespace vardel::gdi {

enum class PixelKind : uint8_t { Index1, Index4, Index8, Masked16, Bgr24, Bgrx32, Masked32 };

struct ChannelMask {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

// Zeroed pixel memory. It comes from calloc, so large bitmaps get pages that are
// zero already instead of being cleared byte by byte; stores from 2 to 64 MiB are
// mapped on their own, aligned so that the kernel can back them with huge pages.
class PixelStorage {
  public:
    bool Allocate(size_t bytes);
    uint8_t* data() const { return data_.get(); }
    size_t size() const { return size_; }

  private:
    struct Free {
        size_t mapped;  // the length mapped for huge pages; 0 for calloc's memory
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, Free> data_{nullptr, Free{0}};
    size_t size_ = 0;
};

struct BitmapObj : GdiObject {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    int stride = 0;           // bytes per stored row, a multiple of 4 (2 for DDBs of 1 bit)
    bool isSection = false;   // rows addressable by the program
    bool monochrome = false;  // device-dependent 1-bit bitmap: text/background conversions
    bool topDown = false;
    bool isStock = false;
    PixelKind kind = PixelKind::Bgrx32;
    TMemoryCharge charge;  // the pixels' share of the picture memory budget
    PixelStorage storage;
    uint8_t* top = nullptr;       // address of the top row
    ptrdiff_t step = 0;           // from one row to the row below it
    std::vector<RGBQUAD> colors;  // colour table of 8 bits or fewer
    std::array<uint32_t, 3> masks{};
    std::array<ChannelMask, 3> channels{};  // red, green, blue
    BITMAPINFOHEADER header{};              // sections: the description as created
    std::atomic<DCObj*> selectedIn{nullptr};
    // The last colour mapped to an index, so runs of one colour skip the search.
    mutable std::atomic<uint64_t> nearestCache{~0ull};

    uint8_t* Row(int y) const { return top + step * y; }
};

struct PaletteObj : GdiObject {
    std::vector<PALETTEENTRY> entries;
    bool isStock = false;
};

struct PenObj : GdiObject {
    int style = PS_SOLID;  // the style, end cap, join and type bits of ExtCreatePen
    int width = 1;         // logical units; 0 draws one pixel wide at any scale
    COLORREF color = 0;
    std::vector<double> dashes;  // PS_USERSTYLE: on and off lengths in logical units

    int Kind() const { return style & PS_STYLE_MASK; }
};

struct BrushObj : GdiObject {
    bool hollow = false;
    COLORREF color = 0xFFFFFF;
    int hatch = -1;            // HS_* for a hatched brush
    HBITMAP pattern;           // the tile of a pattern brush
    bool monoPattern = false;  // a 1-bit tile drawn in the text and background colours
};

struct FontObj : GdiObject {
    LOGFONT font;
};

struct RegionObj : GdiObject {
    std::shared_ptr<const Region> region = std::make_shared<Region>();
};

enum class DCKind { Screen, Memory, Window };

struct PathState;

// What SaveDC keeps and RestoreDC brings back.
struct DrawState {
    HPALETTE palette;
    HPEN pen;
    HBRUSH brush;
    HFONT font;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
    int rop2 = R2_COPYPEN;
    int polyFillMode = ALTERNATE;
    int arcDirection = AD_COUNTERCLOCKWISE;
    int textAlign = TA_LEFT | TA_TOP;
    int charExtra = 0;
    double miterLimit = 10;
    POINT brushOrg;
    POINT penPos;
    // Logical to device: the world transform, then the window to the viewport.
    int graphicsMode = GM_COMPATIBLE;
    int mapMode = MM_TEXT;
    Affine world;
    POINT windowOrg;
    SIZE windowExt{1, 1};
    POINT origin;  // viewport origin: device position of the window origin
    SIZE viewportExt{1, 1};
    // Clipping in device coordinates: the program's region and the meta region; none
    // stands for everything.
    std::shared_ptr<const Region> clipRegion;
    std::shared_ptr<const Region> metaRegion;
};

struct DCObj : GdiObject, DrawState {
    DCKind kind = DCKind::Memory;
    bool alive = true;
    HBITMAP bitmap;
    std::vector<DrawState> saved;
    // Placement of a metafile being played, applied after the viewport; and the
    // resolution that the fixed mapping modes measure against.
    Affine placement;
    double dpiX = 96, dpiY = 96;
    // Derived: logical to device in full, and whether it is more than the move by
    // `origin` that every plain caller relies on.
    Affine toDevice;
    bool mapped = false;
    // Derived: the bounds of the clipping (device coordinates) and the clipping itself
    // when it is not one rectangle.
    std::optional<RECT> clip;
    std::shared_ptr<const Region> complexClip;
    std::shared_ptr<PathState> path;
    // Counts changes of bitmap, mapping and clipping, so that a PixelWindow knows
    // when it no longer describes the context.
    uint32_t generation = 0;
};

struct MetafileObj : GdiObject {
    std::vector<uint8_t> emf;  // enhanced form, when loaded as such
    std::vector<uint8_t> wmf;  // Windows form, when loaded as such
};

struct IconObj : GdiObject {
    HBITMAP color;  // 32-bit section, top-down
    HBITMAP mask;   // AND mask, 1 = keep the target
    bool hasAlpha = false;
};

// ---------------------------------------------------------------------------
// Pixel primitives. A raw value is the pixel as stored (an index, or packed bits).

inline uint32_t ReadRaw(const BitmapObj& b, const uint8_t* row, int x) {
    switch (b.kind) {
        case PixelKind::Index1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case PixelKind::Index4:
            return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
        case PixelKind::Index8:
            return row[x];
        case PixelKind::Masked16:
            return LoadLe16(row + 2 * x);
        case PixelKind::Bgr24: {
            const uint8_t* p = row + 3 * x;
            return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
        }
        case PixelKind::Bgrx32:
        case PixelKind::Masked32: {
            uint32_t v;
            std::memcpy(&v, row + 4 * x, 4);
            return v;
        }
    }
    return 0;
}

inline void WriteRaw(const BitmapObj& b, uint8_t* row, int x, uint32_t v) {
    switch (b.kind) {
        case PixelKind::Index1: {
            const uint8_t bit = 0x80 >> (x & 7);
            row[x >> 3] = (v & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
            return;
        }
        case PixelKind::Index4: {
            uint8_t& p = row[x >> 1];
            p = (x & 1) ? ((p & 0xF0) | (v & 0xF)) : ((p & 0x0F) | ((v & 0xF) << 4));
            return;
        }
        case PixelKind::Index8:
            row[x] = static_cast<uint8_t>(v);
            return;
        case PixelKind::Masked16:
            StoreLe16(row + 2 * x, static_cast<uint16_t>(v));
            return;
        case PixelKind::Bgr24: {
            uint8_t* p = row + 3 * x;
            p[0] = static_cast<uint8_t>(v);
            p[1] = static_cast<uint8_t>(v >> 8);
            p[2] = static_cast<uint8_t>(v >> 16);
            return;
        }
        case PixelKind::Bgrx32:
        case PixelKind::Masked32:
            std::memcpy(row + 4 * x, &v, 4);
            return;
    }
}

inline uint8_t ExpandChannel(uint32_t raw, const ChannelMask& c) {
    if (c.bits == 0) return 0;
    const uint64_t v = (raw & c.mask) >> c.shift;
    if (c.bits == 8) return static_cast<uint8_t>(v);
    // Scaled to the nearest 8-bit level, so that the largest value gives 255.
    const uint64_t max = (uint64_t{1} << c.bits) - 1;
    return static_cast<uint8_t>((v * 255 + max / 2) / max);
}

inline uint32_t PackChannel(uint8_t value, const ChannelMask& c) {
    if (c.bits == 0) return 0;
    const uint32_t v = c.bits >= 8 ? uint32_t{value} << (c.bits - 8) : value >> (8 - c.bits);
    return (v << c.shift) & c.mask;
}

inline COLORREF TableColor(const BitmapObj& b, uint32_t index) {
    if (index >= b.colors.size()) return 0;  // an index beyond the table shows black
    const RGBQUAD& q = b.colors[index];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

inline COLORREF RawToColor(const BitmapObj& b, uint32_t raw) {
    switch (b.kind) {
        case PixelKind::Index1:
        case PixelKind::Index4:
        case PixelKind::Index8:
            return TableColor(b, raw);
        case PixelKind::Bgr24:
        case PixelKind::Bgrx32:
            return ((raw & 0xFF) << 16) | (raw & 0xFF00) | ((raw >> 16) & 0xFF);
        case PixelKind::Masked16:
        case PixelKind::Masked32:
            return RGB(ExpandChannel(raw, b.channels[0]), ExpandChannel(raw, b.channels[1]),
                       ExpandChannel(raw, b.channels[2]));
    }
    return 0;
}

uint32_t NearestIndex(const std::vector<RGBQUAD>& table, COLORREF color);
uint32_t NearestIndex(const std::vector<PALETTEENTRY>& table, COLORREF color);

inline uint32_t ColorToRaw(const BitmapObj& b, COLORREF c) {
    switch (b.kind) {
        case PixelKind::Index1:
        case PixelKind::Index4:
        case PixelKind::Index8: {
            const uint64_t cached = b.nearestCache.load(std::memory_order_relaxed);
            if ((cached >> 32) == c) return static_cast<uint32_t>(cached);
            const uint32_t index = NearestIndex(b.colors, c);
            b.nearestCache.store((uint64_t{c} << 32) | index, std::memory_order_relaxed);
            return index;
        }
        case PixelKind::Bgr24:
        case PixelKind::Bgrx32:
            return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
        case PixelKind::Masked16:
        case PixelKind::Masked32:
            return PackChannel(GetRValue(c), b.channels[0]) |
                   PackChannel(GetGValue(c), b.channels[1]) |
                   PackChannel(GetBValue(c), b.channels[2]);
    }
    return 0;
}

// Forgets cached lookups after the colour table changed.
inline void ColorTableChanged(BitmapObj& b) {
    b.nearestCache.store(~0ull);
}

// ---------------------------------------------------------------------------
// Shared helpers of the layer

void SetFailure(uint32_t code);
ChannelMask MakeChannel(uint32_t mask);
// A new bitmap with zeroed rows; null (and the last error set) when the size is bad
// or too large.
HBITMAP AllocateBitmap(int width, int height, int bitCount, bool topDown, bool isSection);
// Sets kind and channels from bitCount, compression and masks.
void SetPixelFormat(BitmapObj& b, bool bitfields, const std::array<uint32_t, 3>& masks);
// The device-dependent format of the context's device.
HBITMAP CreateDeviceBitmap(const HDC& dc, int width, int height);
const std::vector<PALETTEENTRY>& HalftoneEntries();
std::vector<RGBQUAD> ToQuads(const std::vector<PALETTEENTRY>& entries);
// Copies rows of `src` described by `info` into `dst`, converting colours (used by
// CreateDIBitmap and SetDIBits). `data` holds `dataSize` bytes.
void StoreDIBRows(BitmapObj& dst, const BITMAPINFO& info, const uint8_t* data, size_t dataSize);

// A bitmap holding device-independent pixels, when `size` bytes can hold them (null
// otherwise); a monochrome one keeps the bits to be drawn in text and background colours.
HBITMAP BitmapFromDIB(const BITMAPINFO& info, const void* bits, size_t size, bool monochrome);

// A live context, or null.
inline DCObj* LiveDC(const HDC& dc) {
    return dc && dc->alive ? dc.get() : nullptr;
}
// Recomputes the derived mapping after a change of transform, window or viewport.
void MappingChanged(DCObj& dc);
// Recomputes the derived clipping after a change of either region.
void ClipChanged(DCObj& dc);
// The device rectangle that drawing may touch: bitmap bounds within the clip bounds.
RECT DrawableBounds(const DCObj& dc);
// Resolves palette-relative colours against the selected palette.
COLORREF ResolveColor(const DCObj& dc, COLORREF color);

}  // namespace vardel::gdi
