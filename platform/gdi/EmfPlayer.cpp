// Playback of enhanced metafiles: each record becomes the call it stands for, with
// the picture's frame placed on the destination rectangle.
#include <algorithm>
#include <cmath>

#include "platform/gdi/MetaRecords.h"

namespace vardel::gdi {

namespace {
enum : uint32_t {
    kHeader = 1,
    kPolyBezier = 2,
    kPolygon = 3,
    kPolyline = 4,
    kPolyBezierTo = 5,
    kPolylineTo = 6,
    kPolyPolyline = 7,
    kPolyPolygon = 8,
    kSetWindowExt = 9,
    kSetWindowOrg = 10,
    kSetViewportExt = 11,
    kSetViewportOrg = 12,
    kSetBrushOrg = 13,
    kEof = 14,
    kSetPixel = 15,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetPolyFillMode = 19,
    kSetRop2 = 20,
    kSetStretchBltMode = 21,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kSetBkColor = 25,
    kOffsetClipRgn = 26,
    kMoveTo = 27,
    kSetMetaRgn = 28,
    kExcludeClipRect = 29,
    kIntersectClipRect = 30,
    kScaleViewportExt = 31,
    kScaleWindowExt = 32,
    kSaveDC = 33,
    kRestoreDC = 34,
    kSetWorldTransform = 35,
    kModifyWorldTransform = 36,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrush = 39,
    kDeleteObject = 40,
    kAngleArc = 41,
    kEllipse = 42,
    kRectangle = 43,
    kRoundRect = 44,
    kArc = 45,
    kChord = 46,
    kPie = 47,
    kSelectPalette = 48,
    kCreatePalette = 49,
    kSetPaletteEntries = 50,
    kRealizePalette = 52,
    kLineTo = 54,
    kArcTo = 55,
    kPolyDraw = 56,
    kSetArcDirection = 57,
    kSetMiterLimit = 58,
    kBeginPath = 59,
    kEndPath = 60,
    kCloseFigure = 61,
    kFillPath = 62,
    kStrokeAndFillPath = 63,
    kStrokePath = 64,
    kFlattenPath = 65,
    kWidenPath = 66,
    kSelectClipPath = 67,
    kAbortPath = 68,
    kFillRgn = 71,
    kFrameRgn = 72,
    kInvertRgn = 73,
    kPaintRgn = 74,
    kExtSelectClipRgn = 75,
    kBitBlt = 76,
    kStretchBlt = 77,
    kMaskBlt = 78,
    kSetDIBitsToDevice = 80,
    kStretchDIBits = 81,
    kCreateFont = 82,
    kExtTextOutA = 83,
    kExtTextOutW = 84,
    kPolyBezier16 = 85,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolyBezierTo16 = 88,
    kPolylineTo16 = 89,
    kPolyPolyline16 = 90,
    kPolyPolygon16 = 91,
    kPolyDraw16 = 92,
    kCreateMonoBrush = 93,
    kCreateDibPatternBrush = 94,
    kExtCreatePen = 95,
    kSmallTextOut = 108,
    kGradientFill = 118,
};
constexpr uint32_t kStockFlag = 0x80000000;
constexpr int kModifySet = 4;  // MWT_SET of enhanced metafiles
constexpr size_t kHeaderBytes = 88;

class EmfPlayer {
  public:
    EmfPlayer(const HDC& dc, size_t handles) : dc_(dc), objects_(std::max<size_t>(handles, 1)) {}

    void Play(const RecordReader& r, uint32_t type);
    int baseLevel = 0;

