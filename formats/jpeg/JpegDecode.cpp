// Decoding a JPEG picture into its bitmap: rows straight from libjpeg into the
// bitmap's own rows, quantised output with its colour map as palette, and the
// buffered-image mode that shows every scan of a multi-scan file as it arrives.
#include <algorithm>
#include <vector>

#include "formats/jpeg/Jpeg.h"
#include "formats/jpeg/JpegDecoder.h"
#include "formats/jpeg/JpegPalette.h"

namespace vardel {
namespace {

// Reads the rest of the current output pass into the bitmap. The library fills
// rows through an array of row addresses, so the bitmap's row order and padding do
// not matter and every call takes as many rows as the library offers.
void ReadRows(jpeg::TJpegDecompressor& decoder, TBitmap& bitmap) {
    jpeg_decompress_struct& info = decoder.Info();
    const JDIMENSION height = info.output_height;
    if (height == 0) return;
    const size_t rowBytes = size_t{info.output_width} * static_cast<size_t>(info.output_components);
    const size_t bitmapRowBytes = bitmap.PixelLayout() == TPixelLayout::Format8Bit
                                      ? size_t(bitmap.Width())
                                      : size_t(bitmap.Width()) * 3;
    // Rows that do not fit the decoder's output would be overrun: checked even in
    // release builds, as the cost is nothing beside a decode.
    if (bitmap.Height() != static_cast<int>(height) || rowBytes != bitmapRowBytes)
        throw EInvalidGraphic(msg::kInvalidGraphic);

    std::vector<JSAMPROW> rows(std::max<JDIMENSION>(info.rec_outbuf_height, 1));
    while (info.output_scanline < height) {
        const JDIMENSION first = info.output_scanline;
        const JDIMENSION count =
            std::min<JDIMENSION>(static_cast<JDIMENSION>(rows.size()), height - first);
        // Asked for each call: a copy of the bitmap made meanwhile (by a progress
        // subscriber) gives it rows of its own.
        uint8_t* base = bitmap.ScanRow(static_cast<int>(first));
        const ptrdiff_t step = count > 1 ? bitmap.ScanRow(static_cast<int>(first) + 1) - base : 0;
        for (JDIMENSION k = 0; k < count; ++k) rows[k] = base + static_cast<ptrdiff_t>(k) * step;
        JDIMENSION read = 0;
        decoder.Run([&] { read = jpeg_read_scanlines(&info, rows.data(), count); });
        if (read == 0) break;  // the library has no more rows to give
    }
}

// Gives the bitmap rows of the decoder's output size: a section stored top row
// first, of blue, green and red bytes, or of one byte a pixel with a full table
// (a pass of a buffered decode may bring a map larger than the first one). The
// section arrives zeroed; filling it first would cost a pass over the whole
// picture for rows that the decoder writes anyway.
void AttachRows(TBitmap& bitmap, const jpeg_decompress_struct& info, bool quantised) {
    gdi::BITMAPINFO description;
    description.bmiHeader.biWidth = static_cast<int32_t>(info.output_width);
    description.bmiHeader.biHeight = -static_cast<int32_t>(info.output_height);
    description.bmiHeader.biBitCount = quantised ? 8 : 24;
    if (quantised) {
        description.bmiColors.resize(256);
        description.bmiHeader.biClrUsed = 256;
    }
    gdi::HDC screen = gdi::GetDC();
    gdi::HBITMAP section = gdi::CreateDIBSection(screen, description, gdi::DIB_RGB_COLORS, nullptr);
    gdi::ReleaseDC(screen);
    if (!section) throw EOutOfMemory(msg::kOutOfMemory);
    bitmap.AttachHandle(section);
}

}  // namespace

TBitmap& TJPEGImage::DecodeBitmap() {
    if (decodedBitmap_) return *decodedBitmap_;
    // Kept before decoding starts, so that a failure leaves the rows decoded so far
    // for later draws, which do not try again.
    const auto bitmap = std::make_shared<TBitmap>();
    decodedBitmap_ = bitmap;
    const std::shared_ptr<const TJPEGData> data = sharedJpeg_;  // alive whatever happens meanwhile
    try {
        Decode(*bitmap, *data);
    } catch (const EAbort&) {
        // A progress subscriber stopped the decode: keep what was decoded, quietly.
    }
    // A progress subscriber may have replaced the data while this decode ran; the
    // caller then gets the bitmap of the current data.
    if (decodedBitmap_ != bitmap) return DecodeBitmap();
    return *bitmap;
}

void TJPEGImage::Decode(TBitmap& bitmap, const TJPEGData& data) {
    static const std::vector<uint8_t> kNoBytes;
    jpeg::TJpegDecompressor decoder(data.JpegBytes ? *data.JpegBytes : kNoBytes);
    decoder.AttachProgress(this);
    decoder.ReadHeader();
    const TJPEGSettings settings = settings_;
    const jpeg::TDecodeChoices choices = decoder.Configure(settings);
    jpeg_decompress_struct& info = decoder.Info();

    Progress(this, TProgressStage::psStarting, 0, false, gdi::RECT{}, std::string());
    try {
        // A held palette is the map that 8-bit output is quantised onto.
        JSAMPARRAY heldMap = nullptr;
        if (heldPalette_) {
            if (settings.OutputDepth == TJPEGOutputDepth::Depth8Bit) {
                if (jpeg::ColormapFromPalette(decoder, heldPalette_)) heldMap = info.colormap;
            } else {
                heldPalette_.reset();
            }
        }
        decoder.CheckMemory(choices);
        decoder.Run([&info] { jpeg_start_decompress(&info); });
        // The library makes its own map where the held one cannot apply (grey
        // output); the bitmap must then carry the library's map, not the held one.
        const bool heldMapUsed = heldMap && info.colormap == heldMap;
        // Before the rows of each output pass: the pass's colours (the library
        // makes its maps when a pass starts), and the rows themselves the first time.
        const auto beginPass = [&] {
            gdi::HPALETTE palette;
            if (choices.quantized)
                palette =
                    heldMapUsed ? jpeg::CopyPalette(heldPalette_) : jpeg::PaletteFromColormap(info);
            if (bitmap.IsEmpty()) AttachRows(bitmap, info, choices.quantized);
            if (!palette) return;
            bitmap.SetPalette(palette);
            if (!heldMapUsed) SetPaletteDirty(true);
        };

        if (choices.buffered) {
            for (;;) {
                bool complete = false;
                decoder.Run([&] { complete = jpeg_input_complete(&info); });
                if (complete) break;
                jpeg::CheckScanCount(&info);
                decoder.Run([&info] { jpeg_start_output(&info, info.input_scan_number); });
                beginPass();
                ReadRows(decoder, bitmap);
                decoder.Run([&info] { jpeg_finish_output(&info); });
            }
            // The final pass from the complete data, with the settings' own quality.
            info.dct_method = choices.dctMethod;
            info.dither_mode = choices.ditherMode;
            if (choices.twoPassQuantize && !heldMapUsed) {
                info.two_pass_quantize = TRUE;
                info.colormap = nullptr;
            }
            decoder.Run([&info] { jpeg_start_output(&info, info.input_scan_number); });
        }
        beginPass();
        ReadRows(decoder, bitmap);
        if (choices.buffered) decoder.Run([&info] { jpeg_finish_output(&info); });
        decoder.Run([&info] { jpeg_finish_decompress(&info); });
    } catch (...) {
        Progress(this, TProgressStage::psEnding, 0, PaletteDirty(), gdi::RECT{}, std::string());
        if (PaletteDirty()) NotifyChanged(this);
        throw;
    }
    Progress(this, TProgressStage::psEnding, 100, PaletteDirty(), gdi::RECT{}, std::string());
    if (PaletteDirty()) NotifyChanged(this);
}

}  // namespace vardel
