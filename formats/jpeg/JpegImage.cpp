// The JPEG picture as a graphic: loading, sizes, palette, assignment and saving.
// Decoding is in JpegDecode.cpp.
#include <utility>

#include "formats/jpeg/Jpeg.h"
#include "formats/jpeg/JpegDecoder.h"
#include "graphics/Canvas.h"
#include "platform/runtime/MemoryBudget.h"

namespace vardel {

VARDEL_DEFINE_GRAPHIC_CLASS(TJPEGImage, TGraphic)

TJPEGImage::TJPEGImage() : sharedJpeg_(std::make_shared<TJPEGData>()), settings_(JpegDefaults()) {}

TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::DropBitmap() {
    decodedBitmap_.reset();
    outputSizeStale_ = true;
}

void TJPEGImage::LoadStream(TStream& stream) {
    ReadJpeg(stream.Remaining(), stream);
}

// Everything is read and checked before anything is replaced, so a file that is
// refused leaves the picture as it was.
void TJPEGImage::ReadJpeg(int64_t count, TStream& stream) {
    if (count < 0) count = 0;
    CheckPictureAllocation(static_cast<unsigned long long>(count));
    auto data = std::make_shared<TJPEGData>();
    data->JpegBytes.emplace(static_cast<size_t>(count));
    std::vector<uint8_t>& bytes = *data->JpegBytes;
    if (!bytes.empty()) stream.ReadBuffer(bytes.data(), bytes.size());

    bool multiScan = false;
    if (!bytes.empty()) {
        jpeg::TJpegDecompressor decoder(bytes);
        decoder.ReadHeader();
        const jpeg_decompress_struct& info = decoder.Info();
        data->JpegWidth = static_cast<int>(info.image_width);
        data->JpegHeight = static_cast<int>(info.image_height);
        data->JpegIsGray = info.jpeg_color_space == JCS_GRAYSCALE;
        data->JpegIsProgressive = info.progressive_mode;
        // A header that announces more pixels than a picture may hold is refused
        // now rather than at the first draw.
        const jpeg::TDecodeChoices choices = decoder.Configure(settings_);
        multiScan = choices.multiScan;
        decoder.CheckMemory(choices);
    }

    sharedJpeg_ = std::move(data);
    DropBitmap();
    settings_.MultiScan = multiScan;
    SetPaletteDirty(true);
    NotifyChanged(this);
}

void TJPEGImage::SaveFile(std::string_view fileName) {
    // Refused before the file is created, so no empty file is left behind.
    if (!sharedJpeg_->JpegBytes) throw EInvalidGraphicOperation(kJpegNothingToSave);
    TGraphic::SaveFile(fileName);
}

void TJPEGImage::SaveStream(TStream& stream) {
    if (!sharedJpeg_->JpegBytes) throw EInvalidGraphicOperation(kJpegNothingToSave);
    const std::vector<uint8_t>& bytes = *sharedJpeg_->JpegBytes;
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size());
}

void TJPEGImage::Render(TCanvas& canvas, const gdi::RECT& rect) {
    canvas.DrawGraphicStretched(rect, &DecodeBitmap());
}

bool TJPEGImage::IsEmpty() const {
    return !sharedJpeg_->JpegBytes && (!decodedBitmap_ || decodedBitmap_->IsEmpty());
}

void TJPEGImage::ComputeOutputSize() const {
    if (!outputSizeStale_) return;
    outputWidth_ = outputHeight_ = 0;
    if (sharedJpeg_->JpegBytes && !sharedJpeg_->JpegBytes->empty()) {
        jpeg::TJpegDecompressor decoder(*sharedJpeg_->JpegBytes);
        decoder.ReadHeader();
        decoder.Configure(settings_);
        decoder.Run([&decoder] { jpeg_calc_output_dimensions(&decoder.Info()); });
        outputWidth_ = static_cast<int>(decoder.Info().output_width);
        outputHeight_ = static_cast<int>(decoder.Info().output_height);
    }
    outputSizeStale_ = false;
}

int TJPEGImage::Width() const {
    if (decodedBitmap_) return decodedBitmap_->Width();
    if (settings_.ScaleShift == 0) return sharedJpeg_->JpegWidth;
    ComputeOutputSize();
    return outputWidth_;
}

int TJPEGImage::Height() const {
    if (decodedBitmap_) return decodedBitmap_->Height();
    if (settings_.ScaleShift == 0) return sharedJpeg_->JpegHeight;
    ComputeOutputSize();
    return outputHeight_;
}

