// Playback of Windows metafiles: the placeable header's box is the window that the
// destination rectangle shows, and each record becomes the call it stands for.
// Parameters of most records are stored last one first.
#include <algorithm>

#include "platform/gdi/MetaRecords.h"

namespace vardel::gdi {

namespace {
enum : uint16_t {
    kEof = 0x0000,
    kRealizePalette = 0x0035,
    kSetPalEntries = 0x0037,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetRop2 = 0x0104,
    kSetPolyFillMode = 0x0106,
    kSetStretchBltMode = 0x0107,
    kSetTextCharExtra = 0x0108,
    kRestoreDC = 0x0127,
    kInvertRegion = 0x012A,
    kPaintRegion = 0x012B,
    kSelectClipRegion = 0x012C,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDibCreatePatternBrush = 0x0142,
    kDeleteObject = 0x01F0,
    kCreatePatternBrush = 0x01F9,
    kSetBkColor = 0x0201,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kOffsetWindowOrg = 0x020F,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kOffsetClipRgn = 0x0220,
    kFillRegion = 0x0228,
    kSelectPalette = 0x0234,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kCreatePalette = 0x00F7,
    kSaveDC = 0x001E,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kScaleWindowExt = 0x0410,
    kExcludeClipRect = 0x0415,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kSetPixel = 0x041F,
    kFrameRegion = 0x0429,
    kTextOut = 0x0521,
    kPolyPolygon = 0x0538,
    kRoundRect = 0x061C,
    kPatBlt = 0x061D,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kDibBitBlt = 0x0940,
    kExtTextOut = 0x0A32,
    kDibStretchBlt = 0x0B41,
    kSetDibToDev = 0x0D33,
    kStretchDib = 0x0F43,
    kCreateRegion = 0x06FF,
};
constexpr size_t kHeaderBytes = 18;

class WmfPlayer {
  public:
    WmfPlayer(const HDC& dc, size_t objects) : dc_(dc), objects_(objects) {}
    void Play(const RecordReader& r, uint16_t function);
    int baseLevel = 0;

  private:
    // The i-th 16-bit parameter.
    int P(const RecordReader& r, size_t i) const { return r.I16(6 + 2 * i); }
    std::vector<POINT> Points(const RecordReader& r, uint64_t count, size_t at) const {
        const size_t n = r.Count(count, at, 4);
        std::vector<POINT> p(n);
        for (size_t i = 0; i < n; ++i) p[i] = {r.I16(at + 4 * i), r.I16(at + 4 * i + 2)};
        return p;
    }
    void Create(HGDIOBJ object) {
        // Every creation takes the lowest free slot, also one that could not be made.
        const size_t slot = objects_.FirstFree();
        objects_.Put(slot, object ? object : GetStockObject(NULL_BRUSH));
    }
    HRGN Region(size_t index) const {
        return std::dynamic_pointer_cast<RegionObj>(objects_.Get(index));
    }
    HBRUSH Brush(size_t index) const {
        return std::dynamic_pointer_cast<BrushObj>(objects_.Get(index));
    }
    void CreateFont(const RecordReader& r);
    void CreateRegion(const RecordReader& r);
    void Dib(const RecordReader& r, uint16_t function);
    void Text(const RecordReader& r, uint16_t function);