  private:
    POINT Point(const RecordReader& r, size_t at) const { return {r.I32(at), r.I32(at + 4)}; }
    RECT Rect(const RecordReader& r, size_t at) const {
        return {r.I32(at), r.I32(at + 4), r.I32(at + 8), r.I32(at + 12)};
    }
    // `count` points of 32 or 16 bits each from `at`.
    std::vector<POINT> Points(const RecordReader& r, uint64_t count, size_t at, bool small) const {
        const size_t n = r.Count(count, at, small ? 4 : 8);
        std::vector<POINT> p(n);
        for (size_t i = 0; i < n; ++i)
            p[i] = small ? POINT{r.I16(at + 4 * i), r.I16(at + 4 * i + 2)} : Point(r, at + 8 * i);
        return p;
    }
    void Poly(const RecordReader& r, uint32_t type, bool small);
    void PolyPoly(const RecordReader& r, bool polygon, bool small);
    void PolyDrawRecord(const RecordReader& r, bool small);
    HRGN RegionData(const RecordReader& r, size_t at, uint64_t bytes) const;
    bool Dib(const RecordReader& r, size_t offBmi, size_t offBits, RecordDib& out) const;
    // The same, when its pixels are all there (BadRecord otherwise).
    bool WholeDib(const RecordReader& r, size_t offBmi, size_t offBits, RecordDib& out) const;
    void Blit(const RecordReader& r, uint32_t type);
    void DibRecord(const RecordReader& r, uint32_t type);
    void Text(const RecordReader& r, uint32_t type);
    void CreateObject(const RecordReader& r, uint32_t type);
    void Gradient(const RecordReader& r);
    HGDIOBJ Object(uint32_t index) const {
        return (index & kStockFlag) ? GetStockObject(static_cast<int>(index & ~kStockFlag))
                                    : objects_.Get(index);
    }

