// BMP files: reading into a section (or, for run-length data, a device bitmap with
// the file kept as read) and writing the section back.
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "graphics/Bitmap.h"
#include "graphics/PaletteColors.h"
#include "platform/runtime/ByteOrder.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/MemoryBudget.h"

namespace vardel {

namespace {
constexpr uint16_t kBmpMagic = 0x4D42;  // "BM"
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kMasksInHeaderSize = 52;  // headers this large end with the three masks
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kMasksSize = 12;

[[noreturn]] void NotValid() {
    throw EInvalidGraphic(msg::kInvalidGraphic);
}

// The platform refused the description: its own message when it gave a reason.
[[noreturn]] void Refused() {
    const uint32_t code = gdi::GetLastError();
    const std::string text = gdi::SystemErrorMessage(code);
    if (code != gdi::ERROR_SUCCESS && !text.empty()) throw EOSError(text);
    NotValid();
}

uint64_t RowStride(int64_t width, int bits) {
    return static_cast<uint64_t>(((width * bits + 31) & ~int64_t{31}) / 8);
}

// A negative height stores the rows top-down.
uint64_t RowCount(const gdi::BITMAPINFOHEADER& h) {
    return static_cast<uint64_t>(h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight);
}

// The two headers that open a BMP file (the BMP header layout): the 14-byte file
// header and the information header, a 12-byte core header of 16-bit fields or one
// of 40 bytes or more.
struct TBmpHeaders {
    std::array<uint8_t, kFileHeaderSize> file{};
    uint32_t size = 0;  // of the information header
    bool core = false;
    // The information header's bytes as stored (none for a core header): a file kept
    // whole keeps them, and larger headers carry the masks in them.
    std::vector<uint8_t> stored;
    gdi::BITMAPINFOHEADER info;  // a core header's fields widened

    uint32_t RowsOffset() const { return LoadLe32(file.data() + 10); }
    // Run-length (and any other compressed) data is kept whole, as read.
    bool KeptWhole() const {
        return !core && info.biCompression != gdi::BI_RGB &&
               info.biCompression != gdi::BI_BITFIELDS;
    }
    bool BitFields() const {
        return info.biCompression == gdi::BI_BITFIELDS &&
               (info.biBitCount == 16 || info.biBitCount == 32);
    }
    // The masks follow a 40-byte header; larger headers carry them inside.
    bool MasksFollow() const { return BitFields() && size == kInfoHeaderSize; }
    // Entries of the colour table: the header's count, or all that the bit count
    // allows when it gives none.
    uint32_t TableEntries() const {
        const uint16_t bits = info.biBitCount;
        if (info.biClrUsed == 0 && (bits == 1 || bits == 4 || bits == 8)) return 1u << bits;
        return info.biClrUsed;
    }
    size_t TableEntrySize() const { return core ? 3 : 4; }
};

// The fields of both headers, with every check that needs no more of the file.
TBmpHeaders ReadHeaders(TStream& input, int64_t length) {
    TBmpHeaders headers;
    input.ReadBuffer(headers.file.data(), headers.file.size());
    if (LoadLe16(headers.file.data()) != kBmpMagic) NotValid();

    uint8_t sizeField[4];
    input.ReadBuffer(sizeField, sizeof sizeField);
    headers.size = LoadLe32(sizeField);
    headers.core = headers.size == kCoreHeaderSize;
    if (!headers.core && headers.size < kInfoHeaderSize) NotValid();
    if (headers.size > static_cast<uint64_t>(length - static_cast<int64_t>(kFileHeaderSize)))
        throw EReadError(msg::kStreamRead);

    gdi::BITMAPINFOHEADER& h = headers.info;
    if (headers.core) {
        uint8_t c[8];
        input.ReadBuffer(c, sizeof c);
        h.biWidth = LoadLe16(c);
        h.biHeight = LoadLe16(c + 2);
        h.biPlanes = LoadLe16(c + 4);
        h.biBitCount = LoadLe16(c + 6);
    } else {
        headers.stored.resize(headers.size);
        StoreLe32(headers.stored.data(), headers.size);
        input.ReadBuffer(headers.stored.data() + 4, headers.size - 4);
        const uint8_t* p = headers.stored.data();
        h.biWidth = static_cast<int32_t>(LoadLe32(p + 4));
        h.biHeight = static_cast<int32_t>(LoadLe32(p + 8));
        h.biPlanes = LoadLe16(p + 12);
        h.biBitCount = LoadLe16(p + 14);
        h.biCompression = LoadLe32(p + 16);
        h.biSizeImage = LoadLe32(p + 20);
        h.biXPelsPerMeter = static_cast<int32_t>(LoadLe32(p + 24));
        h.biYPelsPerMeter = static_cast<int32_t>(LoadLe32(p + 28));
        h.biClrUsed = LoadLe32(p + 32);
        h.biClrImportant = LoadLe32(p + 36);
    }
    if (h.biPlanes != 1 || headers.TableEntries() > 256) NotValid();
    return headers;
}

// The rest of the file after the headers, and how many of its bytes are left.
struct TBmpBody {
    TStream* stream;
    int64_t remaining;