    const HDC& dc_;
    ObjectTable objects_;
};

void WmfPlayer::CreateFont(const RecordReader& r) {
    LOGFONT f;
    f.lfHeight = P(r, 0);
    f.lfWidth = P(r, 1);
    f.lfEscapement = P(r, 2);
    f.lfOrientation = P(r, 3);
    f.lfWeight = P(r, 4);
    f.lfItalic = r.U8(16);
    f.lfUnderline = r.U8(17);
    f.lfStrikeOut = r.U8(18);
    f.lfCharSet = r.U8(19);
    f.lfPitchAndFamily = r.U8(23);
    f.lfFaceName.clear();
    for (size_t i = 24; i < 56 && r.Has(i, 1) && r.U8(i) != 0; ++i)
        f.lfFaceName.push_back(static_cast<char>(r.U8(i)));
    Create(CreateFontIndirect(f));
}

void WmfPlayer::CreateRegion(const RecordReader& r) {
    // The region header, then scans: a count, top, bottom, count / 2 pairs of left and
    // right, and the count again.
    const size_t scans = r.U16(16);
    std::vector<RECT> rects;
    size_t at = 28;
    for (size_t s = 0; s < scans; ++s) {
        const size_t count = r.U16(at);
        const int top = r.I16(at + 2), bottom = r.I16(at + 4);
        const size_t pairs = r.Count(count / 2, at + 6, 4);
        for (size_t k = 0; k < pairs; ++k)
            rects.push_back({r.I16(at + 6 + 4 * k), top, r.I16(at + 8 + 4 * k), bottom});
        at += 6 + 4 * pairs + 2;
    }
    // The scans are in logical units: the region keeps the device rectangles they cover.
    std::vector<RECT> device;
    for (const RECT& rc : rects) {
        POINT corners[2] = {{rc.left, rc.top}, {rc.right, rc.bottom}};
        if (!LPtoDP(dc_, corners, 2)) continue;
        device.push_back(
            {std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
             std::max(corners[0].x, corners[1].x), std::max(corners[0].y, corners[1].y)});
    }
    Create(ExtCreateRegion(nullptr, device));
}

void WmfPlayer::Dib(const RecordReader& r, uint16_t function) {
    // Records without a bitmap of their own are one parameter word longer than the
    // fixed part says and fill with the brush.
    const bool hasBitmap = r.Size() != (size_t{function} >> 8) * 2 + 6;
    const uint32_t rop = r.U32(6);
    if (function == kDibBitBlt || function == kDibStretchBlt) {
        const bool stretch = function == kDibStretchBlt;
        const size_t base = stretch ? 2 : 0;  // stretching adds the source size
        const int sy = P(r, 2 + base), sx = P(r, 3 + base);
        const size_t skip = hasBitmap ? 0 : 1;
        const int h = P(r, 4 + base + skip), w = P(r, 5 + base + skip);
        const int y = P(r, 6 + base + skip), x = P(r, 7 + base + skip);
        if (!hasBitmap) {
            PatBlt(dc_, x, y, w, h, rop);
            return;
        }
        const size_t at = 6 + 2 * (8 + base);
        RecordDib dib;
        if (!ReadPackedDib(r.Sub(at, r.Size() - at), dib)) return;
        RequireWholeDib(dib);
        HBITMAP source = BitmapFromDIB(dib.info, dib.bits, dib.size, false);
        if (!source) return;
        HDC memory = CreateCompatibleDC(nullptr);
        SelectObject(memory, source);
        StretchBlt(dc_, x, y, w, h, memory, sx, sy, stretch ? P(r, 3) : w, stretch ? P(r, 2) : h,
                   rop);
        DeleteDC(memory);
        return;
    }
    RecordDib dib;
    if (function == kStretchDib) {
        if (!ReadPackedDib(r.Sub(28, r.Size() - 28), dib)) return;
        RequireWholeDib(dib);
        StretchDIBits(dc_, P(r, 10), P(r, 9), P(r, 8), P(r, 7), P(r, 6), P(r, 5), P(r, 4), P(r, 3),
                      dib.bits, dib.size, dib.info, DIB_RGB_COLORS, rop);
        return;
    }
    // Set to device: the given scan lines drawn at their own size.
    if (!ReadPackedDib(r.Sub(24, r.Size() - 24), dib)) return;
    const int scans = P(r, 1), first = P(r, 2);
    if (scans <= 0 || scans > std::abs(dib.info.bmiHeader.biHeight)) return;
    dib.info.bmiHeader.biHeight = dib.info.bmiHeader.biHeight < 0 ? -scans : scans;
    RequireWholeDib(dib);
    StretchDIBits(dc_, P(r, 8), P(r, 7), P(r, 6), P(r, 5), P(r, 4), P(r, 3) - first, P(r, 6),
                  P(r, 5), dib.bits, dib.size, dib.info, DIB_RGB_COLORS, SRCCOPY);
}

void WmfPlayer::Text(const RecordReader& r, uint16_t function) {
    DCObj* d = LiveDC(dc_);
    const uint8_t charset = d->font ? d->font->font.lfCharSet : ANSI_CHARSET;
    if (function == kTextOut) {
        const size_t n = r.Count(static_cast<uint16_t>(P(r, 0)), 8, 1);
        const size_t after = 8 + ((n + 1) & ~size_t{1});
        ExtTextOutW(dc_, r.I16(after + 2), r.I16(after), 0, nullptr,
                    DecodeAnsi(r.Bytes(8, n), n, charset), nullptr);
        return;
    }
    const int y = P(r, 0), x = P(r, 1);
    const size_t n = static_cast<uint16_t>(P(r, 2));
    const uint32_t options = static_cast<uint16_t>(P(r, 3));
    size_t at = 14;
    RECT rect{};
    const bool hasRect = options & (ETO_OPAQUE | ETO_CLIPPED);
    if (hasRect) {
        rect = {r.I16(at), r.I16(at + 2), r.I16(at + 4), r.I16(at + 6)};
        at += 8;
    }
    const std::u16string text = DecodeAnsi(r.Bytes(at, r.Count(n, at, 1)), n, charset);
    at += (n + 1) & ~size_t{1};
    std::vector<int> dx;
    if (r.Has(at, 2 * n) && n > 0) {
        for (size_t i = 0; i < n; ++i) dx.push_back(r.I16(at + 2 * i));
    }
    ExtTextOutW(dc_, x, y, options & (ETO_OPAQUE | ETO_CLIPPED), hasRect ? &rect : nullptr, text,
                dx.empty() ? nullptr : dx.data());
}

void WmfPlayer::Play(const RecordReader& r, uint16_t function) {
    switch (function) {
        case kSetBkColor:
            SetBkColor(dc_, r.U32(6));
            break;
        case kSetTextColor:
            SetTextColor(dc_, r.U32(6));
            break;
        case kSetBkMode:
            SetBkMode(dc_, P(r, 0));
            break;
        case kSetMapMode:
            // The placement of the picture needs a scalable mode; others would undo it.
            if (P(r, 0) == MM_ISOTROPIC || P(r, 0) == MM_ANISOTROPIC) SetMapMode(dc_, P(r, 0));
            break;
        case kSetRop2:
            SetROP2(dc_, P(r, 0));
            break;
        case kSetPolyFillMode:
            SetPolyFillMode(dc_, P(r, 0));
            break;
        case kSetStretchBltMode:
            SetStretchBltMode(dc_, P(r, 0));
            break;
        case kSetTextCharExtra:
            SetTextCharacterExtra(dc_, P(r, 0));
            break;
        case kSetTextAlign:
            SetTextAlign(dc_, static_cast<uint16_t>(P(r, 0)));
            break;
        case kSetWindowOrg:
            SetWindowOrgEx(dc_, P(r, 1), P(r, 0), nullptr);
            break;
        case kSetWindowExt:
            SetWindowExtEx(dc_, P(r, 1), P(r, 0), nullptr);
            break;
        case kOffsetWindowOrg:
            OffsetWindowOrgEx(dc_, P(r, 1), P(r, 0), nullptr);
            break;
        case kScaleWindowExt:
            ScaleWindowExtEx(dc_, P(r, 3), P(r, 2), P(r, 1), P(r, 0), nullptr);
            break;
        case kLineTo:
            LineTo(dc_, P(r, 1), P(r, 0));
            break;
        case kMoveTo:
            MoveToEx(dc_, P(r, 1), P(r, 0), nullptr);
            break;
        case kExcludeClipRect:
            ExcludeClipRect(dc_, P(r, 3), P(r, 2), P(r, 1), P(r, 0));
            break;
        case kIntersectClipRect:
            IntersectClipRect(dc_, P(r, 3), P(r, 2), P(r, 1), P(r, 0));
            break;
        case kOffsetClipRgn:
            OffsetClipRgn(dc_, P(r, 1), P(r, 0));
            break;
        case kEllipse:
            Ellipse(dc_, P(r, 3), P(r, 2), P(r, 1), P(r, 0));
            break;
        case kRectangle:
            Rectangle(dc_, P(r, 3), P(r, 2), P(r, 1), P(r, 0));
            break;
        case kRoundRect:
            RoundRect(dc_, P(r, 5), P(r, 4), P(r, 3), P(r, 2), P(r, 1), P(r, 0));
            break;
        case kArc:
        case kPie:
        case kChord: {
            auto call = function == kArc ? Arc : function == kPie ? Pie : Chord;
            call(dc_, P(r, 7), P(r, 6), P(r, 5), P(r, 4), P(r, 3), P(r, 2), P(r, 1), P(r, 0));
            break;
        }
        case kPatBlt:
            PatBlt(dc_, P(r, 5), P(r, 4), P(r, 3), P(r, 2), r.U32(6));
            break;
        case kSetPixel:
            SetPixelV(dc_, P(r, 3), P(r, 2), ResolveColor(*LiveDC(dc_), r.U32(6)));
            break;
        case kSaveDC:
            SaveDC(dc_);
            break;
        case kRestoreDC: {
            const int depth = static_cast<int>(LiveDC(dc_)->saved.size());
            const int wanted = P(r, 0),
                      level = wanted < 0 ? depth + wanted + 1 : wanted + baseLevel;
            if (level > baseLevel && level <= depth) RestoreDC(dc_, level);
            break;
        }
        case kPolygon:
        case kPolyline: {
            const std::vector<POINT> p = Points(r, static_cast<uint16_t>(P(r, 0)), 8);
            (function == kPolygon ? Polygon : Polyline)(dc_, p.data(), static_cast<int>(p.size()));
            break;
        }
        case kPolyPolygon: {
            const size_t shapes = r.Count(static_cast<uint16_t>(P(r, 0)), 8, 2);
            std::vector<int> counts(shapes);
            uint64_t total = 0;
            for (size_t i = 0; i < shapes; ++i) total += counts[i] = r.U16(8 + 2 * i);
            const std::vector<POINT> p = Points(r, total, 8 + 2 * shapes);
            PolyPolygon(dc_, p.data(), counts.data(), static_cast<int>(shapes));
            break;
        }
        case kSelectObject:
            SelectObject(dc_, objects_.Get(static_cast<uint16_t>(P(r, 0))));
            break;
        case kSelectClipRegion:
            SelectClipRgn(dc_, Region(static_cast<uint16_t>(P(r, 0))));
            break;
        case kDeleteObject:
            objects_.Remove(static_cast<uint16_t>(P(r, 0)));
            break;
        case kSelectPalette:
            if (auto p = std::dynamic_pointer_cast<PaletteObj>(
                    objects_.Get(static_cast<uint16_t>(P(r, 0)))))
                SelectPalette(dc_, p, false);
            break;
        case kRealizePalette:
            RealizePalette(dc_);
            break;
        case kCreatePenIndirect:
            Create(LogicalPen(static_cast<uint16_t>(P(r, 0)), P(r, 1), r.U32(12)));
            break;
        case kCreateBrushIndirect: {
            const int style = P(r, 0);
            const COLORREF color = r.U32(8);
            if (style == 1)
                Create(GetStockObject(NULL_BRUSH));
            else if (style == 2)
                Create(CreateHatchBrush(P(r, 3), color));
            else
                Create(CreateSolidBrush(color));
            break;
        }
        case kCreateFontIndirect:
            CreateFont(r);
            break;
        case kCreatePalette: {
            const size_t n = r.Count(r.U16(8), 10, 4);
            LOGPALETTE p;
            for (size_t i = 0; i < n; ++i) {
                const uint8_t* e = r.Bytes(10 + 4 * i, 4);
                p.palPalEntry.push_back({e[0], e[1], e[2], e[3]});
            }
            const HPALETTE palette = CreatePalette(p);
            Create(palette ? palette : GetDefaultPalette());
            break;
        }
        case kSetPalEntries: {
            // The selected palette takes the entries (the shared default one is kept).
            const HPALETTE& palette = LiveDC(dc_)->palette;
            if (!palette || palette->isStock) break;
            const size_t start = r.U16(6), n = r.Count(r.U16(8), 10, 4);
            for (size_t i = 0; i < n && start + i < palette->entries.size(); ++i) {
                const uint8_t* e = r.Bytes(10 + 4 * i, 4);
                palette->entries[start + i] = {e[0], e[1], e[2], e[3]};
            }
            break;
        }
        case kDibCreatePatternBrush: {
            RecordDib dib;
            HBRUSH brush;
            if (ReadPackedDib(r.Sub(10, r.Size() - 10), dib)) {
                RequireWholeDib(dib);
                brush = CreateDIBPatternBrush(dib.info, dib.bits, dib.size);
            }
            Create(brush);
            break;
        }
        case kCreatePatternBrush:
            Create(nullptr);
            break;  // old device bitmaps: a hollow brush
        case kCreateRegion:
            CreateRegion(r);
            break;
        case kFillRegion:
            if (HRGN region = Region(static_cast<uint16_t>(P(r, 0)))) {
                if (HBRUSH brush = Brush(static_cast<uint16_t>(P(r, 1))))
                    FillRgn(dc_, region, brush);
            }
            break;
        case kFrameRegion:
            if (HRGN region = Region(static_cast<uint16_t>(P(r, 0)))) {
                if (HBRUSH brush = Brush(static_cast<uint16_t>(P(r, 1))))
                    FrameRgn(dc_, region, brush, P(r, 3), P(r, 2));
            }
            break;
        case kInvertRegion:
            if (HRGN region = Region(static_cast<uint16_t>(P(r, 0)))) InvertRgn(dc_, region);
            break;
        case kPaintRegion:
            if (HRGN region = Region(static_cast<uint16_t>(P(r, 0)))) PaintRgn(dc_, region);
            break;
        case kDibBitBlt:
        case kDibStretchBlt:
        case kStretchDib:
        case kSetDibToDev:
            Dib(r, function);
            break;
        case kTextOut:
        case kExtTextOut:
            Text(r, function);
            break;
        default:
            break;  // escapes, comments and what this layer does not draw
    }
}
}  // namespace

bool PlayWinMetaFile(const HDC& dc, const HENHMETAFILE& metafile, const RECT& frame,
                     const RECT& dest) {
    if (!LiveDC(dc) || !metafile || metafile->wmf.size() < kHeaderBytes) return false;
    const std::vector<uint8_t>& bytes = metafile->wmf;
    const size_t headerWords = LoadLe16(&bytes[2]);
    const size_t objects = LoadLe16(&bytes[10]);
    PlaybackScope scope(dc, dest);
    DCObj& d = *LiveDC(dc);
    // The header's box is the window, the destination the viewport.
    d.placement = scope.CallerMapping();
    d.mapMode = MM_ANISOTROPIC;
    d.windowOrg = {frame.left, frame.top};
    d.windowExt = {frame.right - frame.left ? frame.right - frame.left : 1,
                   frame.bottom - frame.top ? frame.bottom - frame.top : 1};
    d.origin = {dest.left, dest.top};
    d.viewportExt = {dest.right - dest.left ? dest.right - dest.left : 1,
                     dest.bottom - dest.top ? dest.bottom - dest.top : 1};
    MappingChanged(d);
    WmfPlayer player(dc, objects);
    player.baseLevel = scope.BaseLevel();
    size_t at = headerWords * 2;
    while (at + 6 <= bytes.size()) {
        const uint64_t size = uint64_t{LoadLe32(&bytes[at])} * 2;
        const uint16_t function = LoadLe16(&bytes[at + 4]);
        // A record must be whole and inside the file; one that is not ends playback.
        if (size < 6 || size > bytes.size() - at || function == kEof) break;
        try {
            player.Play(RecordReader(&bytes[at], static_cast<size_t>(size)), function);
        } catch (const BadRecord&) {
            break;
        }
        at += static_cast<size_t>(size);
    }
    return true;
}

}  // namespace vardel::gdi
