// BMP files: reading into a section (or, for run-length data, a device bitmap with
// the file kept as read) and writing the section back.
#include <algorithm>
#include <cstring>

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
constexpr size_t kFileHeaderSize = 14;

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
}  // namespace

void TBitmap::ReadStream(TStream& input, int64_t length) {
    FreeContext();
    if (length <= 0) {
        // An empty file is an empty bitmap, without an error and without a change.
        auto empty = std::make_shared<TBitmapImage>();
        InstallImage(std::move(empty));
        return;
    }
    uint8_t fileHeader[kFileHeaderSize];
    input.ReadBuffer(fileHeader, sizeof fileHeader);
    if (LoadLe16(fileHeader) != kBmpMagic) NotValid();
    int64_t remaining = length - static_cast<int64_t>(kFileHeaderSize);

    uint8_t sizeField[4];
    input.ReadBuffer(sizeField, 4);
    const uint32_t headerSize = LoadLe32(sizeField);
    const bool core = headerSize == kCoreHeaderSize;
    if (!core && headerSize < kInfoHeaderSize) NotValid();
    if (headerSize > static_cast<uint64_t>(remaining)) throw EReadError(msg::kStreamRead);
    std::vector<uint8_t> header(std::max<uint32_t>(headerSize, kInfoHeaderSize), 0);
    StoreLe32(header.data(), headerSize);
    gdi::BITMAPINFO info;
    auto& h = info.bmiHeader;
    if (core) {
        uint8_t c[8];
        input.ReadBuffer(c, sizeof c);
        h.biWidth = LoadLe16(c);
        h.biHeight = LoadLe16(c + 2);
        h.biPlanes = LoadLe16(c + 4);
        h.biBitCount = LoadLe16(c + 6);
    } else {
        input.ReadBuffer(header.data() + 4, headerSize - 4);
        const uint8_t* p = header.data();
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
    remaining -= headerSize;

    // Run-length (and any other compressed) files are kept whole, as read, until the
    // picture changes; reading goes on from that copy.
    std::shared_ptr<std::vector<uint8_t>> kept;
    std::unique_ptr<TReadOnlyMemoryStream> keptStream;
    TStream* stream = &input;
    if (!core && h.biCompression != gdi::BI_RGB && h.biCompression != gdi::BI_BITFIELDS) {
        const size_t prefix = kFileHeaderSize + headerSize;
        kept = std::make_shared<std::vector<uint8_t>>(
            prefix + static_cast<size_t>(std::max<int64_t>(remaining, 0)));
        std::memcpy(kept->data(), fileHeader, kFileHeaderSize);
        std::memcpy(kept->data() + kFileHeaderSize, header.data(), headerSize);
        const size_t got = input.Read(kept->data() + prefix, kept->size() - prefix);
        kept->resize(prefix + got);
        keptStream = std::make_unique<TReadOnlyMemoryStream>(kept->data(), kept->size());
        keptStream->SetPosition(static_cast<int64_t>(prefix));
        stream = keptStream.get();
        remaining = static_cast<int64_t>(got);
    }

    h.biSize = kInfoHeaderSize;
    if (h.biPlanes != 1) NotValid();

    const bool bitfields =
        h.biCompression == gdi::BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32);
    if (bitfields && headerSize == kInfoHeaderSize) {
        uint8_t m[12];
        stream->ReadBuffer(m, sizeof m);
        info.bmiMasks = {LoadLe32(m), LoadLe32(m + 4), LoadLe32(m + 8)};
        remaining -= 12;
    } else if (bitfields && headerSize >= 52) {
        // Larger headers carry the masks inside them.
        info.bmiMasks = {LoadLe32(&header[40]), LoadLe32(&header[44]), LoadLe32(&header[48])};
    }

    uint32_t colors = h.biClrUsed;
    if (colors == 0 && (h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8))
        colors = 1u << h.biBitCount;
    if (colors > 256) NotValid();
    h.biClrUsed = colors;
    const size_t entrySize = core ? 3 : 4;
    std::vector<uint8_t> table(colors * entrySize);
    stream->ReadBuffer(table.data(), table.size());
    remaining -= static_cast<int64_t>(table.size());
    for (uint32_t i = 0; i < colors; ++i) {
        const uint8_t* e = &table[i * entrySize];
        info.bmiColors.push_back({e[0], e[1], e[2], 0});
    }

    // Other programs often leave a gap before the rows (larger headers, alignment):
    // the rows start where the file header says, when that lies past the table and
    // inside the file.
    const int64_t afterTable =
        static_cast<int64_t>(kFileHeaderSize + headerSize +
                             (bitfields && headerSize == kInfoHeaderSize ? 12 : 0) + table.size());
    const int64_t offBits = LoadLe32(fileHeader + 10);
    if (offBits > afterTable && offBits < length) {
        stream->Seek(offBits - afterTable, SeekOrigin::Current);
        remaining -= offBits - afterTable;
    }

    const int64_t height = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
    const uint64_t stride = RowStride(h.biWidth, h.biBitCount);
    // Refuse what would need more than a picture may have before anything is made.
    if (h.biWidth > 0) CheckPictureAllocation(stride * static_cast<uint64_t>(height));
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // A fuzzer tries thousands of inputs a second; pictures of hundreds of megabytes
    // (as display-depth device bitmaps) would only spend that time filling memory.
    if (static_cast<uint64_t>(std::max(h.biWidth, 0)) * static_cast<uint64_t>(height) * 4 >
        (uint64_t{2} << 20))
        throw EOutOfMemory(msg::kOutOfMemory);
#endif
    uint64_t pixelBytes = h.biSizeImage;
    if (pixelBytes == 0) {
        pixelBytes = stride * static_cast<uint64_t>(height);
        h.biSizeImage = static_cast<uint32_t>(std::min<uint64_t>(pixelBytes, UINT32_MAX));
    }
    pixelBytes =
        std::min<uint64_t>(pixelBytes, static_cast<uint64_t>(std::max<int64_t>(remaining, 0)));

    auto fresh = std::make_shared<TBitmapImage>();
    fresh->keptFileBytes = kept;
    fresh->coreHeaderOrigin = core;
    gdi::SetLastError(gdi::ERROR_SUCCESS);
    gdi::HDC screen = gdi::GetDC();
    if ((h.biCompression == gdi::BI_RGB || h.biCompression == gdi::BI_BITFIELDS) &&
        !DeviceBitmapsOnly) {
        uint8_t* bits = nullptr;
        gdi::HBITMAP section = gdi::CreateDIBSection(screen, info, gdi::DIB_RGB_COLORS, &bits);
        gdi::ReleaseDC(screen);
        if (!section) Refused();
        gdi::DIBSECTION made;
        gdi::GetObject(section, made);
        // Rows go straight into the section; a short file fills the first rows only.
        const uint64_t capacity =
            static_cast<uint64_t>(made.dsBm.bmWidthBytes) * made.dsBm.bmHeight;
        const size_t want = static_cast<size_t>(std::min(pixelBytes, capacity));
        stream->Read(bits, want);
        fresh->handle = section;
        fresh->section = section;
    } else {
        // A device bitmap has the display's depth, whatever the file's.
        if (h.biWidth > 0)
            CheckPictureAllocation(static_cast<uint64_t>(h.biWidth) *
                                   static_cast<uint64_t>(height) * 4);
        std::vector<uint8_t> data(static_cast<size_t>(pixelBytes));
        data.resize(stream->Read(data.data(), data.size()));
        gdi::HDC memory = gdi::CreateCompatibleDC(screen);
        gdi::HBITMAP one = gdi::CreateCompatibleBitmap(screen, 1, 1);
        gdi::SelectObject(memory, one);
        gdi::HPALETTE palette = PaletteFromColors(info.bmiColors);
        if (palette) {
            gdi::SelectPalette(memory, palette, false);
            gdi::RealizePalette(memory);
        }
        gdi::HBITMAP bitmap = gdi::CreateDIBitmap(memory, h, gdi::CBM_INIT, data.data(),
                                                  data.size(), info, gdi::DIB_RGB_COLORS);
        gdi::DeleteDC(memory);
        gdi::ReleaseDC(screen);
        if (!bitmap) Refused();
        fresh->handle = bitmap;
        fresh->palette = palette;
    }
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
        converted.resize(RowStride(h.biWidth, h.biBitCount) * h.biHeight);
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
