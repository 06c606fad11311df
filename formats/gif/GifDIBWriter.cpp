#include "formats/gif/GifDIBWriter.h"

#include <cstring>
#include <new>

#include "formats/gif/GifException.h"
#include "platform/runtime/ByteOrder.h"
#include "platform/runtime/Exceptions.h"
#include "platform/runtime/MemoryBudget.h"

namespace vardel {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

}  // namespace

TDIBWriter::TDIBWriter(TBitmap& bitmap, const gdi::HPALETTE& palette, int height, int width,
                       TPixelLayout layout)
    : TDIB(bitmap, layout), width_(width), height_(height), palette_(palette) {
    if (layout != TPixelLayout::Format8Bit && layout != TPixelLayout::Format24Bit)
        throw GIFException(gifmsg::kUnsupportedPixelFormat);
    if (width <= 0 || height <= 0) throw GIFException(gifmsg::kInvalidDimensions);
    bits_ = layout == TPixelLayout::Format8Bit ? 8 : 24;
}

void TDIBWriter::MakeMemory() {
    rowBytes_ = (static_cast<size_t>(width_) * static_cast<size_t>(bits_) + 31) / 32 * 4;
    const uint64_t pixelBytes = uint64_t{rowBytes_} * static_cast<uint64_t>(height_);
    CheckPictureAllocation(pixelBytes);
    const size_t tableBytes = bits_ == 8 ? 256 * 4 : 0;
    pixelOffset_ = kFileHeaderSize + kInfoHeaderSize + tableBytes;
    fileCharge_ = TMemoryCharge(pixelOffset_ + pixelBytes);
    try {
        file_.assign(pixelOffset_ + static_cast<size_t>(pixelBytes), 0);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(gifmsg::kDIBMemory);
    }
    uint8_t* p = file_.data();
    // BITMAPFILEHEADER
    p[0] = 'B';
    p[1] = 'M';
    StoreLe32(p + 2, static_cast<uint32_t>(file_.size()));
    StoreLe32(p + 10, static_cast<uint32_t>(pixelOffset_));
    // BITMAPINFOHEADER: a positive height stores the rows bottom-up.
    uint8_t* info = p + kFileHeaderSize;
    StoreLe32(info, kInfoHeaderSize);
    StoreLe32(info + 4, static_cast<uint32_t>(width_));
    StoreLe32(info + 8, static_cast<uint32_t>(height_));
    StoreLe16(info + 12, 1);
    StoreLe16(info + 14, static_cast<uint16_t>(bits_));
    if (bits_ == 8) {
        std::vector<gdi::PALETTEENTRY> entries(256);
        const unsigned count =
            palette_ ? gdi::GetPaletteEntries(palette_, 0, 256, entries.data()) : 0;
        StoreLe32(info + 32, 256);    // colours used
        StoreLe32(info + 36, count);  // important colours
        uint8_t* table = info + kInfoHeaderSize;
        for (unsigned i = 0; i < count; ++i) {
            table[4 * i] = entries[i].peBlue;
            table[4 * i + 1] = entries[i].peGreen;
            table[4 * i + 2] = entries[i].peRed;
        }
    }
}

uint8_t* TDIBWriter::ScanRow(int y) {
    if (finished_) throw GIFException(gifmsg::kNoDIB);
    if (file_.empty()) MakeMemory();
    if (y < 0 || y >= height_) throw EInvalidGraphicOperation(msg::kScanLine);
    gdi::GdiFlush();
    return file_.data() + pixelOffset_ + rowBytes_ * static_cast<size_t>(height_ - 1 - y);
}

void TDIBWriter::Finish() {
    if (finished_) return;
    finished_ = true;
    if (file_.empty()) return;  // no row was written: nothing to hand over
    std::vector<uint8_t> file = std::move(file_);
    const TMemoryCharge charge = std::move(fileCharge_);  // goes with the bytes
    TReadOnlyMemoryStream stream(file.data(), file.size());
    Bitmap().LoadStream(stream);
}

}  // namespace vardel