    void Read(void* to, size_t count) {
        stream->ReadBuffer(to, count);
        remaining -= static_cast<int64_t>(count);
    }
};

// A whole copy of a file that is kept as read (the headers as read, then everything
// that follows them).
std::shared_ptr<std::vector<uint8_t>> KeepFile(const TBmpHeaders& headers, TStream& input,
                                               int64_t remaining) {
    const size_t prefix = kFileHeaderSize + headers.size;
    auto kept = std::make_shared<std::vector<uint8_t>>(
        prefix + static_cast<size_t>(std::max<int64_t>(remaining, 0)));
    std::memcpy(kept->data(), headers.file.data(), kFileHeaderSize);
    std::memcpy(kept->data() + kFileHeaderSize, headers.stored.data(), headers.size);
    const size_t got = input.Read(kept->data() + prefix, kept->size() - prefix);
    kept->resize(prefix + got);
    return kept;
}

// The bit-field masks and the colour table, into the description.
void ReadMasksAndTable(const TBmpHeaders& headers, TBmpBody& body, gdi::BITMAPINFO& info) {
    if (headers.MasksFollow()) {
        uint8_t m[kMasksSize];
        body.Read(m, sizeof m);
        info.bmiMasks = {LoadLe32(m), LoadLe32(m + 4), LoadLe32(m + 8)};
    } else if (headers.BitFields() && headers.size >= kMasksInHeaderSize) {
        const uint8_t* m = headers.stored.data() + kInfoHeaderSize;
        info.bmiMasks = {LoadLe32(m), LoadLe32(m + 4), LoadLe32(m + 8)};
    }
    const size_t entrySize = headers.TableEntrySize();
    std::vector<uint8_t> table(info.bmiHeader.biClrUsed * entrySize);
    body.Read(table.data(), table.size());
    for (size_t at = 0; at < table.size(); at += entrySize)
        info.bmiColors.push_back({table[at], table[at + 1], table[at + 2], 0});
}

// Other programs often leave a gap before the rows (larger headers, alignment): the
// rows start where the file header says, when that lies past the table and inside
// the file.
void SkipToRows(const TBmpHeaders& headers, const gdi::BITMAPINFO& info, TBmpBody& body,
                int64_t length) {
    const int64_t afterTable = static_cast<int64_t>(
        kFileHeaderSize + headers.size + (headers.MasksFollow() ? kMasksSize : 0) +
        info.bmiColors.size() * headers.TableEntrySize());
    const int64_t offBits = headers.RowsOffset();
    if (offBits > afterTable && offBits < length) {
        body.stream->Seek(offBits - afterTable, SeekOrigin::Current);
        body.remaining -= offBits - afterTable;
    }
}

// How many bytes of rows to read: what the header says (or what the size gives),
// as far as the file holds them. What would need more than a picture may have is
// refused before anything is made.
uint64_t PixelBytes(gdi::BITMAPINFOHEADER& h, int64_t remaining) {
    const uint64_t stride = RowStride(h.biWidth, h.biBitCount);
    if (h.biWidth > 0) CheckPictureAllocation(stride * RowCount(h));
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // A fuzzer tries thousands of inputs a second; pictures of hundreds of megabytes
    // (as display-depth device bitmaps) would only spend that time filling memory.
    if (static_cast<uint64_t>(std::max(h.biWidth, 0)) * RowCount(h) * 4 > (uint64_t{2} << 20))
        throw EOutOfMemory(msg::kOutOfMemory);
#endif
    uint64_t pixelBytes = h.biSizeImage;
    if (pixelBytes == 0) {
        pixelBytes = stride * RowCount(h);
        h.biSizeImage = static_cast<uint32_t>(std::min<uint64_t>(pixelBytes, UINT32_MAX));
    }
    return std::min<uint64_t>(pixelBytes, static_cast<uint64_t>(std::max<int64_t>(remaining, 0)));
}

// Rows go straight into a new section; a short file fills the first rows only.
void ReadIntoSection(const gdi::BITMAPINFO& info, TStream& stream, uint64_t pixelBytes,
                     TBitmapImage& image) {
    gdi::HDC screen = gdi::GetDC();
    uint8_t* bits = nullptr;
    gdi::HBITMAP section = gdi::CreateDIBSection(screen, info, gdi::DIB_RGB_COLORS, &bits);
    gdi::ReleaseDC(screen);
    if (!section) Refused();
    gdi::DIBSECTION made;
    gdi::GetObject(section, made);
    const uint64_t capacity = static_cast<uint64_t>(made.dsBm.bmWidthBytes) * made.dsBm.bmHeight;
    stream.Read(bits, static_cast<size_t>(std::min(pixelBytes, capacity)));
    image.handle = section;
    image.section = section;
}

// A device bitmap has the display's depth, whatever the file's; the platform
// expands run-length data into it.
void ReadIntoDeviceBitmap(const gdi::BITMAPINFO& info, TStream& stream, uint64_t pixelBytes,
                          TBitmapImage& image) {
    const gdi::BITMAPINFOHEADER& h = info.bmiHeader;
    if (h.biWidth > 0) CheckPictureAllocation(static_cast<uint64_t>(h.biWidth) * RowCount(h) * 4);
    std::vector<uint8_t> data(static_cast<size_t>(pixelBytes));
    data.resize(stream.Read(data.data(), data.size()));
    gdi::HDC screen = gdi::GetDC();
    gdi::HDC memory = gdi::CreateCompatibleDC(screen);
    gdi::HBITMAP one = gdi::CreateCompatibleBitmap(screen, 1, 1);
    gdi::SelectObject(memory, one);
    gdi::HPALETTE palette = PaletteFromColors(info.bmiColors);
    if (palette) {
        gdi::SelectPalette(memory, palette, false);
        gdi::RealizePalette(memory);
    }
    gdi::HBITMAP bitmap = gdi::CreateDIBitmap(memory, h, gdi::CBM_INIT, data.data(), data.size(),
                                              info, gdi::DIB_RGB_COLORS);
    gdi::DeleteDC(memory);
    gdi::ReleaseDC(screen);
    if (!bitmap) Refused();
    image.handle = bitmap;
    image.palette = palette;
}
}  // namespace

void TBitmap::ReadStream(TStream& input, int64_t length) {
    FreeContext();
    if (length <= 0) {
        // An empty file is an empty bitmap, without an error and without a change.
        auto empty = std::make_shared<TBitmapImage>();
        InstallImage(std::move(empty));
        return;
    }
    TBmpHeaders headers = ReadHeaders(input, length);
    TBmpBody body{&input, length - static_cast<int64_t>(kFileHeaderSize + headers.size)};

    auto fresh = std::make_shared<TBitmapImage>();
    fresh->coreHeaderOrigin = headers.core;
    // A file kept whole is read on from that copy.
    std::optional<TReadOnlyMemoryStream> keptStream;
    if (headers.KeptWhole()) {
        auto kept = KeepFile(headers, input, body.remaining);
        const size_t prefix = kFileHeaderSize + headers.size;
        keptStream.emplace(kept->data(), kept->size());
        keptStream->SetPosition(static_cast<int64_t>(prefix));
        body = {&*keptStream, static_cast<int64_t>(kept->size() - prefix)};
        fresh->keptFileBytes = std::move(kept);
    }

    gdi::BITMAPINFO info;
    info.bmiHeader = headers.info;
    info.bmiHeader.biSize = kInfoHeaderSize;
    info.bmiHeader.biClrUsed = headers.TableEntries();
    ReadMasksAndTable(headers, body, info);
    SkipToRows(headers, info, body, length);
    const uint64_t pixelBytes = PixelBytes(info.bmiHeader, body.remaining);

    gdi::SetLastError(gdi::ERROR_SUCCESS);
    if (!headers.KeptWhole() && !DeviceBitmapsOnly)
        ReadIntoSection(info, *body.stream, pixelBytes, *fresh);
    else
        ReadIntoDeviceBitmap(info, *body.stream, pixelBytes, *fresh);
    const gdi::BITMAPINFOHEADER& h = info.bmiHeader;
    if (h.biBitCount > 8 && !fresh->palette) fresh->palette = PaletteFromColors(info.bmiColors);
    gdi::GetObject(fresh->handle, fresh->description);
    fresh->description.dsBmih.biXPelsPerMeter = h.biXPelsPerMeter;
    fresh->description.dsBmih.biYPelsPerMeter = h.biYPelsPerMeter;
    fresh->description.dsBmih.biClrUsed = h.biClrUsed;
    fresh->description.dsBmih.biClrImportant = h.biClrImportant;
    InstallImage(std::move(fresh));
    noPaletteAvailable_ = false;
    maskValid_ = false;
    if (image_->palette) SetPaletteDirty(true);
    NotifyChanged(this);
}

void TBitmap::WriteStream(TStream& stream) {
    if (image_->keptFileBytes) {
        stream.WriteBuffer(image_->keptFileBytes->data(), image_->keptFileBytes->size());
        return;
    }
    HandleNeeded();
    if (!image_->handle && !image_->section) return;

    // What is written: the section's header, colour table and rows. A device bitmap
    // is copied into a section of its own depth first, rows bottom-up.
    gdi::BITMAPINFO info;
    std::vector<uint8_t> converted;
    TMemoryCharge convertedCharge;  // the copy counts against the memory budget too
    const uint8_t* rows = nullptr;
    const TBitmapImage& image = *image_;
    if (image.section) {
        const gdi::DIBSECTION& d = image.description;
        info.bmiHeader = d.dsBmih;
        info.bmiHeader.biSize = kInfoHeaderSize;
        info.bmiMasks = d.dsBitfields;
        info.bmiHeader.biSizeImage = static_cast<uint32_t>(d.dsBm.bmWidthBytes) * d.dsBm.bmHeight;
        rows = d.dsBm.bmBits;
        FreeContext();
        gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
        gdi::SelectObject(dc, image.section);
        gdi::RGBQUAD table[256];
        info.bmiColors.assign(table, table + gdi::GetDIBColorTable(dc, 0, 256, table));
        gdi::DeleteDC(dc);
    } else {
        auto& h = info.bmiHeader;
        h.biWidth = Width();
        h.biHeight = Height();
        h.biBitCount = image.description.dsBm.bmBitsPixel;
        h.biCompression = gdi::BI_RGB;
        const uint64_t bytes = RowStride(h.biWidth, h.biBitCount) * h.biHeight;
        convertedCharge = TMemoryCharge(bytes);
        converted.resize(bytes);
        FreeContext();
        gdi::HDC screen = gdi::GetDC();
        gdi::GetDIBits(screen, image.handle, 0, h.biHeight, converted.data(), info,
                       gdi::DIB_RGB_COLORS);
        gdi::ReleaseDC(screen);
        h.biXPelsPerMeter = image.description.dsBmih.biXPelsPerMeter;
        h.biYPelsPerMeter = image.description.dsBmih.biYPelsPerMeter;
        h.biClrUsed = 0;
        h.biClrImportant = 0;
        rows = converted.data();
    }
    auto& h = info.bmiHeader;
    size_t colorCount = info.bmiColors.size();
    if (h.biClrUsed > 0 && h.biClrUsed < colorCount) colorCount = h.biClrUsed;
    info.bmiColors.resize(colorCount);
    if (!image.coreHeaderOrigin && colorCount == 0 && image.palette && !image.halftonePalette) {
        // Pictures of more than 8 bits may carry their palette as an optional table.
        info.bmiColors = PaletteColors(image.palette, 256);
        colorCount = info.bmiColors.size();
    }
    const bool bitfields = h.biBitCount > 8 && h.biCompression == gdi::BI_BITFIELDS;
    if (bitfields && info.bmiMasks == std::array<uint32_t, 3>{})
        info.bmiMasks = h.biBitCount == 16
                            ? std::array<uint32_t, 3>{0xF800, 0x07E0, 0x001F}
                            : std::array<uint32_t, 3>{0x00FF0000, 0x0000FF00, 0x000000FF};
    if (colorCount != 0) h.biClrUsed = static_cast<uint32_t>(colorCount);

    std::vector<uint8_t> head;
    if (image.coreHeaderOrigin) {
        const size_t entries = h.biBitCount <= 8 ? (size_t{1} << h.biBitCount) : 0;
        head.assign(kFileHeaderSize + kCoreHeaderSize + 3 * entries, 0);
        uint8_t* c = &head[kFileHeaderSize];
        StoreLe32(c, kCoreHeaderSize);
        StoreLe16(c + 4, static_cast<uint16_t>(h.biWidth));
        StoreLe16(c + 6, static_cast<uint16_t>(h.biHeight));
        StoreLe16(c + 8, 1);
        StoreLe16(c + 10, h.biBitCount);
        for (size_t i = 0; i < std::min(entries, info.bmiColors.size()); ++i) {
            c[12 + 3 * i] = info.bmiColors[i].rgbBlue;
            c[13 + 3 * i] = info.bmiColors[i].rgbGreen;
            c[14 + 3 * i] = info.bmiColors[i].rgbRed;
        }
    } else {
        head.assign(kFileHeaderSize + kInfoHeaderSize + (bitfields ? 12 : 0) + 4 * colorCount, 0);
        uint8_t* p = &head[kFileHeaderSize];
        StoreLe32(p, kInfoHeaderSize);
        StoreLe32(p + 4, static_cast<uint32_t>(h.biWidth));
        StoreLe32(p + 8, static_cast<uint32_t>(h.biHeight));
        StoreLe16(p + 12, 1);
        StoreLe16(p + 14, h.biBitCount);
        StoreLe32(p + 16, h.biCompression);
        StoreLe32(p + 20, h.biSizeImage);
        StoreLe32(p + 24, static_cast<uint32_t>(h.biXPelsPerMeter));
        StoreLe32(p + 28, static_cast<uint32_t>(h.biYPelsPerMeter));
        StoreLe32(p + 32, h.biClrUsed);
        StoreLe32(p + 36, h.biClrImportant);
        uint8_t* t = p + kInfoHeaderSize;
        if (bitfields) {
            for (int i = 0; i < 3; ++i) StoreLe32(t + 4 * i, info.bmiMasks[i]);
            t += 12;
        }
        for (size_t i = 0; i < colorCount; ++i) {
            t[4 * i] = info.bmiColors[i].rgbBlue;
            t[4 * i + 1] = info.bmiColors[i].rgbGreen;
            t[4 * i + 2] = info.bmiColors[i].rgbRed;
        }
    }
    const uint32_t offBits = static_cast<uint32_t>(head.size());
    StoreLe16(&head[0], kBmpMagic);
    StoreLe32(&head[2], offBits + h.biSizeImage);
    StoreLe32(&head[10], offBits);
    stream.WriteBuffer(head.data(), head.size());
    stream.WriteBuffer(rows, h.biSizeImage);
}

}  // namespace vardel
