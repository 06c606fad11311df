// The pieces both metafile players share: bitmaps inside records, 8-bit text and the
// state a playback starts from and leaves behind.
#include "platform/gdi/MetaRecords.h"

#include <bit>
#include <cstring>

#include "platform/gdi/Shapes.h"

namespace vardel::gdi {

namespace {
// Windows-1252 above 0x7F where it differs from Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
}  // namespace

float RecordReader::F32(size_t offset) const {
    return std::bit_cast<float>(U32(offset));
}

bool ReadDib(const RecordReader& header, const uint8_t* bits, size_t size, RecordDib& out) {
    BITMAPINFOHEADER& h = out.info.bmiHeader;
    const uint32_t headerSize = header.U32(0);
    size_t at;
    if (headerSize == 12) {
        // The old core header: 16-bit sizes, three-byte colours.
        h.biWidth = header.U16(4);
        h.biHeight = header.I16(6);
        h.biPlanes = header.U16(8);
        h.biBitCount = header.U16(10);
        h.biCompression = BI_RGB;
        at = 12;
    } else if (headerSize >= 40) {
        h.biWidth = header.I32(4);
        h.biHeight = header.I32(8);
        h.biPlanes = header.U16(12);
        h.biBitCount = header.U16(14);
        h.biCompression = header.U32(16);
        h.biClrUsed = header.U32(32);
        at = headerSize;
        if (h.biCompression == BI_BITFIELDS) {
            // Masks follow a 40-byte header and sit inside the longer ones.
            for (int i = 0; i < 3; ++i) out.info.bmiMasks[i] = header.U32(40 + 4 * i);
            if (headerSize == 40) at += 12;
        }
    } else {
        return false;
    }
    h.biPlanes = 1;
    if (h.biBitCount <= 8) {
        const uint32_t entries =
            h.biClrUsed && h.biClrUsed < (1u << h.biBitCount) ? h.biClrUsed : 1u << h.biBitCount;
        const size_t entrySize = headerSize == 12 ? 3 : 4;
        const size_t n =
            std::min<size_t>(entries, header.Has(at, 0) ? (header.Size() - at) / entrySize : 0);
        for (size_t i = 0; i < n; ++i) {
            const uint8_t* q = header.Bytes(at + i * entrySize, 3);
            out.info.bmiColors.push_back({q[0], q[1], q[2], 0});
        }
        out.info.bmiColors.resize(entries);
        at += entries * entrySize;
    }
    out.bits = bits;
    out.size = size;
    return h.biWidth > 0 && h.biHeight != 0;
}

void RequireWholeDib(const RecordDib& dib) {
    const BITMAPINFOHEADER& h = dib.info.bmiHeader;
    if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) return;
    const uint64_t height = h.biHeight < 0 ? uint64_t(-int64_t{h.biHeight}) : uint64_t(h.biHeight);
    const uint64_t stride = ((uint64_t(std::max(h.biWidth, 0)) * h.biBitCount + 31) / 32) * 4;
    if (stride * height > dib.size) throw BadRecord{};
}

bool ReadPackedDib(const RecordReader& block, RecordDib& out) {
    const uint32_t headerSize = block.U32(0);
    if (headerSize != 12 && headerSize < 40) return false;
    // Find where the pixels start: after the header, masks and colour table.
    RecordDib probe;
    if (!ReadDib(block, nullptr, 0, probe)) return false;
    const auto& h = probe.info.bmiHeader;
    size_t at = headerSize;
    if (headerSize == 40 && h.biCompression == BI_BITFIELDS) at += 12;
    if (h.biBitCount <= 8) at += probe.info.bmiColors.size() * (headerSize == 12 ? 3 : 4);
    if (at > block.Size()) return false;
    return ReadDib(block, block.Bytes(at, block.Size() - at), block.Size() - at, out);
}

HPEN LogicalPen(uint32_t style, int width, COLORREF color) {
    const int kind = static_cast<int>(style & PS_STYLE_MASK);
    if (width <= 1) return CreatePen(kind, width, color);
    const int shape = static_cast<int>(style & (PS_ENDCAP_MASK | PS_JOIN_MASK));
    const bool keeps = kind == PS_NULL || kind == PS_INSIDEFRAME;
    return ExtCreatePen(PS_GEOMETRIC | shape | (keeps ? kind : PS_SOLID), width, color, {});
}

std::u16string DecodeAnsi(const uint8_t* bytes, size_t count, uint8_t charset) {
    std::u16string out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t c = bytes[i];
        if (c >= 0x80 && c < 0xA0 && charset != SYMBOL_CHARSET)
            out.push_back(kCp1252High[c - 0x80]);
        else
            out.push_back(c);
    }
    return out;
}

PlaybackScope::PlaybackScope(const HDC& dc, const RECT& dest) : dc_(dc) {
    DCObj* d = LiveDC(dc);
    level_ = SaveDC(dc);
    caller_ = d->toDevice;
    // A picture draws inside its rectangle.
    IntersectClipRect(dc, std::min(dest.left, dest.right), std::min(dest.top, dest.bottom),
                      std::max(dest.left, dest.right), std::max(dest.top, dest.bottom));
    SetMetaRgn(dc);
    // The default drawing state.
    DrawState& s = *d;
    const std::shared_ptr<const Region> meta = s.metaRegion;
    s = DrawState{};
    s.metaRegion = meta;
    s.pen = GetStockPen(BLACK_PEN);
    s.brush = GetStockBrush(WHITE_BRUSH);
    s.font = CreateFontIndirect(LOGFONT{});
    s.palette = GetDefaultPalette();
    s.graphicsMode = GM_ADVANCED;
    d->path.reset();
    MappingChanged(*d);
    ClipChanged(*d);
}

PlaybackScope::~PlaybackScope() {
    DCObj* d = LiveDC(dc_);
    if (!d) return;
    d->placement = {};
    d->dpiX = d->dpiY = 96;
    d->path.reset();
    RestoreDC(dc_, level_);
}

}  // namespace vardel::gdi