    const HDC& dc_;
    ObjectTable objects_;
};

void EmfPlayer::Poly(const RecordReader& r, uint32_t type, bool small) {
    const std::vector<POINT> p = Points(r, r.U32(24), 28, small);
    const int n = static_cast<int>(p.size());
    switch (type) {
        case kPolyBezier:
            PolyBezier(dc_, p.data(), n);
            break;
        case kPolygon:
            Polygon(dc_, p.data(), n);
            break;
        case kPolyline:
            Polyline(dc_, p.data(), n);
            break;
        case kPolyBezierTo:
            PolyBezierTo(dc_, p.data(), n);
            break;
        case kPolylineTo:
            PolylineTo(dc_, p.data(), n);
            break;
    }
}

void EmfPlayer::PolyPoly(const RecordReader& r, bool polygon, bool small) {
    const size_t shapes = r.Count(r.U32(24), 32, 4);
    const uint64_t total = r.U32(28);
    std::vector<int> counts(shapes);
    uint64_t sum = 0;
    for (size_t i = 0; i < shapes; ++i)
        sum += counts[i] = static_cast<int>(std::min<uint32_t>(r.U32(32 + 4 * i), 1u << 30));
    // The counts must add up to the points the record holds.
    if (sum != total) throw BadRecord{};
    const std::vector<POINT> p = Points(r, total, 32 + 4 * shapes, small);
    if (polygon) {
        PolyPolygon(dc_, p.data(), counts.data(), static_cast<int>(shapes));
    } else {
        std::vector<uint32_t> u(counts.begin(), counts.end());
        PolyPolyline(dc_, p.data(), u.data(), static_cast<int>(shapes));
    }
}

void EmfPlayer::PolyDrawRecord(const RecordReader& r, bool small) {
    const std::vector<POINT> p = Points(r, r.U32(24), 28, small);
    const uint8_t* types = r.Bytes(28 + p.size() * (small ? 4 : 8), p.size());
    PolyDraw(dc_, p.data(), types, static_cast<int>(p.size()));
}

HRGN EmfPlayer::RegionData(const RecordReader& r, size_t at, uint64_t bytes) const {
    const RecordReader data = r.Sub(at, r.Count(bytes, at, 1));
    // The header: its size, type, rectangle count, buffer size and bounds.
    const size_t headerSize = data.U32(0);
    const size_t n = data.Count(data.U32(8), headerSize, 16);
    std::vector<RECT> rects(n);
    for (size_t i = 0; i < n; ++i) rects[i] = Rect(data, headerSize + 16 * i);
    return ExtCreateRegion(nullptr, rects);
}

bool EmfPlayer::Dib(const RecordReader& r, size_t offBmi, size_t offBits, RecordDib& out) const {
    const uint32_t bmi = r.U32(offBmi), cbBmi = r.U32(offBmi + 4);
    const uint32_t bits = r.U32(offBits), cbBits = r.U32(offBits + 4);
    if (cbBmi == 0) return false;
    const RecordReader header = r.Sub(bmi, cbBmi);
    return ReadDib(header, r.Bytes(bits, cbBits), cbBits, out);
}

bool EmfPlayer::WholeDib(const RecordReader& r, size_t offBmi, size_t offBits,
                         RecordDib& out) const {
    if (!Dib(r, offBmi, offBits, out)) return false;
    RequireWholeDib(out);
    return true;
}

// Transfers whose source is a bitmap in the record, or none (a pattern fill).
void EmfPlayer::Blit(const RecordReader& r, uint32_t type) {
    const RECT dst{r.I32(24), r.I32(28), r.I32(32), r.I32(36)};  // x, y, cx, cy
    const uint32_t rop = r.U32(40);
    const int sx = r.I32(44), sy = r.I32(48);
    int sw = dst.right, sh = dst.bottom;
    if (type == kStretchBlt) sw = r.I32(100), sh = r.I32(104);
    RecordDib dib;
    if (!WholeDib(r, 84, 92, dib)) {
        PatBlt(dc_, dst.left, dst.top, dst.right, dst.bottom, rop);
        return;
    }
    HBITMAP source = BitmapFromDIB(dib.info, dib.bits, dib.size, false);
    if (!source) return;
    HDC memory = CreateCompatibleDC(nullptr);
    SelectObject(memory, source);
    if (type == kMaskBlt) {
        RecordDib maskDib;
        HBITMAP mask;
        if (WholeDib(r, 112, 120, maskDib))
            mask = BitmapFromDIB(maskDib.info, maskDib.bits, maskDib.size, true);
        MaskBlt(dc_, dst.left, dst.top, dst.right, dst.bottom, memory, sx, sy, mask, r.I32(100),
                r.I32(104), rop);
    } else {
        StretchBlt(dc_, dst.left, dst.top, dst.right, dst.bottom, memory, sx, sy, sw, sh, rop);
    }
    DeleteDC(memory);
}

void EmfPlayer::DibRecord(const RecordReader& r, uint32_t type) {
    RecordDib dib;
    if (!Dib(r, 48, 56, dib)) return;
    const int x = r.I32(24), y = r.I32(28), sx = r.I32(32), sy = r.I32(36);
    const int sw = r.I32(40), sh = r.I32(44);
    if (type == kStretchDIBits) {
        RequireWholeDib(dib);
        StretchDIBits(dc_, x, y, r.I32(72), r.I32(76), sx, sy, sw, sh, dib.bits, dib.size, dib.info,
                      DIB_RGB_COLORS, r.U32(68));
        return;
    }
    // Only the scan lines from the first one given are in the record.
    const uint32_t first = r.U32(68), scans = r.U32(72);
    if (scans == 0 || scans > static_cast<uint32_t>(std::abs(dib.info.bmiHeader.biHeight))) return;
    dib.info.bmiHeader.biHeight = dib.info.bmiHeader.biHeight < 0 ? -static_cast<int32_t>(scans)
                                                                  : static_cast<int32_t>(scans);
    RequireWholeDib(dib);
    StretchDIBits(dc_, x, y, sw, sh, sx, sy - static_cast<int>(first), sw, sh, dib.bits, dib.size,
                  dib.info, DIB_RGB_COLORS, SRCCOPY);
}

void EmfPlayer::Text(const RecordReader& r, uint32_t type) {
    if (type == kSmallTextOut) {
        constexpr uint32_t kNoRect = 0x100, kSmallChars = 0x200;
        const int x = r.I32(8), y = r.I32(12);
        const uint32_t chars = r.U32(16), options = r.U32(20);
        const bool hasRect = !(options & kNoRect);
        RECT rect{};
        if (hasRect) rect = Rect(r, 36);
        const size_t at = hasRect ? 52 : 36;
        std::u16string text;
        if (options & kSmallChars) {
            const size_t n = r.Count(chars, at, 1);
            text = DecodeAnsi(r.Bytes(at, n), n, ANSI_CHARSET);
        } else {
            const size_t n = r.Count(chars, at, 2);
            for (size_t i = 0; i < n; ++i) text.push_back(r.U16(at + 2 * i));
        }
        ExtTextOutW(dc_, x, y, options & (ETO_OPAQUE | ETO_CLIPPED | ETO_GLYPH_INDEX),
                    hasRect ? &rect : nullptr, text, nullptr);
        return;
    }
    const POINT at = Point(r, 36);
    const uint32_t chars = r.U32(44), offString = r.U32(48), options = r.U32(52);
    const RECT rect = Rect(r, 56);
    const uint32_t offDx = r.U32(72);
    std::u16string text;
    if (type == kExtTextOutW) {
        const size_t n = r.Count(chars, offString, 2);
        for (size_t i = 0; i < n; ++i) text.push_back(r.U16(offString + 2 * i));
    } else {
        const size_t n = r.Count(chars, offString, 1);
        text = DecodeAnsi(r.Bytes(offString, n), n, ANSI_CHARSET);
    }
    std::vector<int> dx;
    const size_t perChar = (options & ETO_PDY) ? 2 : 1;
    if (offDx != 0 && r.Has(offDx, uint64_t{chars} * perChar * 4)) {
        dx.resize(chars * perChar);
        for (size_t i = 0; i < dx.size(); ++i) dx[i] = r.I32(offDx + 4 * i);
    }
    ExtTextOutW(dc_, at.x, at.y, options, &rect, text, dx.empty() ? nullptr : dx.data());
}

void EmfPlayer::CreateObject(const RecordReader& r, uint32_t type) {
    const uint32_t index = r.U32(8);
    HGDIOBJ made;
    switch (type) {
        case kCreatePen:
            made = LogicalPen(r.U32(12), r.I32(16), r.U32(24));
            break;
        case kExtCreatePen: {
            const uint32_t style = r.U32(28), brushStyle = r.U32(36);
            const size_t n = r.Count(r.U32(48), 52, 4);
            std::vector<uint32_t> dashes(n);
            for (size_t i = 0; i < n; ++i) dashes[i] = r.U32(52 + 4 * i);
            // A hollow brush makes an invisible pen.
            made = ExtCreatePen(brushStyle == 1 ? PS_NULL : static_cast<int>(style), r.I32(32),
                                r.U32(40), dashes);
            break;
        }
        case kCreateBrush: {
            const uint32_t style = r.U32(12);
            const COLORREF color = r.U32(16);
            if (style == 1)
                made = GetStockObject(NULL_BRUSH);
            else if (style == 2)
                made = CreateHatchBrush(static_cast<int>(r.U32(20)), color);
            else
                made = CreateSolidBrush(color);
            if (!made) made = CreateSolidBrush(color);
            break;
        }
        case kCreateMonoBrush:
        case kCreateDibPatternBrush: {
            RecordDib dib;
            if (!WholeDib(r, 16, 24, dib)) return;
            HBITMAP tile = BitmapFromDIB(dib.info, dib.bits, dib.size, type == kCreateMonoBrush);
            if (tile) made = CreatePatternBrush(tile);
            break;
        }
        case kCreateFont: {
            LOGFONT f;
            f.lfHeight = r.I32(12);
            f.lfWidth = r.I32(16);
            f.lfEscapement = r.I32(20);
            f.lfOrientation = r.I32(24);
            f.lfWeight = r.I32(28);
            f.lfItalic = r.U8(32);
            f.lfUnderline = r.U8(33);
            f.lfStrikeOut = r.U8(34);
            f.lfCharSet = r.U8(35);
            f.lfPitchAndFamily = r.U8(39);
            f.lfFaceName.clear();
            for (size_t i = 0; i < 32 && r.Has(40 + 2 * i, 2); ++i) {
                const char16_t c = r.U16(40 + 2 * i);
                if (c == 0) break;
                // Face names are matched by their Latin letters.
                f.lfFaceName.push_back(c < 0x80 ? static_cast<char>(c) : '?');
            }
            made = CreateFontIndirect(f);
            break;
        }
        case kCreatePalette: {
            const size_t n = r.Count(r.U16(14), 16, 4);
            LOGPALETTE p;
            for (size_t i = 0; i < n; ++i) {
                const uint8_t* e = r.Bytes(16 + 4 * i, 4);
                p.palPalEntry.push_back({e[0], e[1], e[2], e[3]});
            }
            made = CreatePalette(p);
            break;
        }
    }
    // Index 0 stands for the metafile itself.
    if (made && index != 0) objects_.Put(index, made);
}

void EmfPlayer::Gradient(const RecordReader& r) {
    const size_t vertices = r.Count(r.U32(24), 36, 16);
    const uint32_t mode = r.U32(32);
    if (mode > 1) return;  // triangles are left out
    const size_t at = 36 + 16 * vertices;
    const size_t rects = r.Count(r.U32(28), at, 8);
    auto vertex = [&](uint32_t i) {
        if (i >= vertices) throw BadRecord{};
        const size_t v = 36 + 16 * size_t{i};
        return std::array<double, 5>{double(r.I32(v)), double(r.I32(v + 4)), r.U16(v + 8) / 256.0,
                                     r.U16(v + 10) / 256.0, r.U16(v + 12) / 256.0};
    };
    // However many rectangles, one record paints at most 65536 bands.
    const double bandsEach = std::max(1.0, 65536.0 / std::max<size_t>(rects, 1));
    for (size_t k = 0; k < rects; ++k) {
        const auto a = vertex(r.U32(at + 8 * k)), b = vertex(r.U32(at + 8 * k + 4));
        // Bands one device pixel wide, each in the colour at its middle.
        const bool across = mode == 0;
        const double from = across ? a[0] : a[1], to = across ? b[0] : b[1];
        const PointD scale = LiveDC(dc_)->toDevice.ApplyLinear({1, 1});
        const double step = 1 / std::max(std::fabs(across ? scale.x : scale.y), 1e-6);
        const int bands = static_cast<int>(
            std::clamp(std::fabs(to - from) / step, 1.0, std::min(4096.0, bandsEach)));
        for (int i = 0; i < bands; ++i) {
            const double t = (i + 0.5) / bands;
            auto mix = [t](double p, double q) {
                return static_cast<uint8_t>(std::clamp(p + (q - p) * t, 0.0, 255.0));
            };
            HBRUSH brush = CreateSolidBrush(RGB(mix(a[2], b[2]), mix(a[3], b[3]), mix(a[4], b[4])));
            const double s0 = from + (to - from) * i / bands,
                         s1 = from + (to - from) * (i + 1) / bands;
            const int lo = static_cast<int>(std::floor(std::min(s0, s1))),
                      hi = static_cast<int>(std::ceil(std::max(s0, s1)));
            const RECT band =
                across ? RECT{lo, int(std::min(a[1], b[1])), hi, int(std::max(a[1], b[1]))}
                       : RECT{int(std::min(a[0], b[0])), lo, int(std::max(a[0], b[0])), hi};
            FillRect(dc_, band, brush);
        }
    }
}

void EmfPlayer::Play(const RecordReader& r, uint32_t type) {
    switch (type) {
        case kPolyBezier:
        case kPolygon:
        case kPolyline:
        case kPolyBezierTo:
        case kPolylineTo:
            Poly(r, type, false);
            break;
        case kPolyBezier16:
        case kPolygon16:
        case kPolyline16:
        case kPolyBezierTo16:
        case kPolylineTo16:
            Poly(r, type - (kPolyBezier16 - kPolyBezier), true);
            break;
        case kPolyPolyline:
        case kPolyPolygon:
            PolyPoly(r, type == kPolyPolygon, false);
            break;
        case kPolyPolyline16:
        case kPolyPolygon16:
            PolyPoly(r, type == kPolyPolygon16, true);
            break;
        case kPolyDraw:
            PolyDrawRecord(r, false);
            break;
        case kPolyDraw16:
            PolyDrawRecord(r, true);
            break;
        case kSetWindowExt:
            SetWindowExtEx(dc_, r.I32(8), r.I32(12), nullptr);
            break;
        case kSetWindowOrg:
            SetWindowOrgEx(dc_, r.I32(8), r.I32(12), nullptr);
            break;
        case kSetViewportExt:
            SetViewportExtEx(dc_, r.I32(8), r.I32(12), nullptr);
            break;
        case kSetViewportOrg:
            SetViewportOrgEx(dc_, r.I32(8), r.I32(12), nullptr);
            break;
        case kSetBrushOrg:
            SetBrushOrgEx(dc_, r.I32(8), r.I32(12), nullptr);
            break;
        case kSetPixel:
            SetPixelV(dc_, r.I32(8), r.I32(12), ResolveColor(*LiveDC(dc_), r.U32(16)));
            break;
        case kSetMapMode:
            SetMapMode(dc_, r.I32(8));
            break;
        case kSetBkMode:
            SetBkMode(dc_, r.I32(8));
            break;
        case kSetPolyFillMode:
            SetPolyFillMode(dc_, r.I32(8));
            break;
        case kSetRop2:
            SetROP2(dc_, r.I32(8));
            break;
        case kSetStretchBltMode:
            SetStretchBltMode(dc_, r.I32(8));
            break;
        case kSetTextAlign:
            SetTextAlign(dc_, r.I32(8));
            break;
        case kSetTextColor:
            SetTextColor(dc_, r.U32(8));
            break;
        case kSetBkColor:
            SetBkColor(dc_, r.U32(8));
            break;
        case kOffsetClipRgn:
            OffsetClipRgn(dc_, r.I32(8), r.I32(12));
            break;
        case kMoveTo:
            MoveToEx(dc_, r.I32(8), r.I32(12), nullptr);
            break;
        case kSetMetaRgn:
            SetMetaRgn(dc_);
            break;
        case kExcludeClipRect: {
            const RECT c = Rect(r, 8);
            ExcludeClipRect(dc_, c.left, c.top, c.right, c.bottom);
            break;
        }
        case kIntersectClipRect: {
            const RECT c = Rect(r, 8);
            IntersectClipRect(dc_, c.left, c.top, c.right, c.bottom);
            break;
        }
        case kScaleViewportExt:
            ScaleViewportExtEx(dc_, r.I32(8), r.I32(12), r.I32(16), r.I32(20), nullptr);
            break;
        case kScaleWindowExt:
            ScaleWindowExtEx(dc_, r.I32(8), r.I32(12), r.I32(16), r.I32(20), nullptr);
            break;
        case kSaveDC:
            SaveDC(dc_);
            break;
        case kRestoreDC: {
            // Never back past the state the playback started from.
            const int depth = static_cast<int>(LiveDC(dc_)->saved.size());
            const int wanted = r.I32(8),
                      level = wanted < 0 ? depth + wanted + 1 : wanted + baseLevel;
            if (level > baseLevel && level <= depth) RestoreDC(dc_, level);
            break;
        }
        case kSetWorldTransform:
        case kModifyWorldTransform: {
            const XFORM x{r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28)};
            const int mode = type == kSetWorldTransform ? kModifySet : r.I32(32);
            if (mode == kModifySet)
                SetWorldTransform(dc_, x);
            else
                ModifyWorldTransform(dc_, &x, mode);
            break;
        }
        case kSelectObject:
            SelectObject(dc_, Object(r.U32(8)));
            break;
        case kDeleteObject:
            // Objects live while anything holds them: a selected one stays in use.
            objects_.Remove(r.U32(8));
            break;
        case kCreatePen:
        case kExtCreatePen:
        case kCreateBrush:
        case kCreateMonoBrush:
        case kCreateDibPatternBrush:
        case kCreateFont:
        case kCreatePalette:
            CreateObject(r, type);
            break;
        case kAngleArc:
            AngleArc(dc_, r.I32(8), r.I32(12), r.U32(16), r.F32(20), r.F32(24));
            break;
        case kEllipse:
        case kRectangle: {
            const RECT b = Rect(r, 8);
            (type == kEllipse ? Ellipse : Rectangle)(dc_, b.left, b.top, b.right, b.bottom);
            break;
        }
        case kRoundRect: {
            const RECT b = Rect(r, 8);
            RoundRect(dc_, b.left, b.top, b.right, b.bottom, r.I32(24), r.I32(28));
            break;
        }
        case kArc:
        case kChord:
        case kPie:
        case kArcTo: {
            const RECT b = Rect(r, 8);
            const POINT s = Point(r, 24), e = Point(r, 32);
            auto call = type == kArc ? Arc : type == kChord ? Chord : type == kPie ? Pie : ArcTo;
            call(dc_, b.left, b.top, b.right, b.bottom, s.x, s.y, e.x, e.y);
            break;
        }
        case kSelectPalette:
            if (auto p = std::dynamic_pointer_cast<PaletteObj>(Object(r.U32(8))))
                SelectPalette(dc_, p, false);
            break;
        case kSetPaletteEntries:
            if (auto p = std::dynamic_pointer_cast<PaletteObj>(objects_.Get(r.U32(8)))) {
                const uint32_t start = r.U32(12);
                const size_t n = r.Count(r.U32(16), 20, 4);
                for (size_t i = 0; i < n && start + i < p->entries.size(); ++i) {
                    const uint8_t* e = r.Bytes(20 + 4 * i, 4);
                    p->entries[start + i] = {e[0], e[1], e[2], e[3]};
                }
            }
            break;
        case kRealizePalette:
            RealizePalette(dc_);
            break;
        case kLineTo:
            LineTo(dc_, r.I32(8), r.I32(12));
            break;
        case kSetArcDirection:
            SetArcDirection(dc_, r.I32(8));
            break;
        case kSetMiterLimit:
            SetMiterLimit(dc_, static_cast<float>(r.U32(8)), nullptr);
            break;
        case kBeginPath:
            BeginPath(dc_);
            break;
        case kEndPath:
            EndPath(dc_);
            break;
        case kCloseFigure:
            CloseFigure(dc_);
            break;
        case kFillPath:
            FillPath(dc_);
            break;
        case kStrokeAndFillPath:
            StrokeAndFillPath(dc_);
            break;
        case kStrokePath:
            StrokePath(dc_);
            break;
        case kFlattenPath:
            FlattenPath(dc_);
            break;
        case kWidenPath:
            WidenPath(dc_);
            break;
        case kSelectClipPath:
            SelectClipPath(dc_, r.I32(8));
            break;
        case kAbortPath:
            AbortPath(dc_);
            break;
        case kFillRgn:
            if (auto brush = std::dynamic_pointer_cast<BrushObj>(Object(r.U32(28))))
                FillRgn(dc_, RegionData(r, 32, r.U32(24)), brush);
            break;
        case kFrameRgn:
            if (auto brush = std::dynamic_pointer_cast<BrushObj>(Object(r.U32(28))))
                FrameRgn(dc_, RegionData(r, 40, r.U32(24)), brush, r.I32(32), r.I32(36));
            break;
        case kInvertRgn:
            InvertRgn(dc_, RegionData(r, 28, r.U32(24)));
            break;
        case kPaintRgn:
            PaintRgn(dc_, RegionData(r, 28, r.U32(24)));
            break;
        case kExtSelectClipRgn: {
            const int mode = r.I32(12);
            if (r.U32(8) == 0) {
                ExtSelectClipRgn(dc_, nullptr, mode);
                break;
            }
            // Region data is in device units of the picture: placed like everything else.
            HRGN region = RegionData(r, 16, r.U32(8));
            const Affine& place = LiveDC(dc_)->placement;
            std::vector<RECT> rects = region->region->Rects();
            const XFORM x{float(place.m11), float(place.m12), float(place.m21),
                          float(place.m22), float(place.dx),  float(place.dy)};
            ExtSelectClipRgn(dc_, ExtCreateRegion(&x, rects), mode);
            break;
        }
        case kBitBlt:
        case kStretchBlt:
        case kMaskBlt:
            Blit(r, type);
            break;
        case kSetDIBitsToDevice:
        case kStretchDIBits:
            DibRecord(r, type);
            break;
        case kExtTextOutA:
        case kExtTextOutW:
        case kSmallTextOut:
            Text(r, type);
            break;
        case kGradientFill:
            Gradient(r);
            break;
        default:
            break;  // comments, colour management and what this layer does not draw
    }
}
}  // namespace

