// Reading and writing PNG files: the graphics layer's libpng codec straight into and
// out of the bitmap's rows.
#include <exception>

#include "formats/png/PngImage.h"
#include "platform/gdi/Png.h"
#include "platform/runtime/Exceptions.h"

namespace vardel {

namespace {

// The stream's own failures (a file that cannot be read or written) are raised as
// they are; the codec only hears that the data stopped.
class TStreamFailure {
  public:
    template <typename F>
    size_t Guard(F&& transfer) noexcept {
        try {
            return transfer();
        } catch (...) {
            error_ = std::current_exception();
            return 0;
        }
    }
    void RaiseIfAny() const {
        if (error_) std::rethrow_exception(error_);
    }

  private:
    std::exception_ptr error_;
};

[[noreturn]] void Refuse(const gdi::PngReader& reader, const TStreamFailure& stream) {
    stream.RaiseIfAny();
    throw EInvalidGraphic(Format(kPngInvalid, {reader.Failure()}));
}

// Rows of a 24- or 32-bit section as the codec wants them: top first.
gdi::PngPixels SectionRows(const TBitmapImage& image) {
    const gdi::DIBSECTION& d = image.description;
    const ptrdiff_t stride = d.dsBm.bmWidthBytes;
    const bool bottomUp = d.dsBmih.biHeight > 0;
    gdi::PngPixels rows;
    rows.width = static_cast<uint32_t>(d.dsBm.bmWidth);
    rows.height = static_cast<uint32_t>(d.dsBm.bmHeight);
    rows.top = d.dsBm.bmBits + (bottomUp ? stride * (d.dsBm.bmHeight - 1) : 0);
    rows.step = bottomUp ? -stride : stride;
    rows.bytesPerPixel = d.dsBmih.biBitCount / 8;
    return rows;
}

bool AnyTransparent(const gdi::PngPixels& rows) {
    for (uint32_t y = 0; y < rows.height; ++y) {
        const uint8_t* row = rows.top + rows.step * static_cast<ptrdiff_t>(y);
        for (uint32_t x = 0; x < rows.width; ++x)
            if (row[4 * x + 3] != 255) return true;
    }
    return false;
}

void Write(const gdi::PngPixels& rows, TStream& stream) {
    TStreamFailure failure;
    std::string reason;
    const bool written = gdi::WritePng(
        rows,
        [&](const uint8_t* bytes, size_t count) {
            return failure.Guard([&] {
                stream.WriteBuffer(bytes, count);
                return count;
            });
        },
        reason);
    if (written) return;
    failure.RaiseIfAny();
    throw EInvalidGraphic(Format(kPngNotWritten, {reason}));
}

}  // namespace

void TPngImage::LoadStream(TStream& stream) {
    TStreamFailure failure;
    gdi::PngReader reader([&](uint8_t* bytes, size_t count) {
        return failure.Guard([&] { return stream.Read(bytes, count); });
    });
    gdi::PngHeader header;
    if (!reader.ReadHeader(header)) Refuse(reader, failure);

    // Checked before anything that large exists.
    const int bits = header.transparency ? 32 : 24;
    const uint64_t stride = (uint64_t{header.width} * bits + 31) / 32 * 4;
    CheckPictureAllocation(stride * header.height);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // A fuzzer tries thousands of inputs a second; pictures of hundreds of megabytes
    // would only spend that time filling memory.
    if (stride * header.height > (uint64_t{16} << 20)) throw EOutOfMemory(msg::kOutOfMemory);
#endif
    // Rows top first, as in the file.
    gdi::BITMAPINFO info;
    info.bmiHeader.biWidth = static_cast<int32_t>(header.width);
    info.bmiHeader.biHeight = -static_cast<int32_t>(header.height);
    info.bmiHeader.biBitCount = static_cast<uint16_t>(bits);
    gdi::HDC screen = gdi::GetDC();
    uint8_t* pixels = nullptr;
    gdi::HBITMAP section = gdi::CreateDIBSection(screen, info, gdi::DIB_RGB_COLORS, &pixels);
    gdi::ReleaseDC(screen);
    if (!section || !pixels) throw EOutOfMemory(msg::kOutOfMemory);
    gdi::DIBSECTION made;
    gdi::GetObject(section, made);
    if (!reader.ReadPixels(pixels, made.dsBm.bmWidthBytes, header.transparency))
        Refuse(reader, failure);

    alpha_ = header.transparency;
    facts_ = {header.bitDepth, header.colorType, header.interlaced};
    AttachHandle(section);
}

void TPngImage::SaveStream(TStream& stream) {
    if (IsEmpty()) return;
    const TBitmapImage& image = Image();
    const gdi::BITMAPINFOHEADER& h = image.description.dsBmih;
    const bool rowsAsTheyAre =
        image.section && image.handle == image.section &&
        (h.biBitCount == 24 || (h.biBitCount == 32 && h.biCompression == gdi::BI_RGB));
    if (rowsAsTheyAre) {
        gdi::PngPixels rows = SectionRows(image);
        rows.alpha = HasAlpha() && AnyTransparent(rows);
        Write(rows, stream);
        return;
    }
    // Other layouts and device bitmaps go through a 24-bit copy of their colours.
    TBitmap copy;
    copy.SetPixelLayout(TPixelLayout::Format24Bit);
    copy.SetSize(Width(), Height());
    copy.Surface().CopyRect({0, 0, Width(), Height()}, Surface(), {0, 0, Width(), Height()});
    Write(SectionRows(copy.Image()), stream);
}

}  // namespace vardel