void TJPEGImage::SetWidth(int) {
    throw EInvalidGraphicOperation(kJpegSizeFixed);
}
void TJPEGImage::SetHeight(int) {
    throw EInvalidGraphicOperation(kJpegSizeFixed);
}

gdi::HPALETTE TJPEGImage::Palette() {
    if (decodedBitmap_) return decodedBitmap_->Palette();
    if (heldPalette_) return heldPalette_;
    if (settings_.OutputDepth == TJPEGOutputDepth::Depth24Bit) {
        gdi::HDC screen = gdi::GetDC();
        const int bits =
            gdi::GetDeviceCaps(screen, gdi::BITSPIXEL) * gdi::GetDeviceCaps(screen, gdi::PLANES);
        if (bits <= 8) heldPalette_ = gdi::CreateHalftonePalette(screen);
        gdi::ReleaseDC(screen);
    }
    return heldPalette_;
}

void TJPEGImage::SetPalette(const gdi::HPALETTE& palette) {
    if (palette == heldPalette_) return;
    bool dropped = false;
    if (decodedBitmap_ && palette != decodedBitmap_->Palette()) {
        DropBitmap();
        dropped = true;
    }
    heldPalette_ = palette;
    if (dropped) {
        SetPaletteDirty(true);
        NotifyChanged(this);
    }
}

bool TJPEGImage::SameContent(const TGraphic* other) {
    const auto* jpeg = dynamic_cast<const TJPEGImage*>(other);
    if (!jpeg) return false;
    if (sharedJpeg_->JpegBytes && jpeg->sharedJpeg_->JpegBytes) return TGraphic::SameContent(other);
    return sharedJpeg_ == jpeg->sharedJpeg_;
}

void TJPEGImage::SetSettings(const TJPEGSettings& settings) {
    TJPEGSettings next = settings;
    next.MultiScan = settings_.MultiScan;  // a fact of the data, not a choice
    if (next == settings_) return;
    settings_ = next;
    outputSizeStale_ = true;
    if (decodedBitmap_) {
        DropBitmap();
        SetPaletteDirty(true);
        NotifyChanged(this);
    }
}

void TJPEGImage::Assign(const TPersistent* source) {
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(source)) {
        if (jpeg == this) return;
        std::shared_ptr<TBitmap> bitmap;
        if (jpeg->decodedBitmap_) {
            bitmap = std::make_shared<TBitmap>();
            bitmap->Assign(jpeg->decodedBitmap_.get());
        }
        sharedJpeg_ = jpeg->sharedJpeg_;
        // The copied bitmap was decoded with the source's settings; keep the pair.
        settings_ = jpeg->settings_;
        DropBitmap();
        decodedBitmap_ = std::move(bitmap);
        NotifyChanged(this);
        return;
    }
    if (const auto* sourceBitmap = dynamic_cast<const TBitmap*>(source)) {
        auto bitmap = std::make_shared<TBitmap>();
        bitmap->Assign(sourceBitmap);
        sharedJpeg_ = std::make_shared<TJPEGData>();
        DropBitmap();
        decodedBitmap_ = std::move(bitmap);
        NotifyChanged(this);
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::AssignTo(TPersistent* dest) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        // Assignment reads the picture, but its first reading decodes; pictures are
        // never made as const objects, so decoding through this pointer is sound.
        bitmap->Assign(&const_cast<TJPEGImage*>(this)->DecodeBitmap());
        return;
    }
    TGraphic::AssignTo(dest);
}

// Clipboard data is a bitmap's; the picture then shows that bitmap and holds no
// JPEG bytes, so that saving cannot write bytes of a different picture.
void TJPEGImage::LoadClipboard(uint16_t format, const std::vector<uint8_t>& data,
                               const gdi::HPALETTE& palette) {
    auto bitmap = std::make_shared<TBitmap>();
    bitmap->LoadClipboard(format, data, palette);
    sharedJpeg_ = std::make_shared<TJPEGData>();
    DropBitmap();
    decodedBitmap_ = std::move(bitmap);
    NotifyChanged(this);
}

void TJPEGImage::SaveClipboard(uint16_t& format, std::vector<uint8_t>& data,
                               gdi::HPALETTE& palette) {
    DecodeBitmap().SaveClipboard(format, data, palette);
}

}  // namespace vardel