bool PlayEnhMetaFile(const HDC& dc, const HENHMETAFILE& metafile, const RECT& dest) {
    if (!LiveDC(dc) || !metafile || metafile->emf.size() < kHeaderBytes) return false;
    const std::vector<uint8_t>& bytes = metafile->emf;
    const RecordReader header(bytes.data(), bytes.size());
    const RECT bounds{header.I32(8), header.I32(12), header.I32(16), header.I32(20)};
    const RECT frame{header.I32(24), header.I32(28), header.I32(32), header.I32(36)};
    const double devX = header.I32(72), devY = header.I32(76);
    const double mmX = header.I32(80), mmY = header.I32(84);
    // The reference device's pixels per inch, and the frame measured in them.
    const double dpiX = devX > 0 && mmX > 0 ? devX / mmX * 25.4 : 96;
    const double dpiY = devY > 0 && mmY > 0 ? devY / mmY * 25.4 : 96;
    double x0 = frame.left * dpiX / 2540, y0 = frame.top * dpiY / 2540;
    double x1 = frame.right * dpiX / 2540, y1 = frame.bottom * dpiY / 2540;
    if (!(x1 > x0 && y1 > y0)) {
        x0 = bounds.left, y0 = bounds.top, x1 = bounds.right + 1.0, y1 = bounds.bottom + 1.0;
        if (!(x1 > x0 && y1 > y0)) return false;
    }
    PlaybackScope scope(dc, dest);
    DCObj& d = *LiveDC(dc);
    const double sx = (dest.right - dest.left) / (x1 - x0),
                 sy = (dest.bottom - dest.top) / (y1 - y0);
    d.placement =
        Affine{sx, 0, 0, sy, dest.left - x0 * sx, dest.top - y0 * sy}.Then(scope.CallerMapping());
    d.dpiX = dpiX;
    d.dpiY = dpiY;
    MappingChanged(d);
    EmfPlayer player(dc, header.U16(56));
    player.baseLevel = scope.BaseLevel();
    size_t at = header.U32(4);  // past the header record
    while (at + 8 <= bytes.size()) {
        const uint32_t type = LoadLe32(&bytes[at]), size = LoadLe32(&bytes[at + 4]);
        // A record must be whole, aligned and inside the file; one that is not ends playback.
        if (size < 8 || size % 4 != 0 || size > bytes.size() - at) break;
        if (type == kEof) break;
        try {
            player.Play(RecordReader(&bytes[at], size), type);
        } catch (const BadRecord&) {
            break;
        }
        at += size;
    }
    return true;
}

}  // namespace vardel::gdi
