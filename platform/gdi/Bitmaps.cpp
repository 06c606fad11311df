// Bitmap creation, description and conversion between formats.
#include <sys/mman.h>

#include <algorithm>
#include <bit>

#include "platform/gdi/GdiObjects.h"

namespace vardel::gdi {

namespace {
constexpr uint64_t kMaxBitmapBytes = 1ull << 30;

bool ValidBitCount(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Bytes per stored row, padded to 32 bits; in 64 bits, as a row of a hostile width
// may not fit in an int.
int64_t DIBStride(int width, int bits) {
    return ((int64_t{width} * bits + 31) & ~int64_t{31}) / 8;
}

// A bitmap object that describes foreign rows (a file's pixel data, a caller's
// buffer) so the same primitives can read or write them.
void DescribeRows(BitmapObj& v, const BITMAPINFO& info, const uint8_t* data) {
    const auto& h = info.bmiHeader;
    v.width = h.biWidth;
    v.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    v.bitCount = h.biBitCount;
    const int64_t stride = DIBStride(h.biWidth, h.biBitCount);
    // Rows wider than any buffer could hold describe nothing.
    v.stride = stride <= INT32_MAX ? static_cast<int>(stride) : 0;
    if (!v.stride) v.width = v.height = 0;
    v.topDown = h.biHeight < 0;
    v.isSection = true;
    SetPixelFormat(v, h.biCompression == BI_BITFIELDS, info.bmiMasks);
    if (h.biBitCount <= 8) {
        const size_t full = size_t{1} << h.biBitCount;
        size_t n = h.biClrUsed ? std::min<size_t>(h.biClrUsed, full) : full;
        v.colors.assign(info.bmiColors.begin(),
                        info.bmiColors.begin() + std::min(n, info.bmiColors.size()));
        v.colors.resize(n);
    }
    auto* base = const_cast<uint8_t*>(data);
    v.step = v.topDown ? v.stride : -static_cast<ptrdiff_t>(v.stride);
    v.top = v.topDown ? base : base + static_cast<ptrdiff_t>(v.stride) * (v.height - 1);
}

// The display's own format from 24-bit or indexed rows, the common case when files
// become device bitmaps: the same values as the colour-by-colour path, without its
// per-pixel dispatch. False for other source formats.
bool ConvertRowToBgrx32(const BitmapObj& src, const uint8_t* in, const BitmapObj& dst, uint8_t* out,
                        int width) {
    if (src.kind == PixelKind::Bgr24) {
        for (int x = 0; x < width; ++x, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 0;
        }
        return true;
    }
    const bool indexed = src.kind == PixelKind::Index1 || src.kind == PixelKind::Index4 ||
                         src.kind == PixelKind::Index8;
    if (!indexed) return false;
    std::array<uint32_t, 256> raw{};  // indices beyond the table show black
    for (size_t i = 0; i < std::min<size_t>(src.colors.size(), raw.size()); ++i)
        raw[i] = ColorToRaw(dst, TableColor(src, static_cast<uint32_t>(i)));
    if (src.kind == PixelKind::Index8)
        for (int x = 0; x < width; ++x) std::memcpy(out + 4 * x, &raw[in[x]], 4);
    else
        for (int x = 0; x < width; ++x) std::memcpy(out + 4 * x, &raw[ReadRaw(src, in, x)], 4);
    return true;
}

// Copies the pixels of row y of `src` into row y of `dst`, colour by colour unless
// both share the format.
void ConvertRow(const BitmapObj& src, int sy, BitmapObj& dst, int dy, int width) {
    const uint8_t* in = src.Row(sy);
    uint8_t* out = dst.Row(dy);
    const bool sameTable = src.kind == dst.kind && src.colors == dst.colors;
    if (sameTable && src.masks == dst.masks && src.bitCount == dst.bitCount) {
        std::memcpy(out, in, (static_cast<size_t>(width) * src.bitCount + 7) / 8);
        return;
    }
    if (dst.kind == PixelKind::Bgrx32 && ConvertRowToBgrx32(src, in, dst, out, width)) return;
    for (int x = 0; x < width; ++x)
        WriteRaw(dst, out, x, ColorToRaw(dst, RawToColor(src, ReadRaw(src, in, x))));
}

// Run-length rows go into the bitmap one stored row at a time, bottom-up. Pixels that
// the data never sets keep index 0: every row starts as a copy of an all-zero row
// converted once, and a row the data reaches is converted only as far as it reaches,
// so a file's cost follows its data and one pass over the bitmap, however wide it is.
class RleRows {
  public:
    RleRows(BitmapObj& dst, const BITMAPINFO& info)
        : dst_(dst),
          columns_(std::min(info.bmiHeader.biWidth, dst.width)),
          height_(info.bmiHeader.biHeight),
          indices_(static_cast<size_t>(columns_), 0) {
        BITMAPINFO asIndices = info;
        asIndices.bmiHeader.biWidth = columns_;
        asIndices.bmiHeader.biHeight = -1;
        asIndices.bmiHeader.biBitCount = 8;
        asIndices.bmiHeader.biCompression = BI_RGB;
        DescribeRows(row_, asIndices, indices_.data());
        FillWithIndexZero();
    }

    bool Done() const { return stored_ >= height_; }
    void Put(uint8_t index) {
        if (x_ < columns_) {
            indices_[static_cast<size_t>(x_)] = index;
            reached_ = std::max(reached_, x_ + 1);
        }
        if (x_ <= columns_) ++x_;
    }
    bool Full() const { return x_ > columns_; }
    void NextRow() {
        Flush();
        x_ = 0;
        stored_ = std::min(stored_ + 1, height_);
    }
    // A delta moves right and up without going back to the row's start.
    void Move(int dx, int dy) {
        if (dy > 0) Flush();
        x_ = static_cast<int>(std::min<int64_t>(int64_t{x_} + dx, int64_t{columns_} + 1));
        stored_ = static_cast<int>(std::min<int64_t>(int64_t{stored_} + dy, height_));
    }
    void Finish() { Flush(); }

  private:
    void FillWithIndexZero() {
        const int rows = std::min(height_, dst_.height);
        if (rows <= 0 || columns_ <= 0) return;
        ConvertRow(row_, 0, dst_, 0, columns_);
        const uint8_t* first = dst_.Row(0);
        const size_t bytes = static_cast<size_t>(dst_.stride);
        // A fresh bitmap is zero already; index 0 is often black.
        if (std::all_of(first, first + bytes, [](uint8_t v) { return v == 0; })) return;
        for (int y = 1; y < rows; ++y) std::memcpy(dst_.Row(y), first, bytes);
    }
    void Flush() {
        const int y = height_ - 1 - stored_;
        if (reached_ > 0 && y >= 0 && y < dst_.height) ConvertRow(row_, 0, dst_, y, reached_);
        std::fill_n(indices_.begin(), reached_, uint8_t{0});
        reached_ = 0;
    }

    BitmapObj& dst_;
    const int columns_;
    const int height_;
    std::vector<uint8_t> indices_;  // the current row, one index a pixel
    BitmapObj row_;
    int x_ = 0, stored_ = 0, reached_ = 0;
};

void StoreRleRows(BitmapObj& dst, const BITMAPINFO& info, const uint8_t* data, size_t size) {
    const bool rle4 = info.bmiHeader.biCompression == BI_RLE4;
    RleRows rows(dst, info);
    size_t i = 0;
    while (i + 1 < size && !rows.Done()) {
        const uint8_t count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && !rows.Full(); ++k)
                rows.Put(rle4 ? ((k & 1) ? (value & 0xF) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            rows.NextRow();
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (i + 1 >= size) break;
            rows.Move(data[i], data[i + 1]);
            i += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const size_t bytes = rle4 ? (value + 1u) / 2 : value;
            if (i + bytes > size) break;
            for (int k = 0; k < value && !rows.Full(); ++k)
                rows.Put(rle4 ? ((k & 1) ? (data[i + k / 2] & 0xF) : (data[i + k / 2] >> 4))
                              : data[i + k]);
            i += (bytes + 1) & ~size_t{1};
        }
    }
    rows.Finish();
}

constexpr size_t kHugePage = size_t{2} << 20, kSmallPage = 4096;
// Above this, the faults of fresh huge pages cost the kernel more than the pages save
// (measured: a 48 MB picture's command takes a third of the time with them, one of
// 190 MB or more up to three times as long).
constexpr size_t kLargestHugePageStore = size_t{64} << 20;
// Under AddressSanitizer every store comes from calloc, whose bounds it watches.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapHugePages = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapHugePages = false;
#else
constexpr bool kMapHugePages = true;
#endif
#else
constexpr bool kMapHugePages = true;
#endif
}  // namespace

bool PixelStorage::Allocate(size_t bytes) {
    size_ = 0;
    data_.reset();
    if (kMapHugePages && bytes >= kHugePage && bytes <= kLargestHugePageStore) {
        // A mapping that starts on a huge page, with room to align it; what lies outside
        // the aligned part goes back at once. Its length is only rounded to small pages:
        // the kernel backs the whole huge pages within it and small pages the rest, so
        // the store takes no more memory than calloc's. Fresh mappings read as zero.
        const size_t length = (bytes + kSmallPage - 1) & ~(kSmallPage - 1);
        void* mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped != MAP_FAILED) {
            auto* start = static_cast<uint8_t*>(mapped);
            const size_t head =
                (kHugePage - reinterpret_cast<uintptr_t>(start) % kHugePage) % kHugePage;
            uint8_t* aligned = start + head;
            if (head) ::munmap(start, head);
            if (head < kHugePage) ::munmap(aligned + length, kHugePage - head);
            ::madvise(aligned, length, MADV_HUGEPAGE);
            data_ = std::unique_ptr<uint8_t, Free>(aligned, Free{length});
            size_ = bytes;
            return true;
        }
    }
    data_ = std::unique_ptr<uint8_t, Free>(static_cast<uint8_t*>(std::calloc(bytes ? bytes : 1, 1)),
                                           Free{0});
    size_ = data_ ? bytes : 0;
    return data_ != nullptr;
}

void PixelStorage::Free::operator()(uint8_t* p) const {
    if (mapped) {
        ::munmap(p, mapped);
    } else {
        std::free(p);
    }
}

ChannelMask MakeChannel(uint32_t mask) {
    ChannelMask c;
    c.mask = mask;
    if (mask == 0) return c;
    c.shift = std::countr_zero(mask);
    c.bits = std::countr_one(mask >> c.shift);
    return c;
}

void SetPixelFormat(BitmapObj& b, bool bitfields, const std::array<uint32_t, 3>& masks) {
    b.masks = {};
    switch (b.bitCount) {
        case 1:
            b.kind = PixelKind::Index1;
            break;
        case 4:
            b.kind = PixelKind::Index4;
            break;
        case 8:
            b.kind = PixelKind::Index8;
            break;
        case 16:
            b.kind = PixelKind::Masked16;
            b.masks = bitfields ? masks : std::array<uint32_t, 3>{0x7C00, 0x03E0, 0x001F};
            break;
        case 24:
            b.kind = PixelKind::Bgr24;
            break;
        case 32:
            if (bitfields && masks != std::array<uint32_t, 3>{0xFF0000, 0xFF00, 0xFF}) {
                b.kind = PixelKind::Masked32;
                b.masks = masks;
            } else {
                b.kind = PixelKind::Bgrx32;
                b.masks = {0xFF0000, 0xFF00, 0xFF};
            }
            break;
    }
    for (int i = 0; i < 3; ++i) b.channels[i] = MakeChannel(b.masks[i]);
}

constexpr uint64_t kSmallBitmapBytes = 64 * 1024;

HBITMAP AllocateBitmap(int width, int height, int bitCount, bool topDown, bool isSection) {
    if (width <= 0 || height <= 0 || !ValidBitCount(bitCount)) {
        SetFailure(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const int64_t stride = DIBStride(width, bitCount);
    const uint64_t bytes = uint64_t(stride) * uint64_t(height);
    if (stride > INT32_MAX || bytes > kMaxBitmapBytes) {
        SetFailure(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto b = std::make_shared<BitmapObj>();
    b->width = width;
    b->height = height;
    b->bitCount = bitCount;
    b->stride = static_cast<int>(stride);
    b->topDown = topDown;
    b->isSection = isSection;
    // Large stores count against the picture memory budget; small ones (the stock
    // bitmap of every memory context among them) never fail for it.
    if (bytes >= kSmallBitmapBytes) b->charge = TMemoryCharge::TryCharge(bytes);
    if ((bytes >= kSmallBitmapBytes && b->charge.Bytes() != bytes) ||
        !b->storage.Allocate(static_cast<size_t>(bytes))) {
        SetFailure(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    b->step = topDown ? stride : -static_cast<ptrdiff_t>(stride);
    b->top = topDown ? b->storage.data()
                     : b->storage.data() + static_cast<ptrdiff_t>(stride) * (height - 1);
    SetPixelFormat(*b, false, {});
    return b;
}

HBITMAP CreateBitmap(int width, int height, uint32_t planes, uint32_t bitCount, const void* bits) {
    const bool mono = planes == 1 && bitCount == 1;
    HBITMAP b = mono ? AllocateBitmap(width, height, 1, true, false)
                     : CreateDeviceBitmap(nullptr, width, height);
    if (!b) return nullptr;
    if (mono) {
        b->monochrome = true;
        b->colors = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
        if (bits) {
            // Rows of the caller are padded to 16 bits only.
            const size_t in = ((static_cast<size_t>(width) + 15) / 16) * 2;
            const auto* p = static_cast<const uint8_t*>(bits);
            for (int y = 0; y < height; ++y)
                std::memcpy(b->Row(y), p + in * y, std::min<size_t>(in, b->stride));
        }
    }
    return b;
}

HBITMAP CreateDeviceBitmap(const HDC& dc, int width, int height) {
    if (dc && dc->kind == DCKind::Memory && dc->bitmap && dc->bitmap->monochrome)
        return CreateBitmap(width, height, 1, 1, nullptr);
    const int bits = DisplayBitsPerPixel();
    HBITMAP b = AllocateBitmap(width, height, bits, true, false);
    if (b && bits == 8) {
        b->colors = ToQuads(HalftoneEntries());
        b->kind = PixelKind::Index8;
    }
    return b;
}

HBITMAP CreateCompatibleBitmap(const HDC& dc, int width, int height) {
    return CreateDeviceBitmap(dc, width, height);
}

HBITMAP CreateDIBSection(const HDC&, const BITMAPINFO& info, uint32_t usage, uint8_t** bits) {
    if (bits) *bits = nullptr;
    const auto& h = info.bmiHeader;
    const bool bitfields = h.biCompression == BI_BITFIELDS;
    // A description the layer cannot hold is refused without an error code: only
    // running out of memory leaves one.
    if (usage != DIB_RGB_COLORS || h.biPlanes != 1 || h.biHeight == INT32_MIN || h.biWidth <= 0 ||
        h.biHeight == 0 || !ValidBitCount(h.biBitCount) ||
        !(h.biCompression == BI_RGB || (bitfields && (h.biBitCount == 16 || h.biBitCount == 32))) ||
        (bitfields && info.bmiMasks == std::array<uint32_t, 3>{})) {
        SetFailure(ERROR_SUCCESS);
        return nullptr;
    }
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    HBITMAP b = AllocateBitmap(h.biWidth, height, h.biBitCount, h.biHeight < 0, true);
    if (!b) return nullptr;
    SetPixelFormat(*b, bitfields, info.bmiMasks);
    if (h.biBitCount <= 8) {
        const size_t full = size_t{1} << h.biBitCount;
        const size_t n = h.biClrUsed ? std::min<size_t>(h.biClrUsed, full) : full;
        b->colors.assign(info.bmiColors.begin(),
                         info.bmiColors.begin() + std::min(n, info.bmiColors.size()));
        b->colors.resize(n);
    }
    b->header = h;
    b->header.biSize = 40;
    b->header.biSizeImage = static_cast<uint32_t>(b->storage.size());
    if (bits) *bits = b->storage.data();
    return b;
}

void StoreDIBRows(BitmapObj& dst, const BITMAPINFO& info, const uint8_t* data, size_t dataSize) {
    const auto& h = info.bmiHeader;
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const int width = std::min(h.biWidth, dst.width);
    if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
        StoreRleRows(dst, info, data, dataSize);
        return;
    }
    BitmapObj src;
    DescribeRows(src, info, data);
    // Only rows that lie wholly inside the data are taken, in storage order.
    const size_t whole = src.stride ? dataSize / static_cast<size_t>(src.stride) : 0;
    const int rows = static_cast<int>(std::min<size_t>(whole, static_cast<size_t>(height)));
    for (int stored = 0; stored < rows; ++stored) {
        const int y = src.topDown ? stored : height - 1 - stored;
        if (y < dst.height) ConvertRow(src, y, dst, y, width);
    }
}

HBITMAP CreateDIBitmap(const HDC& dc, const BITMAPINFOHEADER& header, uint32_t init,
                       const void* bits, size_t dataSize, const BITMAPINFO& info, uint32_t usage) {
    const auto& h = info.bmiHeader;
    const bool valid =
        usage == DIB_RGB_COLORS && ValidBitCount(h.biBitCount) && h.biPlanes == 1 &&
        h.biWidth > 0 && h.biHeight != 0 && h.biHeight != INT32_MIN &&
        (h.biCompression == BI_RGB ||
         (h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32)) ||
         (h.biCompression == BI_RLE8 && h.biBitCount == 8 && h.biHeight > 0) ||
         (h.biCompression == BI_RLE4 && h.biBitCount == 4 && h.biHeight > 0));
    if (!valid || header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == INT32_MIN) {
        SetFailure(ERROR_SUCCESS);
        return nullptr;
    }
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    HBITMAP b = CreateDeviceBitmap(dc, header.biWidth, height);
    if (!b) return nullptr;
    if ((init & CBM_INIT) && bits)
        StoreDIBRows(*b, info, static_cast<const uint8_t*>(bits), dataSize);
    return b;
}

int GetDIBits(const HDC&, const HBITMAP& bitmap, unsigned start, unsigned lines, void* bits,
              BITMAPINFO& info, uint32_t) {
    if (!bitmap) {
        SetFailure(ERROR_INVALID_HANDLE);
        return 0;
    }
    auto& h = info.bmiHeader;
    if (!bits && h.biBitCount == 0) {
        h.biSize = 40;
        h.biWidth = bitmap->width;
        h.biHeight = bitmap->isSection ? bitmap->header.biHeight : bitmap->height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<uint16_t>(bitmap->bitCount);
        h.biCompression =
            bitmap->kind == PixelKind::Masked32 ||
                    (bitmap->kind == PixelKind::Masked16 && bitmap->masks[1] != 0x03E0)
                ? BI_BITFIELDS
                : BI_RGB;
        h.biSizeImage = static_cast<uint32_t>(bitmap->stride) * bitmap->height;
        info.bmiMasks = bitmap->masks;
        return 1;
    }
    if (!ValidBitCount(h.biBitCount) ||
        !(h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS)) {
        SetFailure(ERROR_INVALID_PARAMETER);
        return 0;
    }
    h.biWidth = bitmap->width;
    if (h.biHeight == 0) h.biHeight = bitmap->height;
    const bool topDown = h.biHeight < 0;
    h.biHeight = topDown ? -bitmap->height : bitmap->height;
    h.biPlanes = 1;
    h.biSizeImage = static_cast<uint32_t>(DIBStride(h.biWidth, h.biBitCount)) * bitmap->height;
    if (h.biCompression == BI_BITFIELDS && info.bmiMasks == std::array<uint32_t, 3>{})
        info.bmiMasks = h.biBitCount == 16 ? std::array<uint32_t, 3>{0xF800, 0x07E0, 0x001F}
                                           : std::array<uint32_t, 3>{0xFF0000, 0xFF00, 0xFF};
    if (h.biBitCount <= 8) {
        const size_t n = size_t{1} << h.biBitCount;
        if (bitmap->bitCount == h.biBitCount && bitmap->kind <= PixelKind::Index8) {
            info.bmiColors = bitmap->colors;
        } else if (h.biBitCount == 8) {
            info.bmiColors = ToQuads(HalftoneEntries());
        } else {
            std::vector<PALETTEENTRY> entries;
            if (h.biBitCount == 4) {
                entries.resize(16);
                GetPaletteEntries(GetSystemPalette16(), 0, 16, entries.data());
            } else {
                entries = {PALETTEENTRY{0, 0, 0, 0}, PALETTEENTRY{255, 255, 255, 0}};
            }
            info.bmiColors = ToQuads(entries);
        }
        info.bmiColors.resize(n);
        h.biClrUsed = 0;
    }
    if (!bits) return static_cast<int>(bitmap->height);
    BitmapObj out;
    DescribeRows(out, info, static_cast<const uint8_t*>(bits));
    const unsigned first = std::min<unsigned>(start, bitmap->height);
    const unsigned count = std::min<unsigned>(lines, bitmap->height - first);
    for (unsigned k = 0; k < count; ++k) {
        // Scan lines are counted from the bottom of the picture.
        const int y = bitmap->height - 1 - static_cast<int>(first + k);
        ConvertRow(*bitmap, y, out, y, bitmap->width);
    }
    return static_cast<int>(count);
}

unsigned GetDIBColorTable(const HDC& dc, unsigned start, unsigned count, RGBQUAD* colors) {
    if (!dc || !dc->bitmap || !dc->bitmap->isSection || dc->bitmap->bitCount > 8) return 0;
    const auto& table = dc->bitmap->colors;
    if (start >= table.size()) return 0;
    const unsigned n = std::min<unsigned>(count, static_cast<unsigned>(table.size()) - start);
    if (colors) std::copy_n(table.begin() + start, n, colors);
    return n;
}

unsigned SetDIBColorTable(const HDC& dc, unsigned start, unsigned count, const RGBQUAD* colors) {
    if (!dc || !dc->bitmap || !dc->bitmap->isSection || dc->bitmap->bitCount > 8) return 0;
    auto& table = dc->bitmap->colors;
    if (start >= table.size()) return 0;
    const unsigned n = std::min<unsigned>(count, static_cast<unsigned>(table.size()) - start);
    std::copy_n(colors, n, table.begin() + start);
    ColorTableChanged(*dc->bitmap);
    return n;
}

bool GetObject(const HBITMAP& bitmap, DIBSECTION& out) {
    if (!bitmap) return false;
    out = DIBSECTION{};
    out.dsBmih.biSize = 0;  // a device-dependent bitmap has no information header
    out.dsBm.bmWidth = bitmap->width;
    out.dsBm.bmHeight = bitmap->height;
    // Device bitmaps describe their rows padded to 16 bits; the product is taken in 64
    // bits, since a wide device bitmap's width times its depth overflows an int.
    out.dsBm.bmWidthBytes =
        bitmap->isSection
            ? bitmap->stride
            : static_cast<int32_t>((int64_t{bitmap->width} * bitmap->bitCount + 15) / 16 * 2);
    out.dsBm.bmPlanes = 1;
    out.dsBm.bmBitsPixel = static_cast<uint16_t>(bitmap->bitCount);
    out.isSection = bitmap->isSection;
    if (bitmap->isSection) {
        out.dsBm.bmBits = bitmap->storage.data();
        out.dsBmih = bitmap->header;
        out.dsBitfields = bitmap->masks;
    }
    return true;
}

}  // namespace vardel::gdi
